// The level and tutorial states and the win and lose screens, through the real main loop.
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "BinaryMap.h"
#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameStates.h"
#include "Guard.h"
#include "HUD.h"
#include "KEGameStateMgr.h"
#include "KESystem.h"
#include "Keys.h"
#include "LevelState.h"
#include "Light.h"
#include "Player.h"
#include "Radio.h"
#include "Server.h"
#include "UiPixels.h"
#include "Window.h"

namespace
{
void Touch(Player* player, const BasicGuard* guard)   // on the guard's box for the next update
{
	player->position = guard->position, player->boundingBox = guard->boundingBox;
}
void SaveFrame(const std::string& name)
{
	KESysFrameStart();
	KEGameStateDraw();
	EXPECT_TRUE(UiSaveBackBuffer(UiOutputPath(name)));
}
void BackToMenu() { gKEGameStateCurr = gKEGameStateNext = STATE_MENU, GameBeginState(); }
LevelModule& Enter(unsigned int id) { return HarnessEnterState(id), *GetLevelModule(id); }

struct LevelTest : ::testing::Test
{
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		[[maybe_unused]] static bool started = (GameStartUp(), true);
		gPaused = false;
		PlatformInputClearKeys();
	}
	void TearDown() override
	{
		PlatformInputClearKeys();
		if (gKEGameStateCurr == gKEGameStateNext)
			gKEGameStateNext = STATE_MENU;
		HarnessLeaveState();
	}
};
} // namespace

TEST_F(LevelTest, ACatchAfterTheGraceCostsOneLifeAndTheCurtainResetsTheLevel)
{
	LevelModule& level = Enter(STATE_LIGHT_TUTORIAL);   // two guards, a radio and a lamp
	Player* player = level.player;
	BasicGuard *a = level.guards[0], *b = level.guards[1];
	const KEVec2 spawn = player->spawnPosition;
	HarnessRunFrames(1);
	Touch(player, a);   // within the two-second grace
	HarnessRunFrames(1);
	EXPECT_EQ(player->lives, 3);
	player->position = spawn;
	HarnessRunFrames(120);
	player->hidden = true;   // hidden: never caught
	Touch(player, a);
	HarnessRunFrames(1);
	EXPECT_EQ(player->lives, 3);
	player->hidden = false;
	level.radios[0]->hacked = level.radios[0]->switchedOn = level.lights[0]->hacked = level.servers[0]->hacked = true;
	level.lights[0]->switchedOn = false;
	b->position = a->position, b->boundingBox = a->boundingBox;   // both guards in one frame: one life
	Touch(player, a);
	HarnessRunFrames(1);
	EXPECT_EQ(player->lives, 2);
	EXPECT_TRUE(player->caught);
	// The reset waits for the covered screen; servers stay hacked.
	int frames = 0;
	while (!gLevelTransitions[STATE_LIGHT_TUTORIAL - 1].covered && frames < 200)
		frames += HarnessRunFrames(1);
	EXPECT_GT(frames, 30);
	EXPECT_FALSE(level.radios[0]->hacked || level.radios[0]->switchedOn);
	EXPECT_TRUE(level.lights[0]->switchedOn && !level.lights[0]->hacked);
	EXPECT_TRUE(level.servers[0]->hacked);
	EXPECT_TRUE(player->position.x == spawn.x && player->position.y == spawn.y);
	for (BasicGuard* g : level.guards)   // home and not pursuing
		EXPECT_TRUE((int)(g->position.x / 40.0f) == (int)g->homeCell.x &&
		            (int)(g->position.y / 40.0f) == (int)g->homeCell.y && g->state != GUARD_PURSUE);
	HarnessSetKey(KEY_D, true);   // frozen until the curtain is up again
	HarnessRunFrames(20);
	EXPECT_EQ(player->position.x, spawn.x);
	while (player->caught && frames < 600)
		frames += HarnessRunFrames(1);
	HarnessRunFrames(3);
	EXPECT_GT(player->position.x, spawn.x);
	EXPECT_EQ(player->lives, 2);
}

TEST_F(LevelTest, TheHudCountsEveryServerCellAndExtraGuardCellsAreLeftEmpty)
{
	EXPECT_EQ(Enter(STATE_LEVEL1).player->hud->serverTotal, 3);   // counted afresh on every entry
	gKEGameStateNext = STATE_SERVER_TUTORIAL;
	HarnessLeaveState();
	LevelModule& level = Enter(STATE_SERVER_TUTORIAL);   // one server, one guard
	EXPECT_EQ(level.player->hud->serverTotal, 1);
	const std::string path = UiOutputPath("level_extra_cells.txt");   // three server and guard cells
	FILE* file = std::fopen(path.c_str(), "w");
	std::fputs("w 5\nh 3\nt 40\n7 3 0 0 7\n0 2 3 0 0\n7 0 0 3 0\n", file);
	std::fclose(file);
	ASSERT_EQ(LoadBinaryMap(path.c_str()), 1);
	level.player->hud->serverTotal = 0;
	KEGameStateInit();
	EXPECT_EQ(level.player->hud->serverTotal, 3);
	EXPECT_TRUE(level.guards[0]->homeCell.x == 1.0f && level.guards[0]->homeCell.y == 0.0f);   // first in scan order
	HarnessRunFrames(5);
	level.player->hud->Update();
	EXPECT_EQ(level.player->hud->serversDigit->imageIndex, 2);   // "3" still to hack
}

TEST_F(LevelTest, PLeavesForTheMenuTheGoalForWinAndALossBeatsAWinInTheSameFrame)
{
	Enter(STATE_LEVEL1);
	HarnessRunFrames(2);
	HarnessSetKey(KEY_P, true);
	EXPECT_EQ(HarnessRunFrames(3), 2);   // seen by the update after the press
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);
	HarnessLeaveState();
	PlatformInputClearKeys();
	Enter(STATE_LEVEL1).player->serversHacked = 3;
	EXPECT_GE(HarnessRunFrames(200), 79);   // the curtain covers the view first
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_WIN);
	HarnessLeaveState();
	LevelModule& level = Enter(STATE_SERVER_TUTORIAL);
	HarnessRunFrames(130);
	level.player->lives = 1, level.player->serversHacked = 1;   // the win curtain starts this frame too
	Touch(level.player, level.guards[0]);
	EXPECT_LT(HarnessRunFrames(400), 400);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_LOSE);
	EXPECT_EQ(level.player->lives, 3);
}

TEST_F(LevelTest, EndScreensIgnoreEscAndLeaveOnHeldBackspace)
{
	for (unsigned int id : {STATE_WIN, STATE_LOSE})
	{
		HarnessEnterState(id);
		HarnessSetKey(KEY_ESCAPE, true);
		EXPECT_EQ(HarnessRunFrames(30), 30);
		EXPECT_FALSE(gPaused);
		SaveFrame(id == STATE_WIN ? "end_win.png" : "end_lose.png");
		KESysFrameEnd();
		HarnessLeaveState();
		PlatformInputClearKeys();
		HarnessSetKey(KEY_BACKSPACE, true);   // held before entry: leaves on the first update
		HarnessEnterState(id);
		EXPECT_EQ(HarnessRunFrames(5), 2);
		EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);
		HarnessLeaveState();
		PlatformInputClearKeys();
	}
	EXPECT_STREQ(PlatformWindowGetTitle(), "Win!");   // and it stays
	BackToMenu();
}

TEST_F(LevelTest, FirstFramePictures)
{
	for (unsigned int id = 1; id <= 8; ++id)
	{
		LevelModule& level = Enter(id);
		HarnessRunFrames(1);
		SaveFrame("level_" + std::to_string(id) + ".png");
		int magenta = 0, ink = 0;   // no missing-picture checker; the hacker's cyan where it stands
		for (UiColor c : UiReadRegion(0, 60, 800, 540))
			magenta += UiNear(c, {255, 0, 255}, 30);
		float cx = 0, cy = 0;
		KEGfxGetCamPosition(&cx, &cy);
		const int px = (int)(level.player->position.x - cx + 400), py = (int)(300 - (level.player->position.y - cy));
		for (UiColor c : UiReadRegion(px - 15, py - 15, 30, 30))
			ink += c.b > 150 && c.b > c.r + 40;
		EXPECT_EQ(magenta, 0) << id;
		EXPECT_GT(ink, 20) << id;
		KESysFrameEnd();
		gKEGameStateNext = STATE_MENU, HarnessLeaveState();
	}
	BackToMenu();
}
