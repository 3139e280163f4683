// The main menu drawn through its kept picture of still layers must look exactly as when
// every layer is drawn, on every page and right after a layer changes.
#include <gtest/gtest.h>

#include <cstdio>
#include <utility>
#include <string>
#include <vector>

#include "GameStates.h"
#include "KEGraphics.h"
#include "Keys.h"
#include "Menu.h"
#include "MenuState.h"
#include "ScriptedInput.h"
#include "UiPixels.h"

namespace
{
class MenuLayersTest : public testing::Test, protected ScriptedInput
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		HarnessRegisterGameStates();
		KEGfxSetBackgroundColor(0.0f, 0.0f, 0.0f);
		gSplashDone = true;
		HarnessEnterState(STATE_MENU);
		PointAt(-400.0f, 300.0f);   // over nothing
	}
	void TearDown() override
	{
		gMenuLayerCache = true;
		gKEGameStateNext = STATE_LEVEL1;
		HarnessLeaveState();
	}
	// The frame as drawn with the kept picture (after frames that let it be made) and
	// without; saved as a picture when named.
	void ExpectSameBothWays(const char* name)
	{
		gMenuLayerCache = true;
		Frames(3);
		const int animation = gAnimationFrame;   // each drawing moves the instructions' animation on
		const std::vector<UiColor> kept = Draw();
		gAnimationFrame = animation;
		gMenuLayerCache = false;
		const std::vector<UiColor> plain = Draw();
		gMenuLayerCache = true;
		size_t differing = 0;
		for (size_t i = 0; i < kept.size(); ++i)
			differing += !UiNear(kept[i], plain[i], 2);
		std::printf("%s: %zu of %zu pixels differ by more than 2\n", name, differing, kept.size());
		// While a selection fades in a few pixels of the enlarged entry may land one picture
		// pixel apart (0.04% seen); still pages match exactly.
		EXPECT_LE(differing * 1000, kept.size()) << name;
	}
	std::vector<UiColor> Draw()
	{
		KEGfxStart();
		KEGameStateDraw();
		std::vector<UiColor> pixels = UiReadRegion(0, 0, KEGetWindowWidth(), KEGetWindowHeight());
		KEGfxEnd();
		return pixels;
	}
};
} // namespace

TEST_F(MenuLayersTest, EveryPageLooksTheSameWithTheKeptPicture)
{
	Frames(90);   // the entries' fades settle
	ExpectSameBothWays("main page");
	const struct { int steps, page; const char* name; } pages[] = {
		{1, MENU_PAGE_LEVELS, "level select"}, {2, MENU_PAGE_INSTRUCTIONS, "instructions"},
		{3, MENU_PAGE_CREDITS, "credits"}};
	for (const auto& p : pages)
	{
		for (int i = 0; i < p.steps; ++i)
			Tap(KEY_S);
		Tap(KEY_ENTER);
		ASSERT_EQ(gMenu->page, p.page);
		ExpectSameBothWays(p.name);   // while the page still fades in
		Frames(90);
		ExpectSameBothWays(p.name);
		Tap(KEY_ESCAPE);
		Frames(30);
		for (int i = 0; i < p.steps; ++i)
			Tap(KEY_W);
	}
}

TEST_F(MenuLayersTest, AChangedLayerShowsAtOnce)
{
	Frames(90);
	ExpectSameBothWays("settled");
	// The title turns red, an entry half transparent, the picture behind everything changes.
	gMenuTitle->tint[1] = gMenuTitle->tint[2] = 0.0f;
	ExpectSameBothWays("red title");
	menuItems[MENU_ITEM_QUIT]->tint[3] = 0.5f;
	ExpectSameBothWays("faded entry");
	std::swap(gMenuBackground->texture, menuItems[MENU_ITEM_CREDITS_PAGE]->texture);
	ExpectSameBothWays("other background");
	std::swap(gMenuBackground->texture, menuItems[MENU_ITEM_CREDITS_PAGE]->texture);
	Tap(KEY_S);   // the selection moves: the cursor and two entries change for a while
	ExpectSameBothWays("new selection");
}
