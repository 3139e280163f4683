#include <gtest/gtest.h>
#include <cctype>
#include <cstring>
#include "EngineHarness.h"
#include "HUD.h"
#include "KEInput.h"
#include "SoundFake.h"
#include "SoundManager.h"
#include "Transitation.h"
#include "UiPixels.h"

struct UiTest : ::testing::Test
{
	void SetUp() override { ASSERT_TRUE(HarnessStartEngine()); }
};

// Draws one box alone, blended over grey; true if the window centre is near want.
static bool DrawnAtCentre(Menu_box& box, UiColor want)
{
	KEGfxSetBackgroundColor(0.5f, 0.5f, 0.5f);
	KEGfxStart();
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	box.Draw();
	const bool near = UiNear(UiReadPixel(400, 300), want, 8);
	KEGfxEnd();
	return near;
}

TEST_F(UiTest, TextBoxGlyphsAndSharedFont)
{
	Menu_box text(std::string("HOW 2 go!"));
	KEGfxTexture** font = gFontGlyphs;   // built once, by the first text box
	text.Load();
	ASSERT_EQ(text.glyphs.size(), 9u);
	for (int i = 0; i < 9; ++i)   // only upper-case letters have pictures; the rest show the space
		EXPECT_EQ(text.glyphs[i], font[isupper(text.text[i]) ? text.text[i] - 'A' : FONT_GLYPH_SPACE]) << i;
	text.Unload();
	EXPECT_EQ(gFontGlyphs, font);   // boxes never release the shared font
	Menu_box::ReleaseFont();
	EXPECT_EQ(gFontGlyphs, nullptr);
}

TEST_F(UiTest, PictureListStaysInsideItsPictures)
{
	const std::string prefix = UiOutputPath("ui_list_");
	const UiColor colors[2] = {{255, 0, 0}, {0, 0, 255}};
	ASSERT_TRUE(UiWriteSolidPNG(prefix + "1.png", colors[0]) && UiWriteSolidPNG(prefix + "2.png", colors[1]));
	Menu_box list(2);
	list.Load();
	list.size = {100.0f, 100.0f};
	list.Update();
	EXPECT_TRUE(DrawnAtCentre(list, {128, 128, 128}));   // nothing loaded: not the last texture
	list.LoadImages(prefix.c_str());
	list.showSelected = false;
	list.imageIndex = -1;   // without the selection: picture 0, and the index is raised to 0
	EXPECT_TRUE(DrawnAtCentre(list, colors[0]) && list.imageIndex == 0);
	list.imageIndex = 7;   // past either end: the nearest picture, never memory outside the list
	EXPECT_TRUE(DrawnAtCentre(list, colors[1]));
	list.Unload();
}

TEST_F(UiTest, CursorInBoxUsesTheCamera)
{
	HarnessSetCursor(400, 300);
	KEInputUpdate();
	KEGfxSetCamPosition(100.0f, 50.0f);   // the window centre is the camera; edges count
	EXPECT_TRUE(CursorInBox(100.0f, 50.0f, 100.0f, 50.0f) && !CursorInBox(100.5f, 41.0f, 109.0f, 49.5f));
}

TEST_F(UiTest, TransitationHoldsThenPausesSpareBAsItRises)
{
	gDeltaTime = 1.0f / 60.0f;   // the curtain times itself by the game's frame time
	SoundFake fake;
	SoundManager sound(&fake);
	gSoundManager = &sound;
	sound.LoadSounds();
	sound.PlayOnSlot(0, sound.spareB);
	Transitation curtain;
	curtain.Load();
	auto updatesUntil = [&](auto done)
	{
		int updates = 0;
		for (; !done() && updates < 400; ++updates)
			curtain.Update();
		return updates;
	};
	curtain.Init();
	EXPECT_EQ(updatesUntil([&] { return curtain.covered; }), 91);   // first run: 90 frames down
	EXPECT_FALSE(sound.spareB.paused);
	const float y = curtain.curtain[0]->position.y;   // holds 0.5 s, the covering update counting
	EXPECT_EQ(updatesUntil([&] { return curtain.curtain[0]->position.y != y; }), 29);
	EXPECT_TRUE(sound.spareB.paused && fake.At(sound.spareB.channel)->paused);
	curtain.Unload();
	gSoundManager = nullptr;
}

// Renders the HUD to ui_overview.png for a person to look at. It shows the servers left and the
// lives, never less than 1.
TEST_F(UiTest, OverviewPictureAndHUDDigits)
{
	int hacked = 3, lives = 0;
	HUD hud(&hacked);
	hud.Load();
	hud.Init();
	hud.serverTotal = 3;
	hud.livesRef = &lives;
	KEGfxSetBackgroundColor(0.15f, 0.35f, 0.45f);
	KEGfxStart();
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	hud.Update();
	hud.Draw();
	EXPECT_TRUE(UiSaveBackBuffer(UiOutputPath("ui_overview.png")));
	KEGfxEnd();
	EXPECT_STREQ(strrchr(hud.serversDigit->CurrentPicture()->fileName, '/'), "/1.png");
	EXPECT_STREQ(strrchr(hud.livesDigit->CurrentPicture()->fileName, '/'), "/1.png");
	hacked = 1;
	hud.Update();
	EXPECT_STREQ(strrchr(hud.serversDigit->CurrentPicture()->fileName, '/'), "/2.png");
	hud.Unload();
}
