// What a level shows through the real loop: the camera within its clamp, floor and walls right
// to the map's edges, the HUD over the curtain, and the grace after a start.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameStates.h"
#include "Guard.h"
#include "LevelData.h"
#include "Keys.h"
#include "LevelState.h"
#include "Light.h"
#include "Path.h"
#include "Player.h"
#include "UiPixels.h"
#include "Wall.h"

namespace
{
struct LevelView : ::testing::Test
{
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		[[maybe_unused]] static bool started = (GameStartUp(), true);
		gPaused = false;
	}
	void TearDown() override
	{
		gKEGameStateNext = STATE_MENU;
		HarnessLeaveState();
	}
	LevelModule& Enter(unsigned int id) { return HarnessEnterState(id), *GetLevelModule(id); }
	// Pixels of rows top to top + height of the colour, over a magenta background.
	int Count(bool layersOnly, LevelModule& level, UiColor color, int top = 0, int height = 600)
	{
		KEGfxSetBackgroundColor(1.0f, 0.0f, 1.0f);
		KEGfxStart();
		layersOnly ? (level.path->Draw(), level.wall->Draw()) : KEGameStateDraw();
		std::vector<UiColor> rows = UiReadRegion(0, top, 800, height);
		KEGfxEnd();
		return (int)std::count_if(rows.begin(), rows.end(), [&](UiColor c) { return UiNear(c, color, 2); });
	}
};
} // namespace

// The camera follows the player and stops half a unit inside the clamp, at (400.5, 300.5) low
// and at the level's limit less 0.5 high; at every corner the two layers cover the whole view.
TEST_F(LevelView, CameraClampAndTheLayersReachTheMapEdges)
{
	for (unsigned int id = STATE_SERVER_TUTORIAL; id <= STATE_TARN_LEVEL2; ++id)
	{
		if (id != STATE_SERVER_TUTORIAL)
			gKEGameStateNext = STATE_MENU, HarnessLeaveState();
		LevelModule& level = Enter(id);
		const float maxX = level.setup->camMaxX, maxY = level.setup->camMaxY;
		const struct { float x, y, camX, camY; } cases[] = {   // at the limits, just inside, far beyond
			{400, 300, 400.5f, 300.5f}, {maxX, maxY, maxX - 0.5f, maxY - 0.5f}, {401, maxY - 1, 401, maxY - 1},
			{maxX - 1, 301, maxX - 1, 301}, {0, 1e4f, 400.5f, maxY - 0.5f}, {1e4f, 0, maxX - 0.5f, 300.5f}};
		for (const auto& c : cases)
		{
			level.player->position = {c.x, c.y};
			HarnessRunFrames(1);
			float camX = 0.0f, camY = 0.0f;
			KEGfxGetCamPosition(&camX, &camY);
			EXPECT_TRUE(camX == c.camX && camY == c.camY) << id << ": " << c.x << ", " << c.y << " -> " << camX << ", " << camY;
			EXPECT_EQ(Count(true, level, {255, 0, 255}), 0) << id << " at " << camX << ", " << camY;
		}
	}
}

// Over the covered view the HUD bar still shows; below it everything is black.
TEST_F(LevelView, TheHudStaysOverTheCurtain)
{
	LevelModule& level = Enter(STATE_SERVER_TUTORIAL);
	Transitation& curtain = gLevelTransitions[STATE_SERVER_TUTORIAL - 1];
	curtain.Init();
	for (int frames = 0; !curtain.covered && frames < 200; ++frames)
		HarnessRunFrames(1);
	ASSERT_TRUE(curtain.covered);
	EXPECT_EQ(Count(false, level, {0, 0, 0}, 60, 540), 800 * 540);
	EXPECT_LT(Count(false, level, {0, 0, 0}, 0, 60), 800 * 60 * 3 / 4);
}

// A guard met in the first two seconds catches nothing; just after them it costs a life.
TEST_F(LevelView, TheGraceEndsAtTwoSeconds)
{
	LevelModule& level = Enter(STATE_GUARD_TUTORIAL);
	Player* player = level.player;
	int frames = 0;
	for (; frames < 122 && player->lives == 3; ++frames)
	{
		player->position = level.guards[0]->position, player->boundingBox = level.guards[0]->boundingBox;
		HarnessRunFrames(1);
	}
	EXPECT_TRUE(frames >= 119 && frames <= 122 && player->lives == 2) << frames << " frames, " << player->lives << " lives";
	player->position = player->spawnPosition;   // once the curtain has gone the player is free again
	for (frames = 0; !gLevelTransitions[STATE_GUARD_TUTORIAL - 1].finished && frames < 300; ++frames)
		HarnessRunFrames(1);
	EXPECT_FALSE(player->caught);
}

// A hacked lamp goes dark and lights again with each press of E.
TEST_F(LevelView, EachPressOfESwitchesAHackedLamp)
{
	LevelModule& level = Enter(STATE_LIGHT_TUTORIAL);
	Light* lamp = level.lights[0];
	lamp->hacked = true;
	std::string seen;
	for (int press = 0; press < 3; ++press)
	{
		for (bool down : {true, false})
		{
			level.player->position = lamp->position;
			HarnessSetKey(KEY_E, down);
			HarnessRunFrames(2);
		}
		seen += lamp->switchedOn ? "on " : "off ";
	}
	EXPECT_EQ(seen, "off on off ");
}
