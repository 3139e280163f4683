// The main loop's order of calls, state changes, restart and quit, the Esc pause rule
// and the music on every change, with scripted states on the real engine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <unistd.h>

#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameObject.h"
#include "GameStates.h"
#include "KEFrameRateController.h"
#include "KEGameStateMgr.h"
#include "KEInput.h"
#include "KESystem.h"
#include "SoundFake.h"
#include "SoundManager.h"
#include "Window.h"

namespace
{
std::string gLog;
bool        gEcho = false;   // also print each step (for death tests)
int         gUpdates = 0;
int         gDraws = 0;
std::function<void(unsigned int id, const std::string& step)> gHook;

void Record(unsigned int id, const char* step)
{
	std::string entry = std::to_string(id) + ":" + step;
	gLog += (gLog.empty() ? "" : " ") + entry;
	if (gEcho)
		printf("%s\n", entry.c_str());
	if (std::string(step) == "update")
		++gUpdates;
	if (std::string(step) == "draw")
		++gDraws;
	if (gHook)
		gHook(id, step);
}

template <unsigned int Id> void ScriptLoad() { Record(Id, "load"); }
template <unsigned int Id> void ScriptInit() { Record(Id, "init"); }
template <unsigned int Id> void ScriptUpdate() { Record(Id, "update"); }
template <unsigned int Id> void ScriptDraw() { Record(Id, "draw"); }
template <unsigned int Id> void ScriptFree() { Record(Id, "free"); }
template <unsigned int Id> void ScriptUnload() { Record(Id, "unload"); }

template <unsigned int Id> void AddScripted()
{
	KEGameStateMgrAdd(Id, ScriptLoad<Id>, ScriptInit<Id>, ScriptUpdate<Id>, ScriptDraw<Id>, ScriptFree<Id>,
	                  ScriptUnload<Id>);
}

class MainLoop : public testing::Test
{
protected:
	void SetUp() override
	{
		GTEST_FLAG_SET(death_test_style, "threadsafe");
		ASSERT_TRUE(HarnessStartEngine());
		static bool registered = false;
		if (!registered)
		{
			registered = true;
			AddScripted<0>(); AddScripted<1>(); AddScripted<2>(); AddScripted<3>(); AddScripted<4>();
			AddScripted<5>(); AddScripted<6>(); AddScripted<7>(); AddScripted<8>(); AddScripted<10>();
			AddScripted<11>();
		}
		KESysUpdate();
		PlatformInputClearKeys();
		gLog.clear();
		gHook = nullptr;
		gUpdates = gDraws = 0;
		gPaused = false;
		gSoundManager = nullptr;
	}
	void TearDown() override
	{
		gHook = nullptr;
		gPaused = false;
		gSoundManager = nullptr;
		PlatformInputClearKeys();
	}
};
} // namespace

TEST_F(MainLoop, ChangeRestartAndQuitRunTheStatesInOrder)
{
	int updatesOf1 = 0, passesOf2 = 0;
	std::string seen;
	gHook = [&](unsigned int id, const std::string& step) {
		if (id == 1 && step == "update" && ++updatesOf1 == 3)
			gKEGameStateNext = 2;   // this frame still draws
		if (id == 2 && step == "init")
		{
			++passesOf2;
			seen += std::to_string(gKEGameStatePrev) + "/" + std::to_string(gKEGameStateCurr) + " ";
		}
		if (id == 2 && step == "update")
			gKEGameStateNext = passesOf2 == 1 ? GAME_STATE_RESTART : GAME_STATE_QUIT;
	};
	KEGameStateMgrInit(1);
	GameRunLoop();

	EXPECT_EQ(gLog, "1:load 1:init 1:update 1:draw 1:update 1:draw 1:update 1:draw 1:free 1:unload "
	                "2:load 2:init 2:update 2:draw 2:free "   // restart: no unload, no load
	                "2:init 2:update 2:draw 2:free 2:unload");
	// Entering 2 the previous state is 1; after the restart both hold 2.
	EXPECT_EQ(seen, "1/2 2/2 ");
	EXPECT_EQ(gKEGameStateCurr, GAME_STATE_QUIT);
	EXPECT_EQ(gKEGameStatePrev, 2u);
	EXPECT_FLOAT_EQ(gDeltaTime, 1.0f / 60.0f);
}

TEST_F(MainLoop, ChangeDuringLoadOrInitSkipsEveryFrameButStillFreesAndUnloads)
{
	gHook = [](unsigned int id, const std::string& step) {
		if (id == 3 && step == "load")
			gKEGameStateNext = 4;
		if (id == 4 && step == "init")
			gKEGameStateNext = GAME_STATE_QUIT;
	};
	KEGameStateMgrInit(3);
	GameRunLoop();
	EXPECT_EQ(gLog, "3:load 3:init 3:free 3:unload 4:load 4:init 4:free 4:unload");
}

TEST_F(MainLoop, EscPausesLevelsButNotMenuWinOrLose)
{
	for (unsigned int id : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 10u, 11u})
	{
		gPaused = false;
		HarnessEnterState(id);
		HarnessSetKey(27, true);
		HarnessRunFrames(2);
		HarnessSetKey(27, false);
		HarnessRunFrames(1);   // this frame's sample sees the release
		gUpdates = gDraws = 0;
		EXPECT_EQ(HarnessRunFrames(3), 3);
		bool pauses = id != STATE_MENU && id != STATE_WIN && id != STATE_LOSE;
		EXPECT_EQ(gPaused, pauses) << id;
		// Paused: no update, but draw, input and the frame clock go on.
		EXPECT_EQ(gUpdates, pauses ? 0 : 3) << id;
		EXPECT_EQ(gDraws, 3) << id;
		EXPECT_EQ(KEFrameRateControllerGetFrameCount(), 6u) << id;

		// Another release while paused changes nothing; the loop never unpauses.
		HarnessSetKey(27, true);
		HarnessRunFrames(1);
		HarnessSetKey(27, false);
		HarnessRunFrames(2);
		EXPECT_EQ(gPaused, pauses) << id;
		HarnessLeaveState();
	}
}

TEST_F(MainLoop, KeyHeldAcrossAChangeTriggersInTheSecondFrameOfTheNewState)
{
	std::string seen;
	int frames = 0;
	gHook = [&](unsigned int id, const std::string& step) {
		if (step != "update")
			return;
		if (id == 5)
		{
			gKEGameStateNext = 6;
			return;
		}
		seen += std::string(KEInputCheckCurr('A') ? "C" : "-") + (KEInputCheckTriggered('A') ? "T" : "-") + " ";
		if (++frames == 3)
			gKEGameStateNext = GAME_STATE_QUIT;
	};
	HarnessSetKey('A', true);
	KEGameStateMgrInit(5);
	GameRunLoop();
	EXPECT_EQ(seen, "-- CT C- ");
}

TEST_F(MainLoop, UnregisteredNextStateEndsTheProcessAfterFreeAndUnload)
{
	EXPECT_EXIT(
		{
			fflush(stdout);
			dup2(STDERR_FILENO, STDOUT_FILENO);
			gEcho = true;
			gHook = [](unsigned int id, const std::string& step) {
				if (id == 7 && step == "update")
					gKEGameStateNext = 9;
			};
			KEGameStateMgrInit(7);
			GameRunLoop();
		},
		testing::ExitedWithCode(1), testing::ContainsRegex("7:draw\n7:free\n7:unload\nKE_FATAL_ERROR: invalid state$"));
}

TEST_F(MainLoop, EveryChangeStartsTheMusicOfTheNextStateAndSilencesTheLevel)
{
	SoundFake fake;
	SoundManager manager(&fake);
	manager.LoadSounds();
	gSoundManager = &manager;

	auto playingOn = [&](SoundSlot& slot) -> AudioSound* {
		SoundFake::Channel* channel = fake.At(slot.channel);
		return channel && !channel->stopped ? channel->sound : nullptr;
	};
	ASSERT_NE(manager.sounds[0], nullptr);
	ASSERT_NE(manager.sounds[3], nullptr);
	ASSERT_EQ(manager.sounds[2], nullptr);

	struct { unsigned int next; int music; } changes[] = {
		{STATE_MENU, 0}, {STATE_LEVEL1, 3}, {STATE_WIN, 3}, {GAME_STATE_QUIT, 3}, {STATE_LOSE, 2},
	};
	for (const auto& change : changes)
	{
		HarnessEnterState(STATE_TARN_LEVEL);
		HarnessRunFrames(1);
		gDetectingGuards = 2;
		gAlarmMusicOn = true;
		manager.PlayOnSlot(5, manager.alarm);
		manager.PlayOnSlot(3, manager.music);
		gKEGameStateNext = change.next;
		HarnessLeaveState();
		EXPECT_EQ(playingOn(manager.music), manager.sounds[change.music]) << change.next;
		EXPECT_EQ(gDetectingGuards, 0);
		EXPECT_FALSE(gAlarmMusicOn);
		EXPECT_TRUE(manager.alarm.paused);
		EXPECT_TRUE(manager.effects.paused);
		EXPECT_TRUE(manager.hack.paused);
		EXPECT_TRUE(manager.spareB.paused);
	}

	// A restart starts the level music again and keeps the state loaded.
	HarnessEnterState(STATE_TARN_LEVEL);
	gKEGameStateNext = GAME_STATE_RESTART;
	int playsBefore = fake.Plays(manager.sounds[3]);
	gLog.clear();
	HarnessLeaveState();
	GameBeginState();
	EXPECT_EQ(gLog, "7:free 7:init");
	EXPECT_EQ(fake.Plays(manager.sounds[3]), playsBefore + 1);
	EXPECT_EQ(gKEGameStateCurr, (unsigned int)STATE_TARN_LEVEL);
	EXPECT_EQ(gKEGameStatePrev, (unsigned int)STATE_TARN_LEVEL);
	HarnessLeaveState();

	// The win and lose screens begin with the level's sound slots paused.
	for (unsigned int id : {(unsigned int)STATE_WIN, (unsigned int)STATE_LOSE})
	{
		manager.PlayOnSlot(5, manager.alarm);
		manager.PlayOnSlot(6, manager.effects);
		ASSERT_FALSE(manager.alarm.paused);
		HarnessEnterState(id);
		EXPECT_TRUE(manager.alarm.paused) << id;
		EXPECT_TRUE(manager.effects.paused) << id;
		HarnessLeaveState();
	}
	gSoundManager = nullptr;
	manager.Release();
}
