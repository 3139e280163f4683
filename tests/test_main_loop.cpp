// The engine's runtime: the game-state table and its fatal reports, frame pacing, and the
// main loop with scripted states on the real engine (order, changes, Esc pause, music).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>

#include "EndScreenState.h"
#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameObject.h"
#include "GameStates.h"
#include "KEFrameRateController.h"
#include "KEGameStateMgr.h"
#include "KEInput.h"
#include "SoundFake.h"
#include "SoundManager.h"

namespace
{
std::string gCalls;
void Load() { gCalls += "L"; }

// Selects id and returns what its six functions do.
std::string CallAll(unsigned int id)
{
	gKEGameStateCurr = id;
	KEGameStateMgrUpdate();
	gCalls.clear();
	for (KEGameStateFn fn : {KEGameStateLoad, KEGameStateInit, KEGameStateUpdate, KEGameStateDraw,
	                         KEGameStateFree, KEGameStateUnload})
		fn();
	return gCalls;
}

// The reports go to standard output; death tests read standard error.
void StdoutToStderr()
{
	fflush(stdout);
	dup2(STDERR_FILENO, STDOUT_FILENO);
}
} // namespace

TEST(StateManager, SelectsRegisteredFunctionsAndFillsGapsWithDoNothing)
{
	KEGameStateMgrAdd(200, Load, [] { gCalls += "I"; }, [] { gCalls += "U"; }, [] { gCalls += "D"; },
	                  [] { gCalls += "F"; }, [] { gCalls += "X"; });
	KEGameStateMgrAdd(201, nullptr, nullptr, nullptr, nullptr, Load, nullptr);
	KEGameStateMgrInit(200);
	EXPECT_EQ(CallAll(200), "LIUDFX");
	EXPECT_EQ(CallAll(201), "L");
	EXPECT_EQ(CallAll(GAME_STATE_QUIT) + CallAll(GAME_STATE_RESTART), "");   // reserved: nothing
}

TEST(StateManager, FullTableAndDuplicateIdsEndTheProcess)
{
	// Each death test re-runs in a fresh process, so the table starts empty.
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT(
		{
			StdoutToStderr();
			for (unsigned int id = 0; id < GAME_STATE_NUM_MAX; ++id)
				KEGameStateMgrAdd(1000 + id, Load, nullptr, nullptr, nullptr, nullptr, nullptr);
			printf("%s\n", CallAll(1063).c_str());   // the 64th is selectable
			KEGameStateMgrAdd(2000, Load, nullptr, nullptr, nullptr, nullptr, nullptr);
		},
		testing::ExitedWithCode(1),
		testing::MatchesRegex("L\nKE_ASSERT_MESG: sGameStateNum < GAME_STATE_NUM_MAX\nLine: [0-9]+\n"
		                      "Func: KEGameStateMgrAdd\nFile: src/KEGameStateMgr\n"
		                      "Mesg: game state list is full. Cannot add new game state!!\n"));
	EXPECT_EXIT(
		{
			StdoutToStderr();
			KEGameStateMgrAdd(7, Load, nullptr, nullptr, nullptr, nullptr, nullptr);
			KEGameStateMgrAdd(8, Load, nullptr, nullptr, nullptr, nullptr, nullptr);
			KEGameStateMgrAdd(7, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
		},
		testing::ExitedWithCode(1), testing::StrEq("KE_FATAL_ERROR: duplicate game state id (7)"));
}

namespace
{
// One frame that works for the given time; returns the frame time it reports.
double Frame(int milliseconds)
{
	KEFrameRateControllerStart();
	std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
	KEFrameRateControllerEnd();
	return KEFrameRateControllerGetFrameTime();
}
} // namespace

// Lower bounds only on the real counter, which a slow machine cannot break.
TEST(FrameRate, RealClockHoldsTheLimitAndNeverClampsLongFramesAndTheVirtualOneTicksOneFrame)
{
	KEFrameRateControllerUseVirtualClock(false);
	KEFrameRateControllerInit(60);
	EXPECT_GE(Frame(5), 1.0 / 60.0);   // stretched to the limit
	EXPECT_GE(Frame(40), 0.040);       // reported whole
	EXPECT_EQ(KEFrameRateControllerGetFrameCount(), 2u);
	KEFrameRateControllerReset();   // every state starts counting from 0
	EXPECT_EQ(KEFrameRateControllerGetFrameCount(), 0u);
	EXPECT_DOUBLE_EQ(KEFrameRateControllerGetFrameTime(), 1.0 / 60.0);

	// No limit: no wait, and no frame time before the first frame ends.
	KEFrameRateControllerInit(0);
	EXPECT_EQ(KEFrameRateControllerGetFrameTime(), 0.0);
	EXPECT_GE(Frame(2), 0.002);

	// The virtual clock the game tests run on measures exactly one frame of the limit.
	KEFrameRateControllerUseVirtualClock(true);
	KEFrameRateControllerInit(60);
	EXPECT_DOUBLE_EQ(Frame(0), 1.0 / 60.0);
	EXPECT_DOUBLE_EQ(Frame(30), 1.0 / 60.0);   // a slow frame still measures one tick
	KEFrameRateControllerInit(0);                // without a limit it ticks at the game's 60 per second
	EXPECT_DOUBLE_EQ(Frame(0), 1.0 / 60.0);
	KEFrameRateControllerUseVirtualClock(false);
}

namespace
{
std::string gLog;
std::function<void(unsigned int id, const std::string& step)> gHook;

const char* const kSteps[] = {"load", "init", "update", "draw", "free", "unload"};
template <unsigned int Id, int Step> void Scripted()
{
	gLog += std::to_string(Id) + ":" + kSteps[Step] + " ";
	if (gHook)
		gHook(Id, kSteps[Step]);
}
template <unsigned int... Ids> void AddScripted()
{
	(KEGameStateMgrAdd(Ids, Scripted<Ids, 0>, Scripted<Ids, 1>, Scripted<Ids, 2>, Scripted<Ids, 3>,
	                   Scripted<Ids, 4>, Scripted<Ids, 5>), ...);
}

class MainLoop : public testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		// The end screens are the game's own: their music is their Init's to start.
		[[maybe_unused]] static bool registered = (AddScripted<0, 1, 2, 3, 4, 5, 6, 7, 8>(), RegisterEndScreenStates(), true);
		gLog.clear();
		gHook = nullptr;
		gPaused = false;
	}
};
} // namespace

TEST_F(MainLoop, ChangesRestartQuitAndChangesDuringLoadRunTheStatesInOrder)
{
	int updatesOf1 = 0, updatesOf2 = 0;
	std::string seen, keys;
	gHook = [&](unsigned int id, const std::string& step) {
		if (step == "update")   // a key held across a change triggers in the second frame of the new state
			keys += std::string(KEInputCheckCurr('A') ? "C" : "-") + (KEInputCheckTriggered('A') ? "T " : "- ");
		if (id == 1 && step == "update" && ++updatesOf1 == 3)
			gKEGameStateNext = 2;   // this frame still draws
		if (id == 2 && step == "init")
			seen += std::to_string(gKEGameStatePrev) + "/" + std::to_string(gKEGameStateCurr) + " ";
		if (id == 2 && step == "update" && ++updatesOf2 % 2 == 0)
			gKEGameStateNext = seen.size() == 4 ? GAME_STATE_RESTART : 3;
		if ((id == 3 && step == "load") || (id == 4 && step == "init"))   // no frame for either
			gKEGameStateNext = id == 3 ? 4 : GAME_STATE_QUIT;
	};
	KEGameStateMgrInit(1);
	HarnessSetKey('A', true);
	GameRunLoop();
	HarnessSetKey('A', false);
	EXPECT_EQ(gLog, "1:load 1:init 1:update 1:draw 1:update 1:draw 1:update 1:draw 1:free 1:unload "
	                "2:load 2:init 2:update 2:draw 2:update 2:draw 2:free "   // restart: no unload, no load
	                "2:init 2:update 2:draw 2:update 2:draw 2:free 2:unload "
	                "3:load 3:init 3:free 3:unload 4:load 4:init 4:free 4:unload ");
	EXPECT_EQ(keys, "-- CT C- -- CT -- CT ");
	EXPECT_EQ(seen, "1/2 2/2 ");   // previous after the change, and after the restart
	EXPECT_TRUE(gKEGameStateCurr == GAME_STATE_QUIT && gKEGameStatePrev == 4u);
}

TEST_F(MainLoop, EscPausesLevelsButNotMenuWinOrLose)
{
	int updates = 0, draws = 0;
	gHook = [&](unsigned int, const std::string& step) { updates += step == "update", draws += step == "draw"; };
	for (unsigned int id : {STATE_MENU, STATE_WIN, STATE_LOSE, STATE_LEVEL1})   // the level last: it stays paused
	{
		HarnessEnterState(id);
		HarnessSetKey(27, true);
		HarnessRunFrames(2);
		HarnessSetKey(27, false);
		updates = draws = 0;
		HarnessRunFrames(4);   // the first samples the release, the others act on it
		bool pauses = id != STATE_MENU && id != STATE_WIN && id != STATE_LOSE;
		EXPECT_EQ(gPaused, pauses) << id;
		const bool scripted = id != STATE_WIN && id != STATE_LOSE;
		EXPECT_TRUE(!scripted || (updates == (pauses ? 1 : 4) && draws == 4)) << id;   // paused: no update, draws go on
		HarnessLeaveState();
	}
}

TEST_F(MainLoop, EveryChangeStartsTheMusicOfTheNextStateAndSilencesTheLevel)
{
	SoundFake fake;
	SoundManager manager(&fake);
	manager.LoadSounds();
	gSoundManager = &manager;
	// {next state, its music}; music 2 has no sound, so the lose screen stays quiet.
	const unsigned int changes[][2] = {{STATE_WIN, 3}, {STATE_LOSE, 2}, {GAME_STATE_RESTART, 3}};
	for (const auto& [next, music] : changes)
	{
		HarnessEnterState(STATE_TARN_LEVEL);
		gDetectingGuards = 2;
		gAlarmMusicOn = true;
		manager.PlayOnSlot(5, manager.music);
		manager.PlayOnSlot(6, manager.hack);
		gKEGameStateNext = next;
		HarnessLeaveState();
		auto playing = [&] { SoundFake::Channel* ch = fake.At(manager.music.channel); return ch && !ch->stopped ? ch->sound : nullptr; };
		EXPECT_EQ(playing(), manager.sounds[music]) << next;
		EXPECT_TRUE(gDetectingGuards == 0 && !gAlarmMusicOn && manager.hack.paused) << next;
		manager.PlayOnSlot(6, manager.hack);
		GameBeginState();   // win and lose begin with the level's slots paused again
		EXPECT_EQ(manager.hack.paused, next != GAME_STATE_RESTART) << next;
		EXPECT_EQ(playing(), manager.sounds[music]) << next << " after its Init";
		gKEGameStateNext = STATE_TARN_LEVEL;
		HarnessLeaveState();
	}
	gSoundManager = nullptr;
}
