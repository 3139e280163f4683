// The level and tutorial states and the win and lose screens through the real main loop, and
// what a level shows: the camera within its clamp, floor and walls right to the map's edges, the
// layers' rectangles looking like the tiles, the HUD over the curtain.
#include <gtest/gtest.h>
#include <GL/glew.h>
#include <algorithm>
#include <cstdio>
#include <fstream>
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
#include "LevelData.h"
#include "LevelState.h"
#include "Light.h"
#include "Path.h"
#include "Player.h"
#include "Radio.h"
#include "Server.h"
#include "Sight.h"
#include "UiPixels.h"
#include "Wall.h"
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
		KEGfxSetCamPosition(0.0f, 0.0f);
		if (gKEGameStateCurr == gKEGameStateNext)
			gKEGameStateNext = STATE_MENU;
		HarnessLeaveState();
	}
};
struct LevelView : LevelTest {};
struct MapLayersTest : LevelTest {};

enum Layers { RECTANGLES, TILES, WHOLE_LEVEL };
const UiColor kMagenta = {255, 0, 255};

// The window's pixels over magenta: both layers from their rectangles or tile by tile, or the whole
// level; saved as picture.png when given one.
std::vector<UiColor> Draw(LevelModule& level, Layers what, float transparency = 1.0f, const char* picture = nullptr)
{
	KEGfxSetBackgroundColor(1.0f, 0.0f, 1.0f);
	KEGfxStart();
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetTransparency(transparency);
	for (Map* layer : {(Map*)level.path, (Map*)level.wall})
	{
		if (what == RECTANGLES)
			layer->Draw();
		else if (what == TILES)
		{
			KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
			KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
			KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
			layer->DrawTiles(0, layer->mapWidth - 1, 0, layer->mapHeight - 1);
		}
	}
	if (what == WHOLE_LEVEL)
		KEGameStateDraw();
	std::vector<UiColor> pixels = UiReadRegion(0, 0, KEGetWindowWidth(), KEGetWindowHeight());
	if (picture)
		UiSaveBackBuffer(UiOutputPath(std::string(picture) + ".png"));
	KEGfxEnd();
	return pixels;
}

int Count(const std::vector<UiColor>& pixels, UiColor color, int tolerance = 2)
{
	return (int)std::count_if(pixels.begin(), pixels.end(), [&](UiColor c) { return UiNear(c, color, tolerance); });
}

// Pixels of a with any channel more than 2 away from the same pixel of b, or (slack 1)
// from every pixel of b next to it as well.
size_t Differing(const std::vector<UiColor>& a, const std::vector<UiColor>& b, int slack = 0)
{
	const int w = KEGetWindowWidth(), h = KEGetWindowHeight();
	size_t count = 0;
	for (int y = 0; y < h; ++y)
		for (int x = 0; x < w; ++x)
		{
			bool near = false;
			for (int dy = -slack; dy <= slack && !near; ++dy)
				for (int dx = -slack; dx <= slack && !near; ++dx)
					near = UiNear(a[y * w + x], b[std::clamp(y + dy, 0, h - 1) * w + std::clamp(x + dx, 0, w - 1)], 2);
			count += !near;
		}
	return count;
}
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
	std::ofstream(path) << "w 5\nh 3\nt 40\n7 0 3 0 7\n0 3 2 0 0\n7 0 0 3 0\n";
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
			EXPECT_GT(Count(UiReadRegion((int)at.x, (int)at.y - 20, 70, 40), {255, 255, 255}, 25), 20);
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
			EXPECT_EQ(Count(Draw(level, RECTANGLES), kMagenta), 0) << id << " at " << camX << ", " << camY;
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
	const std::vector<UiColor> screen = Draw(level, WHOLE_LEVEL), bar(screen.begin(), screen.begin() + 800 * 60);
	EXPECT_EQ(Count(screen, {0, 0, 0}), Count(bar, {0, 0, 0}) + 800 * 540);
	EXPECT_LT(Count(bar, {0, 0, 0}), 800 * 60 * 3 / 4);
}

TEST_F(MapLayersTest, RectanglesMatchTheTilesAtEveryCameraPositionAndTransparency)
{
	LevelModule& level = Enter(STATE_TARN_LEVEL2);   // the widest map
	ASSERT_TRUE(level.path->rectangles && level.wall->rectangles);
	const float w = level.path->mapWidth * level.path->tileSize, h = level.path->mapHeight * level.path->tileSize;
	// At half pixels every pixel centre lies on the edge between two picture pixels: either is
	// right, and the tiles themselves choose differently from tile to tile. There a pixel may
	// match its neighbour instead, and 1% may differ.
	const struct { float x, y; bool full; int slack; const char* picture; } views[] = {
		{w * 0.5f, h * 0.5f, false, 0, "map_layers_middle"},
		{400.0f, 300.0f, false, 0, nullptr},                    // the bottom left corner
		{-123.25f, -77.75f, false, 0, "map_layers_outside"},    // beyond the bottom left edges
		{w + 50.37f, h - 10.81f, false, 0, "map_layers_top_right"},
		{1234.61f, 567.13f, false, 0, nullptr},
		{w - 399.5f, h - 299.5f, false, 1, "map_layers_half_pixel"},
		{981.3f, 702.7f, true, 0, "map_layers_full_screen"},    // scaled up by the full-screen window
	};
	for (const auto& view : views)
	{
		KEToogleFullScreen(view.full);
		KEGfxSetCamPosition(view.x, view.y);
		const std::vector<UiColor> drawn = Draw(level, RECTANGLES, 1.0f, view.picture), tiles = Draw(level, TILES);
		const size_t differing = Differing(drawn, tiles, view.slack);
		std::printf("camera (%.2f, %.2f)%s: %zu of %zu pixels differ\n", view.x, view.y, view.full ? " full screen" : "",
		            differing, drawn.size());
		EXPECT_LE(differing * (view.slack ? 100 : 1000), drawn.size()) << view.x << ", " << view.y;
	}
	KEToogleFullScreen(false);

	// The layers take the texture program's transparency as the tiles always did: a program
	// never given one (the first frame's look) draws them invisibly.
	KEGfxSetCamPosition(500.0f, 440.0f);
	for (float t : {0.0f, 0.5f})
	{
		const std::vector<UiColor> drawn = Draw(level, RECTANGLES, t);
		EXPECT_EQ(Differing(drawn, Draw(level, TILES, t)), 0u);
		EXPECT_TRUE(t > 0.0f || Count(drawn, kMagenta) == 800 * 600);   // nothing but the background
	}
	EXPECT_TRUE(glIsEnabled(GL_BLEND));   // the objects drawn after the layers blend
}
