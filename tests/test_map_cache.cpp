// The floor and wall layers drawn from the picture cached at load must look like the
// tile-by-tile drawing, at any camera position, and leave the drawing state as it was.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "EngineHarness.h"
#include "GameStates.h"
#include "KEGameStateMgr.h"
#include "KEGraphics.h"
#include "KESystem.h"
#include "LevelState.h"
#include "Path.h"
#include "UiPixels.h"
#include "Wall.h"

namespace
{
struct MapCacheTest : ::testing::Test
{
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		HarnessRegisterGameStates();
		KEGfxSetBackgroundColor(0.0f, 0.0f, 0.0f);
	}
	void TearDown() override
	{
		KEGfxSetCamPosition(0.0f, 0.0f);
		if (gKEGameStateCurr == gKEGameStateNext)
			gKEGameStateNext = STATE_MENU;
		HarnessLeaveState();
	}
};

float TextureTransparency()
{
	GLuint program = 0;
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	glGetIntegerv(GL_CURRENT_PROGRAM, (GLint*)&program);
	GLfloat value = -1.0f;
	glGetUniformfv(program, glGetUniformLocation(program, "uTransparencyValue"), &value);
	return value;
}

// Both layers on black, either from the cache or tile by tile; the window's pixels.
std::vector<UiColor> DrawLayers(LevelModule& level, bool cached, float transparency)
{
	KEGfxStart();
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetTransparency(transparency);
	for (Map* layer : {(Map*)level.path, (Map*)level.wall})
	{
		if (cached)
		{
			layer->Draw();
			continue;
		}
		KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
		KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
		KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
		layer->DrawTiles(0, layer->mapWidth - 1, 0, layer->mapHeight - 1);
	}
	std::vector<UiColor> pixels = UiReadRegion(0, 0, KEGetWindowWidth(), KEGetWindowHeight());
	KEGfxEnd();
	return pixels;
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
				{
					const int nx = std::clamp(x + dx, 0, w - 1), ny = std::clamp(y + dy, 0, h - 1);
					near = UiNear(a[y * w + x], b[ny * w + nx], 2);
				}
			count += !near;
		}
	return count;
}
} // namespace

TEST_F(MapCacheTest, CachedLayersMatchTheTilesAtEveryCameraPosition)
{
	HarnessEnterState(STATE_TARN_LEVEL2);   // the widest map
	LevelModule& level = *GetLevelModule(STATE_TARN_LEVEL2);
	ASSERT_NE(level.path->rectangles, nullptr);
	ASSERT_NE(level.wall->rectangles, nullptr);
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
		SCOPED_TRACE(std::to_string(view.x) + ", " + std::to_string(view.y));
		KEToogleFullScreen(view.full);
		KEGfxSetCamPosition(view.x, view.y);
		const std::vector<UiColor> cached = DrawLayers(level, true, 1.0f);
		const std::vector<UiColor> tiles = DrawLayers(level, false, 1.0f);
		const size_t differing = Differing(cached, tiles, view.slack);
		std::printf("camera (%.2f, %.2f)%s: %zu of %zu pixels differ by more than 2 (%zu%s)\n", view.x, view.y,
		            view.full ? " full screen" : "", Differing(cached, tiles), cached.size(), differing,
		            view.slack ? " beside a pixel that matches" : "");
		EXPECT_LE(differing * (view.slack ? 100 : 1000), cached.size());
		if (view.picture)
		{
			KEGfxStart();
			level.path->Draw();
			level.wall->Draw();
			UiSaveBackBuffer(UiOutputPath(std::string(view.picture) + ".png"));
			KEGfxEnd();
		}
	}
	KEToogleFullScreen(false);
}

TEST_F(MapCacheTest, BuildingTheCacheKeepsTheDrawingStateAndTheFirstFrameLook)
{
	HarnessEnterState(STATE_SERVER_TUTORIAL);
	LevelModule& level = *GetLevelModule(STATE_SERVER_TUTORIAL);
	// A texture program never given a transparency draws the tiles invisibly; building the
	// cache must not change that, nor the blending or the current program.
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetTransparency(0.0f);
	KEGfxSetBlendMode(KE_BLEND_MODE_NONE);
	KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
	level.path->Unload();
	level.path->Load();
	ASSERT_NE(level.path->rectangles, nullptr);
	GLint program = 0;
	glGetIntegerv(GL_CURRENT_PROGRAM, &program);
	EXPECT_NE(program, 0);   // the colour program, current again
	EXPECT_FALSE(glIsEnabled(GL_BLEND));
	EXPECT_EQ(TextureTransparency(), 0.0f);

	KEGfxSetCamPosition(500.0f, 440.0f);
	for (float transparency : {0.0f, 0.5f})
	{
		const std::vector<UiColor> cached = DrawLayers(level, true, transparency);
		EXPECT_EQ(Differing(cached, DrawLayers(level, false, transparency)), 0u);
		if (transparency == 0.0f)
		{
			// nothing but the black background
			EXPECT_TRUE(std::all_of(cached.begin(), cached.end(), [](UiColor c) { return c.r + c.g + c.b == 0; }));
		}
	}
	EXPECT_TRUE(glIsEnabled(GL_BLEND));   // the objects drawn after the layers blend
}
