#include <gtest/gtest.h>
#include <cctype>
#include <cstring>
#include "EngineHarness.h"
#include "HUD.h"
#include "KEGraphics.h"
#include "KEInput.h"
#include "SoundFake.h"
#include "SoundManager.h"
#include "Transitation.h"
#include "UiPixels.h"

namespace
{
struct UiTest : ::testing::Test
{
	// A camera change reaches the shaders when they are bound again, at the next frame.
	void SetUp() override { ASSERT_TRUE(HarnessStartEngine()); KEGfxSetCamPosition(0.0f, 0.0f); KEGfxEnd(); }
};

// Draws one box alone over a grey background; true if the window pixel at (x, y) is near want.
bool DrawnAt(Menu_box& box, int x, int y, UiColor want, float grey = 0.5f, bool blend = true, int tolerance = 8)
{
	KEGfxSetBackgroundColor(grey, grey, grey);
	KEGfxStart();
	if (blend)
		KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	box.Draw();
	const bool near = UiNear(UiReadPixel(x, y), want, tolerance);
	return KEGfxEnd(), near;
}
}

TEST_F(UiTest, TextBoxGlyphsBoundsAndFont)
{
	Menu_box text(std::string("HOW 2 go!"));
	KEGfxTexture** font = gFontGlyphs;   // built once, by the first text box
	ASSERT_NE(font, nullptr);
	text.Load();
	ASSERT_EQ(text.glyphs.size(), 9u);
	for (int i = 0; i < 9; ++i)   // only upper-case letters have pictures; the rest show the space
		EXPECT_EQ(text.glyphs[i], font[isupper(text.text[i]) ? text.text[i] - 'A' : FONT_GLYPH_SPACE]) << i;
	EXPECT_STREQ(font[FONT_GLYPH_SPACE]->fileName, "ArtAssets/Font/space.png");
	text.Unload();
	EXPECT_EQ(gFontGlyphs, font);   // boxes never release the shared font
	Menu_box::ReleaseFont();        // at exit; a later text box builds it again
	EXPECT_EQ(gFontGlyphs, nullptr);
	for (const char* word : {"MENU", "PAUSE"})   // an even length reaches one glyph further
	{
		Menu_box box{std::string(word)};
		box.size = {30.0f, 20.0f};
		box.Update();
		EXPECT_TRUE(box.boundingBox.min.x == -15.0f && box.boundingBox.max.x == 135.0f) << word;
	}
	EXPECT_STREQ(gFontGlyphs[1]->fileName, "ArtAssets/Font/B.png");
}

TEST_F(UiTest, PictureListStaysInsideItsPictures)
{
	const std::string prefix = UiOutputPath("ui_list_");
	const UiColor colors[3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
	for (int i = 0; i < 3; ++i)
		ASSERT_TRUE(UiWriteSolidPNG(prefix + char('1' + i) + ".png", colors[i]));
	Menu_box list(3), empty(2);
	for (Menu_box* box : {&list, &empty})
		box->Load(), box->size = {100.0f, 100.0f}, box->Update();
	list.LoadImages(prefix.c_str()), list.selectedIndex = 1;
	EXPECT_TRUE(DrawnAt(list, 400, 300, colors[1]));
	list.showSelected = false, list.imageIndex = -1;   // without the selection: picture 0, and the index is raised to 0
	EXPECT_TRUE(DrawnAt(list, 400, 300, colors[0]) && list.imageIndex == 0);
	list.imageIndex = 7;   // past either end: the nearest picture, never memory outside the list
	EXPECT_TRUE(DrawnAt(list, 400, 300, colors[2]));
	list.showSelected = true, list.selectedIndex = -4;
	EXPECT_EQ(list.CurrentPicture(), list.images[0]);
	EXPECT_TRUE(DrawnAt(empty, 400, 300, {128, 128, 128}));   // nothing loaded: not the last texture
	list.Unload(), empty.Unload();
}

TEST_F(UiTest, CursorInBoxUsesTheCameraAndTruncates)
{
	HarnessSetCursor(400, 300);
	KEInputUpdate();
	KEGfxSetCamPosition(100.0f, 50.0f);   // the window centre is the camera; edges count
	EXPECT_TRUE(CursorInBox(100.0f, 50.0f, 100.0f, 50.0f) && !CursorInBox(100.5f, 41.0f, 109.0f, 49.5f));
	HarnessSetCursor(430, 320);   // window y grows downwards; both coordinates truncated toward zero
	KEInputUpdate();
	KEGfxSetCamPosition(-100.7f, -50.7f);
	EXPECT_TRUE(CursorInBox(-70.0f, -70.0f, -70.0f, -70.0f));
}

TEST_F(UiTest, HUDDigitsFollowTheCounters)
{
	int lives = 3, hacked = 0;
	HUD hud(&hacked);
	hud.Load(), hud.Init();
	auto shownDigit = [](const Menu_box* list)   // from the file name: "ArtAssets/3.png" -> 3
	{ return list->CurrentPicture() ? strrchr(list->CurrentPicture()->fileName, '/')[1] - '0' : -1; };
	hud.serverTotal = 3, hud.Update();
	EXPECT_EQ(shownDigit(hud.livesDigit), 3);   // no lives counter yet: the starting picture
	// Servers to hack 3, 2, 1, still 1 once all are done; lives 3, 2, 1, 0 show 3, 2, 1, 1.
	hud.livesRef = &lives;
	for (const int shown : {3, 2, 1, 1})
	{
		hud.Update(), hud.Draw();
		EXPECT_TRUE(shownDigit(hud.serversDigit) == shown && shownDigit(hud.livesDigit) == shown) << hacked;
		++hacked, --lives;
	}
	hud.Unload(), hud.Update(), hud.Draw();   // nothing left to update or draw, nothing to crash on
}

TEST_F(UiTest, TransitationSlidesDownHoldsAndSlidesUp)
{
	gDeltaTime = 1.0f / 60.0f;   // the curtain times itself by the game's frame time
	SoundFake fake;
	SoundManager sound(&fake);
	gSoundManager = &sound, sound.LoadSounds();
	sound.PlayOnSlot(0, sound.spareB);   // spare slot B, which the rising curtain pauses
	Transitation curtain;
	curtain.Load();   // before starting: idle and invisible, even with blending off
	Menu_box* black = curtain.curtain[0];
	curtain.Update();
	EXPECT_TRUE(DrawnAt(curtain, 400, 300, {255, 255, 255}, 1.0f, false));
	auto updatesUntil = [&](auto done)
	{ int updates = 0; for (; !done() && updates < 400; ++updates) curtain.Update(); return updates; };
	KEGfxSetCamPosition(300.0f, 200.0f), curtain.Init();
	EXPECT_FLOAT_EQ(black->position.y, 1800.0f);   // the lower edge 80 below the view centre
	KEGfxSetCamPosition(-700.0f, 900.0f);          // camera moves after the start do not move it
	EXPECT_EQ(updatesUntil([&] { return curtain.covered; }), 91);   // first run: 90 frames of 15 units
	EXPECT_TRUE(!sound.spareB.paused && black->position.x == 300.0f);   // still playing while it comes down
	EXPECT_FLOAT_EQ(black->position.y, 1800.0f - 90 * 15.0f);
	const float y = black->position.y;   // holds 0.5 s (the covering update counts), rises 25 a frame
	EXPECT_EQ(updatesUntil([&] { return black->position.y != y; }), 29);
	EXPECT_TRUE(sound.spareB.paused && fake.At(sound.spareB.channel)->paused);
	EXPECT_EQ(updatesUntil([&] { return curtain.finished; }), 78);   // 77 more rising frames, then the end
	EXPECT_TRUE(curtain.idle && !curtain.covered && black->position.y == y + 78 * 25.0f);
	KEGfxSetCamPosition(0.0f, 0.0f), curtain.Init();   // later runs slide down for 1.3 s only (the slide timer is kept), still covering
	EXPECT_EQ(curtain.finished ? -1 : updatesUntil([&] { return curtain.covered; }), 79);
	for (int corner = 0; corner < 4; ++corner)
		EXPECT_FALSE(DrawnAt(curtain, corner % 2 * 799, corner / 2 * 599, {128, 128, 128}, 0.5f, true, 30)) << corner;
	curtain.holdTimer = 0.0f, curtain.Update();   // a hold ending exactly at zero still lets it rise
	EXPECT_FLOAT_EQ(black->position.y, 1600.0f - 78 * 15.0f + 25.0f);
	curtain.Unload(), gSoundManager = nullptr;
}

// Renders a text box, a picture list and the HUD to ui_overview.png for a person to look at;
// checks only what does not depend on the art.
TEST_F(UiTest, OverviewPicture)
{
	const std::string prefix = UiOutputPath("ui_overview_");
	ASSERT_TRUE(UiWriteSolidPNG(prefix + "1.png", {230, 40, 40}) && UiWriteSolidPNG(prefix + "2.png", {240, 200, 30}));
	int hacked = 1;
	HUD hud(&hacked);
	Menu_box title(std::string("HOW TO PLAY")), list(2);
	Menu_box* boxes[] = {&title, &list, &hud};
	for (Menu_box* box : boxes)
		box->Load(), box->Init();
	list.LoadImages(prefix.c_str()), list.selectedIndex = 1;
	title.size = {50.0f, 50.0f}, title.position = {250.0f, -140.0f};
	list.size = {120.0f, 80.0f}, list.position = {500.0f, -350.0f};
	KEGfxSetCamPosition(500.0f, -200.0f), KEGfxEnd();   // the HUD follows the camera to the top of the view
	KEGfxSetBackgroundColor(0.15f, 0.35f, 0.45f), KEGfxStart(), KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	for (Menu_box* box : boxes)
		box->Update(), box->Draw();
	EXPECT_TRUE(UiSaveBackBuffer(UiOutputPath("ui_overview.png")));
	auto differing = [&](int x, int y, int width, int height)
	{ int n = 0; for (UiColor p : UiReadRegion(x, y, width, height)) n += !UiNear(p, {38, 89, 115}, 2); return n; };
	EXPECT_TRUE(UiNear(UiReadPixel(400, 450), {240, 200, 30}));   // list picture 2
	EXPECT_GT(differing(0, 0, 800, 60), 800 * 60 / 4);            // the bar, whatever the art
	EXPECT_EQ(differing(0, 100, 800, 60) + differing(400, 300, 1, 1), 0);   // nothing below the bar
	EXPECT_TRUE(differing(125, 215, 50, 50) && differing(625, 215, 50, 50));   // glyphs H and Y, 10 apart
	EXPECT_FLOAT_EQ(hud.bar->boundingBox.max.y, 100.0f);           // the top of the view
	for (Menu_box* box : boxes)
		box->Unload();
}
