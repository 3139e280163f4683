// The level and tutorial states and the win and lose screens, through the real main loop.
#include <gtest/gtest.h>
#include <cstdio>
#include <sstream>
#include <string>
#include "BinaryMap.h"
#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameStates.h"
#include "Bush.h"
#include "Guard.h"
#include "HUD.h"
#include "KEGraphics.h"
#include "KESystem.h"
#include "Keys.h"
#include "LevelState.h"
#include "Light.h"
#include "Player.h"
#include "Radio.h"
#include "Server.h"
#include "Sight.h"
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

// Touched from the start, the player is caught just after the two-second grace, for one life
// though both guards touch it. The covered screen resets the level (servers stay hacked, the
// radio and the lamp are unhacked, the lamp lit), the gone curtain frees the player, and E does
// nothing to the lamp until it is hacked anew; then each press switches it.
TEST_F(LevelTest, ACatchAfterTheGraceCostsOneLifeAndTheCurtainResetsTheLevel)
{
	LevelModule& level = Enter(STATE_LIGHT_TUTORIAL);   // two guards, a radio and a lamp
	Player* player = level.player;
	BasicGuard *a = level.guards[0], *b = level.guards[1];
	Light* lamp = level.lights[0];
	int frames = 0;
	for (; frames < 122 && player->lives == 3; ++frames)
	{
		level.radios[0]->hacked = level.radios[0]->switchedOn = level.servers[0]->hacked = lamp->hacked = true;
		lamp->switchedOn = false;
		b->position = a->position, b->boundingBox = a->boundingBox;
		Touch(player, a);
		HarnessRunFrames(1);
	}
	EXPECT_TRUE(frames >= 119 && frames <= 122 && player->lives == 2) << frames << " frames, " << player->lives << " lives";
	EXPECT_TRUE(player->caught);
	// The reset waits for the covered screen.
	for (frames = 0; !gLevelTransitions[STATE_LIGHT_TUTORIAL - 1].covered && frames < 200;)
		frames += HarnessRunFrames(1);
	EXPECT_GT(frames, 30);
	EXPECT_FALSE(level.radios[0]->hacked || level.radios[0]->switchedOn || lamp->hacked);
	EXPECT_TRUE(level.servers[0]->hacked && lamp->switchedOn);
	EXPECT_TRUE(player->position.x == player->spawnPosition.x && player->position.y == player->spawnPosition.y);
	for (BasicGuard* g : level.guards)   // on their home cell's centre, patrolling, standing
		EXPECT_TRUE(g->position.x == (g->homeCell.x + 0.5f) * 40.0f && g->position.y == (g->homeCell.y + 0.5f) * 40.0f &&
		            g->state == GUARD_PATROL && !g->pathReady && g->velocity.x == 0.0f && g->velocity.y == 0.0f);
	for (frames = 0; !gLevelTransitions[STATE_LIGHT_TUTORIAL - 1].finished && frames < 300;)
		frames += HarnessRunFrames(1);
	EXPECT_FALSE(player->caught);
	std::string seen;
	for (int press = 0; press < 4; ++press)
	{
		lamp->hacked = press > 0;
		for (bool down : {true, false})
			player->position = lamp->position, HarnessSetKey(KEY_E, down), HarnessRunFrames(2);
		seen += lamp->switchedOn ? "on " : "off ";
	}
	EXPECT_EQ(seen, "on off on off ");
}

// E pressed while Space is still held lets the player out of the bush for one frame; a guard
// touching it then catches it, and the catch ends the hiding for good.
TEST_F(LevelTest, ACatchInTheFrameOutOfTheBushEndsTheHiding)
{
	LevelModule& level = Enter(STATE_BUSH_TUTORIAL);
	Player* player = level.player;
	for (BasicGuard* guard : level.guards)   // standing and blind: only the touch below catches
		guard->patrolRoute.clear();
	for (Sight* sight : level.sights)
		sight->range = 0.0f;
	HarnessRunFrames(130);
	player->position = level.bushes[0]->position;
	HarnessSetKey(KEY_SPACE, true);
	HarnessRunFrames(62);
	ASSERT_TRUE(player->hidden);
	Touch(player, level.guards[0]);   // a hidden player is not caught
	HarnessRunFrames(1);
	EXPECT_EQ(player->lives, 3);
	player->position = level.bushes[0]->position;
	HarnessRunFrames(1);
	HarnessSetKey(KEY_E, true);   // seen by the second update
	HarnessRunFrames(2);
	ASSERT_FALSE(player->hidden);
	Touch(player, level.guards[0]);
	HarnessRunFrames(1);
	EXPECT_EQ(player->lives, 2);
	PlatformInputClearKeys();
	for (int frames = 0; player->caught && frames < 400;)
		frames += HarnessRunFrames(1);
	EXPECT_FALSE(player->caught || player->hidden || level.bushes[0]->hiding);
}

TEST_F(LevelTest, TheHudCountsEveryServerCellAndExtraGuardCellsAreLeftEmpty)
{
	LevelModule& level = Enter(STATE_SERVER_TUTORIAL);
	const std::string path = UiOutputPath("level_extra_cells.txt");   // three server and guard cells
	FILE* file = std::fopen(path.c_str(), "w");
	std::fputs("w 5\nh 3\nt 40\n7 0 3 0 7\n0 3 2 0 0\n7 0 0 3 0\n", file);
	std::fclose(file);
	ASSERT_EQ(LoadBinaryMap(path.c_str()), 1);
	level.player->hud->serverTotal = 0;
	KEGameStateInit();
	EXPECT_EQ(level.player->hud->serverTotal, 3);
	// First in scan order: columns left to right, rows upward within a column.
	EXPECT_TRUE(level.guards[0]->homeCell.x == 1.0f && level.guards[0]->homeCell.y == 1.0f);
}

TEST_F(LevelTest, PLeavesForTheMenuAndALossBeatsAWinInTheSameFrame)
{
	Enter(STATE_LEVEL1);
	HarnessRunFrames(2);
	HarnessSetKey(KEY_P, true);
	EXPECT_EQ(HarnessRunFrames(3), 2);   // seen by the update after the press
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);
	HarnessLeaveState();
	PlatformInputClearKeys();
	LevelModule& level = Enter(STATE_SERVER_TUTORIAL);
	HarnessRunFrames(130);
	level.player->lives = 1, level.player->serversHacked = 1;   // the win curtain starts this frame too
	Touch(level.player, level.guards[0]);
	EXPECT_LT(HarnessRunFrames(400), 400);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_LOSE);
	EXPECT_EQ(level.player->lives, 3);
}

TEST_F(LevelTest, FirstFramePicturesAndEndScreensLeaveOnHeldBackspace)
{
	for (unsigned int id : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, (unsigned int)STATE_WIN, (unsigned int)STATE_LOSE})
	{
		HarnessEnterState(id);
		LevelModule* level = GetLevelModule(id);
		if (id == STATE_SERVER_TUTORIAL)   // the camera on the server, for its hint
			level->player->position = level->servers[0]->position;
		HarnessRunFrames(1);
		const bool win = id == STATE_WIN, lose = id == STATE_LOSE;
		SaveFrame(win ? "end_win.png" : lose ? "end_lose.png" : "level_" + std::to_string(id) + ".png");
		if (win || lose)   // the whole picture: the Backspace box's border, cyan on winning, orange on losing
		{
			const UiColor edge = UiReadPixel(150, 520);
			EXPECT_TRUE(win ? edge.b > 200 && edge.r < 100 : edge.r > 200 && edge.b < 100) << edge.r << " " << edge.b;
		}
		if (id == STATE_SERVER_TUTORIAL)   // white hint text from 100 left of the server, 50 above it
		{
			float cx = 0.0f, cy = 0.0f;
			KEGfxGetCamPosition(&cx, &cy);
			const KEVec2 at = {level->servers[0]->position.x - 100.0f - cx + 400.0f, 300.0f - (level->servers[0]->position.y + 50.0f - cy)};
			int white = 0;
			for (UiColor c : UiReadRegion((int)at.x, (int)at.y - 20, 70, 40))
				white += c.r > 230 && c.g > 230 && c.b > 230;
			EXPECT_GT(white, 20);
		}
		KESysFrameEnd();
		if (level)   // each guard's radio or lit area
		{
			const char* links[] = {"-", "- -", "- -", "R0 -", "A0 R0", "A0 - R0 A1 A2 R1 R2", "- R1 - R0 - A0 A0 - A0 A0",
			                       "A0 A0 R0 R1 - - - A1"};
			std::istringstream in(links[id - 1]);
			std::string link;
			for (const BasicGuard* g : level->guards)
			{
				in >> link;
				const int k = link[0] == '-' ? 0 : link[1] - '0';
				EXPECT_TRUE(g->radio == (link[0] == 'R' ? level->radios[k] : nullptr) &&
				            g->lightArea == (link[0] == 'A' ? level->areas[k] : nullptr)) << "state " << id << ": " << link;
			}
		}
		gKEGameStateNext = STATE_MENU;
		HarnessLeaveState();
	}
	for (unsigned int id : {STATE_WIN, STATE_LOSE})
	{
		HarnessSetKey(KEY_BACKSPACE, true);   // held before entry: leaves on the first update
		HarnessEnterState(id);
		EXPECT_EQ(HarnessRunFrames(5), 2);
		EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);
		HarnessLeaveState();
		PlatformInputClearKeys();
	}
	EXPECT_STREQ(PlatformWindowGetTitle(), "Win!");   // and it stays
	gKEGameStateCurr = gKEGameStateNext = STATE_MENU;
	GameBeginState();
}
