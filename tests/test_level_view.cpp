// What a level shows through the real loop: the camera within its clamp, floor and walls right
// to the map's edges, the cached layers looking like the tiles and leaving the drawing state as
// it was, and the HUD over the curtain.
#include <gtest/gtest.h>
#include <GL/glew.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameStates.h"
#include "KESystem.h"
#include "LevelData.h"
#include "LevelState.h"
#include "Path.h"
#include "Player.h"
#include "UiPixels.h"
#include "Wall.h"

namespace
{
enum Layers { CACHED, TILES, WHOLE_LEVEL };
const UiColor kMagenta = {255, 0, 255};

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
		KEGfxSetCamPosition(0.0f, 0.0f);
		gKEGameStateNext = STATE_MENU;
		HarnessLeaveState();
	}
	LevelModule& Enter(unsigned int id) { return HarnessEnterState(id), *GetLevelModule(id); }
	// The window's pixels over magenta: both layers from the cache or tile by tile, or the whole
	// level; saved as picture.png when given one.
	std::vector<UiColor> Draw(LevelModule& level, Layers what, float transparency = 1.0f, const char* picture = nullptr)
	{
		KEGfxSetBackgroundColor(1.0f, 0.0f, 1.0f);
		KEGfxStart();
		KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
		KEGfxSetTransparency(transparency);
		for (Map* layer : {(Map*)level.path, (Map*)level.wall})
		{
			if (what == CACHED)
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
};
struct MapCacheTest : LevelView {};

int Count(const std::vector<UiColor>& pixels, UiColor color, int top = 0, int height = 600)
{
	return (int)std::count_if(pixels.begin() + top * 800, pixels.begin() + (top + height) * 800,
	                          [&](UiColor c) { return UiNear(c, color, 2); });
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
			EXPECT_EQ(Count(Draw(level, CACHED), kMagenta), 0) << id << " at " << camX << ", " << camY;
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
	const std::vector<UiColor> screen = Draw(level, WHOLE_LEVEL);
	EXPECT_EQ(Count(screen, {0, 0, 0}, 60, 540), 800 * 540);
	EXPECT_LT(Count(screen, {0, 0, 0}, 0, 60), 800 * 60 * 3 / 4);
}

TEST_F(MapCacheTest, CachedLayersMatchTheTilesAtEveryCameraPosition)
{
	LevelModule& level = Enter(STATE_TARN_LEVEL2);   // the widest map
	ASSERT_TRUE(level.path->cache && level.wall->cache);
	const float w = level.path->mapWidth * level.path->tileSize, h = level.path->mapHeight * level.path->tileSize;
	// At half pixels every pixel centre lies on the edge between two picture pixels: either is
	// right, and the tiles themselves choose differently from tile to tile (on a tile's far
	// edges even the picture's first pixel, wrapped round). There a pixel may match its
	// neighbour instead, and 1% may differ.
	const struct { float x, y; bool full; int slack; const char* picture; } views[] = {
		{w * 0.5f, h * 0.5f, false, 0, "map_cache_middle"},
		{400.0f, 300.0f, false, 0, nullptr},                    // the bottom left corner
		{-123.25f, -77.75f, false, 0, "map_cache_outside"},     // beyond the bottom left edges
		{w + 50.37f, h - 10.81f, false, 0, "map_cache_top_right"},
		{1234.61f, 567.13f, false, 0, nullptr},
		{w - 399.5f, h - 299.5f, false, 1, "map_cache_half_pixel"},
		{981.3f, 702.7f, true, 0, "map_cache_full_screen"},     // scaled up by the full-screen window
	};
	for (const auto& view : views)
	{
		KEToogleFullScreen(view.full);
		KEGfxSetCamPosition(view.x, view.y);
		const std::vector<UiColor> cached = Draw(level, CACHED, 1.0f, view.picture), tiles = Draw(level, TILES);
		const size_t differing = Differing(cached, tiles, view.slack);
		std::printf("camera (%.2f, %.2f)%s: %zu of %zu pixels differ\n", view.x, view.y, view.full ? " full screen" : "",
		            differing, cached.size());
		EXPECT_LE(differing * (view.slack ? 100 : 1000), cached.size()) << view.x << ", " << view.y;
	}
	KEToogleFullScreen(false);
}

TEST_F(MapCacheTest, BuildingTheCacheKeepsTheDrawingStateAndTheFirstFrameLook)
{
	LevelModule& level = Enter(STATE_SERVER_TUTORIAL);
	// A texture program never given a transparency draws the tiles invisibly; building the
	// cache must not change that, nor the blending or the current program.
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetTransparency(0.0f);
	KEGfxSetBlendMode(KE_BLEND_MODE_NONE);
	KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
	level.path->Unload();
	level.path->Load();
	ASSERT_NE(level.path->cache, nullptr);
	GLint program = 0;
	glGetIntegerv(GL_CURRENT_PROGRAM, &program);
	EXPECT_NE(program, 0);   // the colour program, current again
	EXPECT_FALSE(glIsEnabled(GL_BLEND));
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	glGetIntegerv(GL_CURRENT_PROGRAM, &program);
	GLfloat transparency = -1.0f;
	glGetUniformfv(program, glGetUniformLocation(program, "uTransparencyValue"), &transparency);
	EXPECT_EQ(transparency, 0.0f);

	KEGfxSetCamPosition(500.0f, 440.0f);
	for (float t : {0.0f, 0.5f})
	{
		const std::vector<UiColor> cached = Draw(level, CACHED, t);
		EXPECT_EQ(Differing(cached, Draw(level, TILES, t)), 0u);
		EXPECT_TRUE(t > 0.0f || Count(cached, kMagenta) == 800 * 600);   // nothing but the background
	}
	EXPECT_TRUE(glIsEnabled(GL_BLEND));   // the objects drawn after the layers blend
}
