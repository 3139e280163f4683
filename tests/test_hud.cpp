#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "EngineHarness.h"
#include "HUD.h"
#include "KEGraphics.h"
#include "UiPixels.h"

namespace
{
// The digit a list shows now, read from its picture's file name ("ArtAssets/3.png" -> 3).
int ShownDigit(const Menu_box* list)
{
	const KEGfxTexture* picture = list->CurrentPicture();
	if (!picture)
		return -1;
	const char* name = strrchr(picture->fileName, '/');
	return name ? name[1] - '0' : -1;
}

int CountDiffering(const std::vector<UiColor>& pixels, UiColor background)
{
	int count = 0;
	for (UiColor pixel : pixels)
		count += UiNear(pixel, background, 2) ? 0 : 1;
	return count;
}

class HUDTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		KEGfxSetCamPosition(0.0f, 0.0f);
		hud = new HUD(hacked);
		hud->livesRef = &lives;
		hud->Load();
		hud->Init();
	}
	void TearDown() override
	{
		if (hud)
		{
			hud->Unload();
			delete hud;
		}
	}

	int  lives = 3;
	int  hacked = 0;
	HUD* hud = nullptr;
};
}

TEST_F(HUDTest, DigitsFollowTheCounters)
{
	ASSERT_EQ(hud->children.size(), 3u);
	EXPECT_EQ(hud->children[0], hud->bar);   // drawn first, under the digits
	EXPECT_STREQ(hud->bar->texture->fileName, "ArtAssets/hud.png");
	EXPECT_STREQ(hud->serversDigit->images[5]->fileName, "ArtAssets/6.png");

	// Servers still to hack: 3, 2, 1, and still 1 once the last one is done.
	hud->serverTotal = 3;
	const int servers[4] = {3, 2, 1, 1};
	for (hacked = 0; hacked <= 3; ++hacked)
	{
		hud->Update();
		EXPECT_EQ(ShownDigit(hud->serversDigit), servers[hacked]) << hacked << " hacked";
	}

	// Lives 3, 2, 1, 0 show 3, 2, 1, 1 (the drawing raises the index of 0 lives to 0).
	const int shown[4] = {3, 2, 1, 1};
	for (lives = 3; lives >= 0; --lives)
	{
		hud->Update();
		hud->Draw();
		EXPECT_EQ(ShownDigit(hud->livesDigit), shown[3 - lives]) << lives << " lives";
	}
	EXPECT_EQ(hud->livesDigit->imageIndex, 0);

	// More servers than digit pictures: the last picture, never past the list.
	hacked = 0;
	hud->serverTotal = 9;
	hud->Update();
	EXPECT_EQ(ShownDigit(hud->serversDigit), 6);

	// Without a lives counter the lives digit keeps its picture.
	hud->livesRef = nullptr;
	hud->Init();
	hud->Update();
	EXPECT_EQ(ShownDigit(hud->livesDigit), 3);
}

TEST_F(HUDTest, StaysAtTheTopOfTheViewWhereverTheCameraGoes)
{
	for (KEVec2 cam : {KEVec2{0.0f, 0.0f}, KEVec2{1234.0f, -567.0f}})
	{
		KEGfxSetCamPosition(cam.x, cam.y);
		hud->Update();
		EXPECT_FLOAT_EQ(hud->bar->position.x, cam.x);
		EXPECT_FLOAT_EQ(hud->bar->position.y, cam.y + 270.0f);
		EXPECT_FLOAT_EQ(hud->livesDigit->position.x, cam.x - 235.0f);
		EXPECT_FLOAT_EQ(hud->livesDigit->position.y, cam.y + 270.0f);
		EXPECT_FLOAT_EQ(hud->serversDigit->position.x, cam.x - 50.0f);
		EXPECT_FLOAT_EQ(hud->serversDigit->position.y, cam.y + 270.0f);
		// The bar spans the view's top 60 units; the transforms follow in the same frame.
		EXPECT_FLOAT_EQ(hud->bar->boundingBox.max.y, cam.y + 300.0f);
		EXPECT_FLOAT_EQ(hud->bar->boundingBox.min.x, cam.x - 400.0f);
		EXPECT_FLOAT_EQ(hud->bar->boundingBox.max.x, cam.x + 400.0f);
		EXPECT_FLOAT_EQ(hud->bar->boundingBox.min.y, cam.y + 240.0f);
		EXPECT_FLOAT_EQ(hud->livesDigit->transform.m[0][0], 30.0f);
		EXPECT_FLOAT_EQ(hud->serversDigit->transform.m[1][2], cam.y + 270.0f);
	}

	hud->Unload();
	EXPECT_TRUE(hud->children.empty());
	EXPECT_EQ(hud->bar, nullptr);
	hud->Draw();   // nothing left to draw, nothing to crash on
	delete hud;
	hud = nullptr;
}

// Renders a text box, a picture list and the HUD over a coloured background to
// ui_overview.png in the build tree, for a person to look at; checks what does not
// depend on the art.
TEST_F(HUDTest, OverviewPicture)
{
	const std::string prefix = UiOutputPath("ui_overview_");
	ASSERT_TRUE(UiWriteSolidPNG(prefix + "1.png", {230, 40, 40}));
	ASSERT_TRUE(UiWriteSolidPNG(prefix + "2.png", {240, 200, 30}));

	KEGfxSetCamPosition(500.0f, -200.0f);
	hud->serverTotal = 3;
	hacked = 1;
	lives = 2;
	hud->Update();

	Menu_box title(std::string("HOW TO PLAY"));
	title.Load();
	title.size = {50.0f, 50.0f};
	title.position = {500.0f - 250.0f, -200.0f + 60.0f};
	title.Update();

	Menu_box list(2);
	list.Load();
	list.LoadImages(prefix.c_str());
	list.selectedIndex = 1;
	list.size = {120.0f, 80.0f};
	list.position = {500.0f, -200.0f - 150.0f};
	list.Update();

	// The new camera reaches the texture program when it is bound again after a frame end.
	KEGfxEnd();
	KEGfxSetBackgroundColor(0.15f, 0.35f, 0.45f);
	KEGfxStart();
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	title.Draw();
	list.Draw();
	hud->Draw();
	std::string out = UiOutputPath("ui_overview.png");
	EXPECT_TRUE(UiSaveBackBuffer(out));
	std::printf("overview picture: %s\n", out.c_str());

	UiColor background = {38, 89, 115};
	EXPECT_TRUE(UiNear(UiReadPixel(400, 300), background));
	EXPECT_TRUE(UiNear(UiReadPixel(400, 450), {240, 200, 30}));   // list picture 2
	// Something is drawn over the bar's rows and over the first glyph (whatever the art).
	EXPECT_GT(CountDiffering(UiReadRegion(0, 0, 800, 60), background), 800 * 60 / 4);
	EXPECT_GT(CountDiffering(UiReadRegion(125, 215, 50, 50), background), 0);
	// Nothing is drawn between the bar and the text.
	EXPECT_EQ(CountDiffering(UiReadRegion(0, 100, 800, 60), background), 0);
	KEGfxEnd();

	title.Unload();
	list.Unload();
}
