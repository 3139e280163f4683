// A small scene through the whole renderer, saved beside the test executable for a look.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include "GfxTestUtil.h"
#include "KEGraphics.h"

#include <cstdio>
#include <vector>

TEST(GraphicsScene, TexturedColouredBlendedAndText)
{
	ASSERT_TRUE(GfxStartEngine());
	// 16 x 16: a yellow ring on blue with a red top row, so its orientation shows.
	std::vector<unsigned char> px;
	for (int y = 0; y < 16; ++y)
		for (int x = 0; x < 16; ++x)
		{
			const int d = (2 * x - 15) * (2 * x - 15) + (2 * y - 15) * (2 * y - 15);
			const bool ring = d > 100 && d < 200;
			px.insert(px.end(), {(unsigned char)(y == 0 || ring ? 255 : 30),
			                     (unsigned char)(y == 0 ? 0 : ring ? 220 : 60),
			                     (unsigned char)(y == 0 || ring ? 0 : 160), 255});
		}
	KEGfxTexture* sprite = KEGfxTextureLoadFromMemory(px.data(), 16, 16);
	KEGfxTexture* missing = KEGfxTextureLoad("ArtAssets/gfx_no_such_file.png");
	unsigned int font = KEGfxCreateFont("Courier New", 14, true, true);
	KEGfxVertexList* quad = GfxMakeQuad(1.0f, 0xFFFFFFFF);
	KEGfxMeshStart();
	KEGfxTriAdd(-60, -50, 0xFFFF0000, 0, 0, 60, -50, 0xFF00FF00, 0, 0, 0, 60, 0xFF0000FF, 0, 0);
	KEGfxVertexList* tri = KEGfxMeshEnd();
	auto draw = [&](float w, float h, float x, float y) {
		KEMtx33 m = {{{w, 0, x}, {0, h, y}, {0, 0, 1}}};
		KEGfxSetTransform(&m);
		KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
	};

	GfxBeginFrame(KE_RENDER_MODE_COLOR);
	KEGfxSetBackgroundColor(0.2f, 0.25f, 0.3f);
	KEGfxStart();   // once more, for the dark background
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	KEGfxSetTintColor(0.25f, 0.4f, 0.25f, 1);   // a dark green floor under the text
	draw(700, 120, 0, -200);
	KEGfxSetTintColor(1, 1, 1, 1);
	KEGfxSetPosition(-250, 50);
	KEGfxMeshDraw(tri, KE_MESH_DRAW_TRIANGLES);

	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxTextureSet(sprite, 0, 0);
	KEGfxSetTintColor(1, 1, 1, 1);
	KEGfxSetTransparency(1);
	draw(160, 160, 0, 50);
	KEGfxTextureSet(missing, 0, 0);
	draw(120, 120, 250, 50);

	KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
	KEGfxSetTransparency(0.5f);   // a half-transparent white veil over the sprite's right half
	draw(100, 200, 60, 50);
	KEGfxSetTransparency(1);
	KEGfxPrint(font, "Hold down [Space] to hack! 100%", -200, -150, 1.0f, 1.0f, 0.0f);

	EXPECT_TRUE(UiNear(GfxReadPixel(20, 580), UiColor{51, 64, 77}, 1));        // background
	EXPECT_TRUE(UiNear(GfxReadPixel(340, 425), UiColor{255, 0, 0}, 2));       // sprite's top row
	EXPECT_TRUE(UiNear(GfxReadPixel(380, 350), UiColor{30, 60, 160}, 2));     // sprite's centre
	EXPECT_TRUE(UiNear(GfxReadPixel(430, 350), UiColor{143, 158, 208}, 2));   // veiled
	EXPECT_TRUE(UiNear(GfxReadPixel(595, 395), UiColor{255, 0, 255}, 2));     // placeholder
	EXPECT_GT(300 * 14 - GfxCountPixelsNot(200, 150, 300, 14, UiColor{255, 255, 0}), 200);   // text

	const std::string shot = UiOutputPath("gfx_scene.png");
	EXPECT_TRUE(UiSaveBackBuffer(shot));
	KEGfxEnd();
	std::printf("scene saved to %s\n", shot.c_str());

	KEGfxDestroyFont(font);
	KEGfxMeshFree(tri);
	KEGfxMeshFree(quad);
	KEGfxTextureUnload(sprite);
	KEGfxTextureUnload(missing);
}
