#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "EngineHarness.h"
#include "KEFrameRateController.h"
#include "KEGraphics.h"
#include "KEInput.h"
#include "MenuBox.h"
#include "UiPixels.h"

namespace
{
bool EndsWith(const KEGfxTexture* texture, const char* tail)
{
	if (!texture)
		return false;
	size_t length = strlen(texture->fileName), tailLength = strlen(tail);
	return length >= tailLength && strcmp(texture->fileName + length - tailLength, tail) == 0;
}

class MenuBoxTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		KEGfxSetCamPosition(0.0f, 0.0f);
	}
};

// Draws one box alone over a grey background and returns the colour at window (x, y).
UiColor DrawAlone(Menu_box& box, int x, int y)
{
	KEGfxSetBackgroundColor(0.5f, 0.5f, 0.5f);
	KEGfxStart();
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	box.Draw();
	UiColor color = UiReadPixel(x, y);
	KEGfxEnd();
	return color;
}
}

TEST_F(MenuBoxTest, TextMapsLettersAndSpacesOntoTheSharedFont)
{
	Menu_box text(std::string("HOW TO PLAY"));
	ASSERT_NE(gFontGlyphs, nullptr);
	KEGfxTexture** table = gFontGlyphs;
	EXPECT_EQ(text.type, MENU_BOX_TEXT);
	EXPECT_EQ(text.textLength, 11);
	EXPECT_EQ(gLastFontTexture, gFontGlyphs[FONT_GLYPH_SPACE]);
	EXPECT_TRUE(EndsWith(gFontGlyphs[25], "ArtAssets/Font/Z.png"));
	EXPECT_TRUE(EndsWith(gFontGlyphs[FONT_GLYPH_SPACE], "ArtAssets/Font/space.png"));

	text.Load();
	ASSERT_NE(text.mesh, nullptr);
	ASSERT_EQ(text.glyphs.size(), 11u);
	const char* letters = "HOW TO PLAY";
	for (int i = 0; i < 11; ++i)
	{
		int expected = letters[i] == ' ' ? FONT_GLYPH_SPACE : letters[i] - 'A';
		EXPECT_EQ(text.glyphs[i], gFontGlyphs[expected]) << "character " << i;
	}

	// Only upper-case letters have pictures; anything else shows the space.
	Menu_box lower(std::string("how 2 go!"));
	EXPECT_EQ(gFontGlyphs, table);   // the table is built once
	lower.Load();
	ASSERT_EQ(lower.glyphs.size(), 9u);
	for (KEGfxTexture* glyph : lower.glyphs)
		EXPECT_EQ(glyph, gFontGlyphs[FONT_GLYPH_SPACE]);

	// The box owns its own copy of the text.
	std::string source = "AB";
	Menu_box copy(source);
	source[0] = 'Z';
	copy.Load();
	EXPECT_EQ(copy.text, "AB");
	EXPECT_EQ(copy.glyphs[0], gFontGlyphs[0]);

	text.Unload();
	lower.Unload();
	copy.Unload();
	// Boxes never release the shared glyphs.
	EXPECT_EQ(gFontGlyphs, table);
	EXPECT_TRUE(EndsWith(gFontGlyphs[7], "ArtAssets/Font/H.png"));
}

TEST_F(MenuBoxTest, UpdateBuildsTransformBoxAndMoves)
{
	Menu_box four(std::string("MENU")), five(std::string("PAUSE"));
	for (Menu_box* text : {&four, &five})
	{
		text->size = {30.0f, 20.0f};
		text->Update();
		EXPECT_FLOAT_EQ(text->boundingBox.min.x, -15.0f);
		EXPECT_FLOAT_EQ(text->boundingBox.max.x, 135.0f);
		EXPECT_FLOAT_EQ(text->boundingBox.min.y, -10.0f);
		EXPECT_FLOAT_EQ(text->boundingBox.max.y, 10.0f);
	}

	Menu_box picture;
	picture.size = {200.0f, 50.0f};
	picture.position = {10.0f, 20.0f};
	picture.velocity = {60.0f, -120.0f};
	picture.Update();
	float dt = (float)KEFrameRateControllerGetFrameTime();
	ASSERT_GT(dt, 0.0f);
	// This frame's transform still uses the position before the move; the box the new one.
	EXPECT_FLOAT_EQ(picture.transform.m[0][0], 200.0f);
	EXPECT_FLOAT_EQ(picture.transform.m[1][1], 50.0f);
	EXPECT_FLOAT_EQ(picture.transform.m[0][2], 10.0f);
	EXPECT_FLOAT_EQ(picture.transform.m[1][2], 20.0f);
	EXPECT_FLOAT_EQ(picture.position.x, 10.0f + 60.0f * dt);
	EXPECT_FLOAT_EQ(picture.position.y, 20.0f - 120.0f * dt);
	EXPECT_FLOAT_EQ(picture.boundingBox.min.x, picture.position.x - 100.0f);
	EXPECT_FLOAT_EQ(picture.boundingBox.max.y, picture.position.y + 25.0f);

	KEVec2 before = picture.position;
	picture.moving = 0;
	picture.Update();
	EXPECT_EQ(picture.position.x, before.x);
	EXPECT_EQ(picture.position.y, before.y);
}

TEST_F(MenuBoxTest, PictureListStaysInsideItsPictures)
{
	const std::string prefix = UiOutputPath("ui_list_");
	const UiColor colors[3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
	for (int i = 0; i < 3; ++i)
		ASSERT_TRUE(UiWriteSolidPNG(prefix + char('1' + i) + ".png", colors[i]));

	Menu_box list(3);
	EXPECT_TRUE(list.showSelected);
	list.Load();
	list.LoadImages(prefix.c_str());
	ASSERT_EQ(list.images.size(), 3u);
	EXPECT_EQ(std::string(list.images[2]->fileName), prefix + "3.png");
	list.size = {100.0f, 100.0f};
	list.Update();

	// Selected picture.
	list.selectedIndex = 1;
	EXPECT_TRUE(UiNear(DrawAlone(list, 400, 300), colors[1]));

	// Negative index without selection: picture 0, and the index is raised to 0.
	list.showSelected = false;
	list.imageIndex = -1;
	EXPECT_TRUE(UiNear(DrawAlone(list, 400, 300), colors[0]));
	EXPECT_EQ(list.imageIndex, 0);

	// Past the end, or a negative selection: the nearest picture, never memory outside.
	list.imageIndex = 7;
	EXPECT_EQ(list.CurrentPicture(), list.images[2]);
	EXPECT_TRUE(UiNear(DrawAlone(list, 400, 300), colors[2]));
	EXPECT_EQ(list.imageIndex, 7);
	list.showSelected = true;
	list.selectedIndex = -4;
	EXPECT_EQ(list.CurrentPicture(), list.images[0]);
	list.selectedIndex = 3;
	EXPECT_TRUE(UiNear(DrawAlone(list, 400, 300), colors[2]));

	// Tint reaches the shader: half alpha over grey.
	list.selectedIndex = 0;
	list.tint[3] = 0.5f;
	UiColor half = DrawAlone(list, 400, 300);
	EXPECT_TRUE(UiNear(half, {191, 64, 64}, 12)) << half.r << " " << half.g << " " << half.b;
	// Outside the quad the background shows.
	EXPECT_TRUE(UiNear(DrawAlone(list, 400 + 60, 300), {128, 128, 128}));

	// Loading again replaces the pictures; unloading leaves an empty list that draws nothing.
	list.LoadImages(prefix.c_str());
	list.Unload();
	EXPECT_EQ(list.CurrentPicture(), nullptr);
	EXPECT_EQ(list.mesh, nullptr);

	// A list with nothing loaded draws nothing rather than a stray texture.
	Menu_box empty(2);
	empty.Load();
	empty.size = {100.0f, 100.0f};
	empty.Update();
	EXPECT_TRUE(UiNear(DrawAlone(empty, 400, 300), {128, 128, 128}));
	empty.Unload();
}

TEST_F(MenuBoxTest, TextDrawsGlyphsRightwardFromThePosition)
{
	// Point the font at pictures of our own so the check does not depend on the art.
	Menu_box::LoadFont();
	KEGfxTexture* saved[FONT_GLYPH_COUNT];
	std::copy(gFontGlyphs, gFontGlyphs + FONT_GLYPH_COUNT, saved);
	const std::string aPath = UiOutputPath("ui_glyph_a.png"), spacePath = UiOutputPath("ui_glyph_space.png");
	ASSERT_TRUE(UiWriteSolidPNG(aPath, {255, 255, 0}));
	ASSERT_TRUE(UiWriteSolidPNG(spacePath, {0, 0, 0}));
	KEGfxTexture* a = KEGfxTextureLoad(aPath.c_str());
	KEGfxTexture* space = KEGfxTextureLoad(spacePath.c_str());
	gFontGlyphs[0] = a;
	gFontGlyphs[FONT_GLYPH_SPACE] = space;

	Menu_box text(std::string("A A"));
	text.Load();
	text.size = {40.0f, 40.0f};
	text.position = {-40.0f, 0.0f};   // first glyph centred 40 left of the view centre
	text.Update();
	KEGfxSetBackgroundColor(0.5f, 0.5f, 0.5f);
	KEGfxStart();
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	text.Draw();
	EXPECT_TRUE(UiNear(UiReadPixel(360, 300), {255, 255, 0}));
	EXPECT_TRUE(UiNear(UiReadPixel(400, 300), {0, 0, 0}));
	EXPECT_TRUE(UiNear(UiReadPixel(440, 300), {255, 255, 0}));
	EXPECT_TRUE(UiNear(UiReadPixel(480, 300), {128, 128, 128}));
	KEGfxEnd();

	text.Unload();
	std::copy(saved, saved + FONT_GLYPH_COUNT, gFontGlyphs);
	KEGfxTextureUnload(a);
	KEGfxTextureUnload(space);

	// Release at exit forgets the table; a later text box builds it again.
	Menu_box::ReleaseFont();
	EXPECT_EQ(gFontGlyphs, nullptr);
	EXPECT_EQ(gLastFontTexture, nullptr);
	Menu_box again(std::string("B"));
	ASSERT_NE(gFontGlyphs, nullptr);
	EXPECT_TRUE(EndsWith(gFontGlyphs[1], "ArtAssets/Font/B.png"));
	Menu_box::ReleaseFont();
}

TEST_F(MenuBoxTest, CursorInBoxUsesCameraAndTruncates)
{
	HarnessSetCursor(400, 300);
	KEInputUpdate();
	KEGfxSetCamPosition(100.0f, 50.0f);
	EXPECT_TRUE(CursorInBox(100.0f, 50.0f, 100.0f, 50.0f));   // edges count
	EXPECT_TRUE(CursorInBox(0.0f, 0.0f, 200.0f, 100.0f));
	EXPECT_FALSE(CursorInBox(100.5f, 0.0f, 200.0f, 100.0f));
	EXPECT_FALSE(CursorInBox(0.0f, 50.5f, 200.0f, 100.0f));
	EXPECT_FALSE(CursorInBox(0.0f, 0.0f, 99.5f, 100.0f));

	// Window y grows downwards: 20 pixels below the centre is 20 units lower in the world.
	HarnessSetCursor(430, 320);
	KEInputUpdate();
	EXPECT_TRUE(CursorInBox(130.0f, 30.0f, 130.0f, 30.0f));

	// Both coordinates are truncated toward zero: (100.7, 50.7) reads as (100, 50),
	// and (-100.7, -50.7) as (-100, -50).
	HarnessSetCursor(400, 300);
	KEInputUpdate();
	KEGfxSetCamPosition(100.7f, 50.7f);
	EXPECT_TRUE(CursorInBox(100.0f, 50.0f, 100.0f, 50.0f));
	KEGfxSetCamPosition(-100.7f, -50.7f);
	EXPECT_TRUE(CursorInBox(-100.0f, -50.0f, -100.0f, -50.0f));
	KEGfxSetCamPosition(0.0f, 0.0f);
}
