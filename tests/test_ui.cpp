#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <cstring>
#include "EngineHarness.h"
#include "HUD.h"
#include "Light.h"
#include "LightArea.h"
#include "SoundFake.h"
#include "SoundManager.h"
#include "Transitation.h"
#include "UiPixels.h"

struct UiTest : ::testing::Test
{
	void SetUp() override { ASSERT_TRUE(HarnessStartEngine()); }
};

// What draw() leaves, blended over grey, in a region of the window.
template <typename Draw> static std::vector<UiColor> OverGrey(Draw draw, int x, int y, int width, int height)
{
	KEGfxSetBackgroundColor(0.5f, 0.5f, 0.5f);
	KEGfxStart();
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	draw();
	std::vector<UiColor> region = UiReadRegion(x, y, width, height);
	KEGfxEnd();
	return region;
}
static bool DrawnAtCentre(Menu_box& box, UiColor want) { return UiNear(OverGrey([&] { box.Draw(); }, 400, 300, 1, 1)[0], want, 8); }

// The lamp's area over grey: the highlight under the cursor, dark or lit; a dark lamp's
// translucent black square; a lit lamp's area not pointed at draws nothing.
TEST_F(UiTest, LightAreaHighlightSquareOrNothing)
{
	KEGfxSetCamPosition(0.0f, 0.0f);
	Light lamp(nullptr);
	LightArea area(&lamp);
	lamp.Load(), area.Load(), area.Init();
	auto drawn = [&](bool over, bool lit) {
		lamp.mouseOver = over, lamp.switchedOn = lit;
		const std::vector<UiColor> region = OverGrey([&] { area.Draw(); }, 310, 210, 180, 180);
		UiColor mean{0, 0, 0};
		for (UiColor c : region)
			mean.r += c.r, mean.g += c.g, mean.b += c.b;
		const int n = (int)region.size();
		return UiColor{mean.r / n, mean.g / n, mean.b / n};
	};
	drawn(true, true);   // the process's first frame only sets the renderer up
	const UiColor highlight = drawn(true, true), grey{128, 128, 128}, square{80, 80, 80};
	EXPECT_FALSE(UiNear(highlight, grey, 4) || UiNear(highlight, square, 4));
	const struct { bool over, lit; UiColor want; } cases[] = {
		{true, false, highlight}, {false, false, square}, {false, true, grey}};
	for (const auto& c : cases)
		EXPECT_TRUE(UiNear(drawn(c.over, c.lit), c.want, 3)) << c.over << c.lit;
	lamp.Unload(), area.Unload();
}

TEST_F(UiTest, TextBoxGlyphsSharedFontAndPictureLists)
{
	Menu_box text(std::string("HOW 2 go!"));
	KEGfxTexture** font = gFontGlyphs;   // built once, by the first text box
	text.Load();
	ASSERT_EQ(text.glyphs.size(), 9u);
	for (int i = 0; i < 9; ++i)   // only upper-case letters have pictures; the rest show the space
		EXPECT_EQ(text.glyphs[i], font[isupper(text.text[i]) ? text.text[i] - 'A' : FONT_GLYPH_SPACE]) << i;
	text.Unload();
	EXPECT_EQ(gFontGlyphs, font);   // boxes never release the shared font
	Menu_box spaced(std::string(" H"));   // each glyph a box width right of the one before
	spaced.Load();
	spaced.size = {50.0f, 50.0f};
	spaced.Update();
	KEGfxSetCamPosition(0.0f, 0.0f);
	int ink[2] = {0, 0};   // in the cell of the space and in that of the H
	for (int cell = 0; cell < 2; ++cell)
		for (UiColor c : OverGrey([&] { spaced.Draw(); }, 375 + 50 * cell, 275, 50, 50))
			ink[cell] += !UiNear(c, {128, 128, 128}, 8);
	EXPECT_TRUE(ink[0] == 0 && ink[1] > 100) << ink[0] << " " << ink[1];
	spaced.Unload();
	Menu_box::ReleaseFont();
	EXPECT_EQ(gFontGlyphs, nullptr);

	// A picture list stays inside its pictures.
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
	KEGfxSetCamPosition(2400.0f, 1500.0f);   // far east in the widest level: it follows the camera
	auto updatesUntil = [&](auto done)
	{
		int updates = 0;
		for (; !done() && updates < 400; ++updates)
			curtain.Update();
		return updates;
	};
	auto rowIs = [&](int y, UiColor want) {   // one window row
		const std::vector<UiColor> row = OverGrey([&] { curtain.Draw(); }, 0, y, 800, 1);
		return std::all_of(row.begin(), row.end(), [&](UiColor c) { return UiNear(c, want, 2); });
	};
	curtain.Init();
	// The bottom row, the last to turn black, does so on the 15th frame of 15 units each.
	EXPECT_EQ(updatesUntil([&] { return rowIs(599, {0, 0, 0}); }), 15);
	EXPECT_EQ(15 + updatesUntil([&] { return curtain.covered; }), 91);   // first run: 90 frames down
	EXPECT_FALSE(sound.spareB.paused);
	const float y = curtain.curtain[0]->position.y;   // holds 0.5 s, the covering update counting
	EXPECT_EQ(updatesUntil([&] { return curtain.curtain[0]->position.y != y; }), 29);
	EXPECT_TRUE(sound.spareB.paused && fake.At(sound.spareB.channel)->paused);
	bool clearAtTheEnd = false;   // the top row, the last to clear, on the last frame before the end
	for (int updates = 0; !curtain.finished && updates < 200; ++updates)
		if (curtain.Update(), !curtain.finished)
			clearAtTheEnd = rowIs(0, {128, 128, 128});
	EXPECT_TRUE(curtain.finished && clearAtTheEnd);
	KEGfxSetCamPosition(0.0f, 0.0f);
	curtain.Unload();
	gSoundManager = nullptr;
}

// The HUD follows the camera; its digits show the lives and the servers still to hack, never less than 1.
TEST_F(UiTest, HUDDigits)
{
	int hacked = 0, lives = 3;
	HUD hud(&hacked);
	hud.Load();
	hud.Init();
	hud.serverTotal = 3;
	hud.livesRef = &lives;
	KEGfxSetCamPosition(100.0f, 50.0f);
	hud.Update();
	const KEVec2 at[] = {hud.livesDigit->position, hud.serversDigit->position, hud.bar->position};
	EXPECT_EQ(std::vector<float>({at[0].x, at[0].y, at[1].x, at[1].y, at[2].x, at[2].y}),
	          std::vector<float>({-135, 320, 50, 320, 100, 320}));
	KEGfxSetCamPosition(0.0f, 0.0f);
	auto shown = [](Menu_box* digit) { return std::string(strrchr(digit->CurrentPicture()->fileName, '/')); };
	// {lives or servers hacked, the picture}
	const struct { int count; const char* picture; } lifeCases[] = {{3, "/3.png"}, {2, "/2.png"}, {1, "/1.png"}, {0, "/1.png"}},
		serverCases[] = {{0, "/3.png"}, {1, "/2.png"}, {2, "/1.png"}, {3, "/1.png"}};
	for (int i = 0; i < 4; ++i)
	{
		lives = lifeCases[i].count, hacked = serverCases[i].count;
		hud.Update();
		EXPECT_EQ(shown(hud.livesDigit), lifeCases[i].picture) << lives << " lives";
		EXPECT_EQ(shown(hud.serversDigit), serverCases[i].picture) << hacked << " hacked";
	}
	hud.Unload();
}
