// The whole program path on a real window: start-up, the loop with a scripted state, the
// window manager's close request ending it through free and unload, and shut-down.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "GameLoop.h"
#include "GameObject.h"
#include "GameStates.h"
#include "KEFrameRateController.h"
#include "KEGameStateMgr.h"
#include "KEGraphics.h"
#include "KESystem.h"
#include "Window.h"

namespace
{
// An id the game never registers, so the scripted state cannot clash with a real one.
const unsigned int SCRIPTED_STATE = 12;

std::vector<unsigned int> gMessages;
std::vector<unsigned long> gActivations;   // wParam of every activate message
std::string               gLog;
int                       gFrames = 0;

long RecordMessage(void* window, unsigned int message, unsigned long wParam, long /*lParam*/)
{
	EXPECT_EQ(window, KESysGetWindowHandle());
	gMessages.push_back(message);
	if (message == PLATFORM_MSG_ACTIVATE)
		gActivations.push_back(wParam);
	return 0;
}

bool Received(unsigned int message)
{
	for (unsigned int m : gMessages)
		if (m == message)
			return true;
	return false;
}

void CloserLoad() { gLog += "load "; }
void CloserInit() { gLog += "init "; }
void CloserUpdate()
{
	// The user closes the window during the third frame; that frame still completes.
	if (++gFrames == 3)
		PlatformWindowRequestClose();
}
void CloserDraw() { gLog += "draw "; }
void CloserFree() { gLog += "free "; }
void CloserUnload() { gLog += "unload "; }
} // namespace

TEST(Program, RunsOnTheRealWindowAndEndsCleanlyWhenTheWindowIsClosed)
{
	testing::internal::CaptureStdout();
	int started = KESysInit(nullptr, 1, 800, 600, 0, 60, RecordMessage);
	std::string printed = testing::internal::GetCapturedStdout();
	ASSERT_EQ(started, 1);
	EXPECT_EQ(printed.rfind("Kelvo Engine version: 3.05\n\n", 0), 0u) << printed;
	EXPECT_TRUE(Received(PLATFORM_MSG_CREATE));
	EXPECT_STREQ(PlatformWindowGetTitle(), "Kelvo Engine");
	EXPECT_EQ(KESysDoesWindowExist(), 1);

	// Exactly the asked client area, centred on the 1920x1080 test screen.
	int width = 0, height = 0, left = 0, top = 0, screenWidth = 0, screenHeight = 0;
	PlatformWindowGetSize(&width, &height);
	PlatformWindowGetPosition(&left, &top);
	PlatformScreenGetSize(&screenWidth, &screenHeight);
	EXPECT_EQ(width, 800);
	EXPECT_EQ(height, 600);
	EXPECT_EQ(left, screenWidth / 2 - 400);
	EXPECT_EQ(top, screenHeight / 2 - 300);

	// Focus changes reach the given procedure and gKESysAppActive follows the latest one
	// (the X server may add real focus changes of its own).
	PlatformPushFocusEvent(true);
	KESysUpdate();
	ASSERT_FALSE(gActivations.empty());
	EXPECT_EQ(gKESysAppActive, gActivations.back() ? 1 : 0);
	PlatformPushFocusEvent(false);
	KESysUpdate();
	EXPECT_EQ(gKESysAppActive, gActivations.back() ? 1 : 0);
	EXPECT_NE(std::find(gActivations.begin(), gActivations.end(), 1ul), gActivations.end());
	EXPECT_NE(std::find(gActivations.begin(), gActivations.end(), 0ul), gActivations.end());

	KEFrameRateControllerUseVirtualClock(true);
	GameStartUp();
	EXPECT_STREQ(PlatformWindowGetTitle(), "Nullvane!");
	ASSERT_NE(gSoundManager, nullptr);

	KEGameStateMgrAdd(SCRIPTED_STATE, CloserLoad, CloserInit, CloserUpdate, CloserDraw, CloserFree,
	                  CloserUnload);
	KEGameStateMgrInit(SCRIPTED_STATE);
	gMessages.clear();
	GameRunLoop();

	EXPECT_EQ(gFrames, 3);
	EXPECT_EQ(gLog, "load init draw draw draw free unload ");
	EXPECT_EQ(gKEGameStateCurr, GAME_STATE_QUIT);
	EXPECT_EQ(gKEGameStatePrev, SCRIPTED_STATE);
	EXPECT_EQ(KESysDoesWindowExist(), 0);
	EXPECT_FALSE(PlatformWindowExists());
	EXPECT_TRUE(Received(PLATFORM_MSG_CLOSE));
	EXPECT_TRUE(Received(PLATFORM_MSG_DESTROY));

	GameShutDown();
	EXPECT_EQ(gSoundManager, nullptr);
	EXPECT_EQ(KESysGetWindowHandle(), nullptr);
}

TEST(Program, WithoutAnOpenGLContextTheLoopStillRunsAndQuits)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT(
		{
			PlatformGLRefuseContexts(true);
			bool ok = KESysInit(nullptr, 1, 800, 600, 0, 60, nullptr) == 0 && KESysDoesWindowExist() == 1;
			KEFrameRateControllerUseVirtualClock(true);
			GameStartUp();
			KEGameStateMgrAdd(SCRIPTED_STATE, CloserLoad, CloserInit, CloserUpdate, CloserDraw, CloserFree,
			                  CloserUnload);
			KEGameStateMgrInit(SCRIPTED_STATE);
			GameRunLoop();
			GameShutDown();
			ok = ok && gFrames == 3 && gLog == "load init draw draw draw free unload ";
			fprintf(stderr, ok ? "clean" : "wrong");
			exit(ok ? 0 : 2);
		},
		testing::ExitedWithCode(0), testing::EndsWith("clean"));
}
