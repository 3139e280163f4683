// The whole program path on a real window: start-up, the loop with a scripted state, the
// window manager's close request ending it through free and unload, and shut-down.
#include <gtest/gtest.h>

#include <string>

#include "GameLoop.h"
#include "GameObject.h"
#include "KEFrameRateController.h"
#include "KEGameStateMgr.h"
#include "KESystem.h"
#include "Window.h"

namespace
{
const unsigned int SCRIPTED_STATE = 12;   // an id the game never registers
const char* const  kClosedAfterThreeFrames = "load init draw draw draw free unload ";
std::string        gLog;
int                gFrames = 0;

// Start-up and the loop over the scripted state, as the entry runs them.
void StartUpAndRun()
{
	KEFrameRateControllerUseVirtualClock(true);
	GameStartUp();
	KEGameStateMgrAdd(SCRIPTED_STATE, [] { gLog += "load "; }, [] { gLog += "init "; },
	                  [] { if (++gFrames == 3) PlatformWindowRequestClose(); },   // that frame still completes
	                  [] { gLog += "draw "; }, [] { gLog += "free "; }, [] { gLog += "unload "; });
	KEGameStateMgrInit(SCRIPTED_STATE);
	GameRunLoop();
}
} // namespace

TEST(Program, RunsOnTheRealWindowAndEndsCleanlyWhenTheWindowIsClosed)
{
	ASSERT_EQ(KESysInit(nullptr, 1, 800, 600, 0, 60, nullptr), 1);
	StartUpAndRun();
	EXPECT_STREQ(PlatformWindowGetTitle(), "Nullvane!");
	EXPECT_EQ(gLog, kClosedAfterThreeFrames);
	EXPECT_EQ(gKEGameStateCurr, GAME_STATE_QUIT);
	EXPECT_EQ(gKEGameStatePrev, SCRIPTED_STATE);
	EXPECT_EQ(KESysDoesWindowExist(), 0);
	ASSERT_NE(gSoundManager, nullptr);
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
			StartUpAndRun();
			GameShutDown();
			fprintf(stderr, ok && gLog == kClosedAfterThreeFrames ? "clean" : "wrong");
			exit(ok ? 0 : 2);
		},
		testing::ExitedWithCode(0), "clean$");
}
