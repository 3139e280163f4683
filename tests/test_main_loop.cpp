// The main loop with scripted states on the real engine: call order, changes, restart and
// quit, the Esc pause rule and the music on every change.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <unistd.h>

#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameObject.h"
#include "GameStates.h"
#include "KEInput.h"
#include "SoundFake.h"
#include "SoundManager.h"

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
		[[maybe_unused]] static bool registered = (AddScripted<0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11>(), true);
		gLog.clear();
		gHook = nullptr;
		gPaused = false;
	}
};
} // namespace

TEST_F(MainLoop, ChangesRestartQuitAndChangesDuringLoadRunTheStatesInOrder)
{
	int updatesOf1 = 0;
	std::string seen;
	gHook = [&](unsigned int id, const std::string& step) {
		if (id == 1 && step == "update" && ++updatesOf1 == 3)
			gKEGameStateNext = 2;   // this frame still draws
		if (id == 2 && step == "init")
			seen += std::to_string(gKEGameStatePrev) + "/" + std::to_string(gKEGameStateCurr) + " ";
		if (id == 2 && step == "update")
			gKEGameStateNext = seen.size() == 4 ? GAME_STATE_RESTART : 3;
		if ((id == 3 && step == "load") || (id == 4 && step == "init"))   // no frame for either
			gKEGameStateNext = id == 3 ? 4 : GAME_STATE_QUIT;
	};
	KEGameStateMgrInit(1);
	GameRunLoop();
	EXPECT_EQ(gLog, "1:load 1:init 1:update 1:draw 1:update 1:draw 1:update 1:draw 1:free 1:unload "
	                "2:load 2:init 2:update 2:draw 2:free "   // restart: no unload, no load
	                "2:init 2:update 2:draw 2:free 2:unload "
	                "3:load 3:init 3:free 3:unload 4:load 4:init 4:free 4:unload ");
	EXPECT_EQ(seen, "1/2 2/2 ");   // previous after the change, and after the restart
	EXPECT_TRUE(gKEGameStateCurr == GAME_STATE_QUIT && gKEGameStatePrev == 4u);
}

TEST_F(MainLoop, UnregisteredNextStateEndsTheProcessAfterFreeAndUnload)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT(
		{
			fflush(stdout);
			dup2(STDERR_FILENO, STDOUT_FILENO);   // the report goes to standard output
			gHook = [](unsigned int, const std::string& step) {
				printf("%s\n", step.c_str());
				if (step == "update")
					gKEGameStateNext = 9;
			};
			KEGameStateMgrInit(7);
			GameRunLoop();
		},
		testing::ExitedWithCode(1), "draw\nfree\nunload\nKE_FATAL_ERROR: invalid state$");
}

TEST_F(MainLoop, EscPausesLevelsButNotMenuWinOrLose)
{
	int updates = 0, draws = 0;
	gHook = [&](unsigned int, const std::string& step) { updates += step == "update", draws += step == "draw"; };
	for (unsigned int id : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 10u, 11u})
	{
		gPaused = false;
		HarnessEnterState(id);
		HarnessSetKey(27, true);
		HarnessRunFrames(2);
		HarnessSetKey(27, false);
		updates = draws = 0;
		HarnessRunFrames(4);   // the first samples the release, the others act on it
		bool pauses = id != STATE_MENU && id != STATE_WIN && id != STATE_LOSE;
		EXPECT_EQ(gPaused, pauses) << id;
		EXPECT_TRUE(updates == (pauses ? 1 : 4) && draws == 4) << id;   // paused: no update, draws go on
		HarnessLeaveState();
	}
}

TEST_F(MainLoop, KeyHeldAcrossAChangeTriggersInTheSecondFrameOfTheNewState)
{
	std::string seen;
	gHook = [&](unsigned int id, const std::string& step) {
		if (id == 6 && step == "update")
			seen += std::string(KEInputCheckCurr('A') ? "C" : "-") + (KEInputCheckTriggered('A') ? "T " : "- ");
	};
	HarnessSetKey('A', true);
	HarnessEnterState(5);
	HarnessRunFrames(2);
	gKEGameStateNext = 6;
	HarnessLeaveState();
	GameBeginState();
	HarnessRunFrames(3);
	HarnessSetKey('A', false);
	EXPECT_EQ(seen, "-- CT C- ");
}

TEST_F(MainLoop, EveryChangeStartsTheMusicOfTheNextStateAndSilencesTheLevel)
{
	SoundFake fake;
	SoundManager manager(&fake);
	manager.LoadSounds();
	gSoundManager = &manager;
	SoundSlot* levelSlots[] = {&manager.alarm, &manager.effects, &manager.hack, &manager.spareB};
	ASSERT_TRUE(manager.sounds[0] && !manager.sounds[2] && manager.sounds[3] && manager.sounds[5]);
	// {next state, its music}; music 2 has no sound, so the lose screen stays quiet.
	const unsigned int changes[][2] = {{STATE_MENU, 0}, {STATE_LEVEL1, 3}, {STATE_WIN, 3},
	                                   {GAME_STATE_QUIT, 3}, {STATE_LOSE, 2}, {GAME_STATE_RESTART, 3}};
	for (const auto& [next, music] : changes)
	{
		HarnessEnterState(STATE_TARN_LEVEL);
		gDetectingGuards = 2;
		gAlarmMusicOn = true;
		manager.PlayOnSlot(5, manager.music);
		for (SoundSlot* slot : levelSlots)
			manager.PlayOnSlot(6, *slot);
		gKEGameStateNext = next;
		HarnessLeaveState();
		SoundFake::Channel* ch = fake.At(manager.music.channel);
		EXPECT_EQ(ch && !ch->stopped ? ch->sound : nullptr, manager.sounds[music]) << next;
		EXPECT_TRUE(gDetectingGuards == 0 && !gAlarmMusicOn) << next;
		for (SoundSlot* slot : levelSlots)
		{
			EXPECT_TRUE(slot->paused) << next;
			manager.PlayOnSlot(6, *slot);
		}
		GameBeginState();   // win and lose begin with the level's slots paused again
		for (SoundSlot* slot : levelSlots)
			EXPECT_EQ(slot->paused, next == STATE_WIN || next == STATE_LOSE) << next;
	}
	gSoundManager = nullptr;
}
