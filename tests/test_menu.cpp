// The main menu driven through the real loop with scripted keys and cursor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "GameStates.h"
#include "Image.h"
#include "KEGraphics.h"
#include "Keys.h"
#include "Menu.h"
#include "MenuState.h"
#include "ScriptedInput.h"
#include "SoundFake.h"
#include "SoundManager.h"
#include "UiPixels.h"

namespace
{
const unsigned int STAND_IN_LEVEL = 40;   // an id the game never registers

class MenuTest : public testing::Test, protected ScriptedInput
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		HarnessRegisterGameStates();
		[[maybe_unused]] static bool added =
			(KEGameStateMgrAdd(STAND_IN_LEVEL, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), true);
		manager.LoadSounds();
		gSoundManager = &manager;
	}
	void TearDown() override
	{
		if (gKEGameStateCurr == STATE_MENU && gKEGameStateNext == STATE_MENU)
			gKEGameStateNext = STAND_IN_LEVEL;
		if (gKEGameStateCurr == STATE_MENU)
			HarnessLeaveState();
		gSoundManager = nullptr;
	}
	void EnterMenu(bool splashDone)
	{
		gSplashDone = splashDone;
		HarnessEnterState(STATE_MENU);
		Frames(2);
	}
	void Open(int steps)   // accepts the main entry |steps| down (or up, when negative)
	{
		PointAt(-400.0f, 300.0f);   // over nothing
		for (int i = 0; i < std::abs(steps); ++i)
			Tap(steps < 0 ? KEY_W : KEY_S);
		Tap(KEY_ENTER);
	}
	int Plays(int id) { return fake.Plays(manager.sounds[id]); }
	const void* Music() { return fake.At(manager.music.channel) ? fake.At(manager.music.channel)->sound : nullptr; }
	void SaveScreen(const char* name)
	{
		KEGfxStart();
		KEGameStateDraw();
		EXPECT_TRUE(UiSaveBackBuffer(UiOutputPath(name)));
		std::printf("picture: %s\n", UiOutputPath(name).c_str());
		KEGfxEnd();
	}

	SoundFake    fake;
	SoundManager manager{&fake};
};
} // namespace

TEST_F(MenuTest, MainEntriesWrapStandOutAndOpenPagesOrStartOrQuit)
{
	EnterMenu(true);
	Tap(KEY_W);   // up from New game
	EXPECT_EQ(gMenu->selection, 4);
	EXPECT_FLOAT_EQ(gMenu->position.y, -220.0f);   // the arrow points at Quit
	Tap(KEY_S);
	EXPECT_EQ(gMenu->selection, 0);
	EXPECT_EQ(Plays(MENU_SOUND_MOVE), 2);
	Frames(60);
	for (int i = 0; i < 5; ++i)   // the others settle at about 0.3 grey
		EXPECT_TRUE(i == 0 ? menuItems[i]->tint[0] == 1.0f : menuItems[i]->tint[0] < 0.3f && menuItems[i]->tint[0] > 0.25f) << i;
	for (bool full : {true, false})
	{
		Tap(KEY_F11);
		Frames(1);   // the release is seen a frame later
		EXPECT_EQ(gFullscreen, full);
	}
	Tap(KEY_ENTER);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_LEVEL1);
	EXPECT_EQ(Plays(MENU_SOUND_NEW_GAME), 1);
	HarnessLeaveState();
	EnterMenu(true);
	Tap(KEY_O);   // the shortcut
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_LEVEL1);
	HarnessLeaveState();
	EnterMenu(true);
	PointAt(0.0f, -140.0f);   // resting on Credits selects it
	Frames(2);
	EXPECT_EQ(gMenu->selection, 3);
	Tap(KEY_MOUSE_LEFT);
	EXPECT_EQ(gMenu->page, MENU_PAGE_CREDITS);
	EXPECT_EQ(Plays(MENU_SOUND_ACCEPT), 1);
	Tap(KEY_ESCAPE);   // silently
	EXPECT_EQ(gMenu->page, MENU_PAGE_MAIN);
	EXPECT_EQ(Plays(MENU_SOUND_CANCEL), 0);
	Open(-2);   // Level select
	EXPECT_EQ(gMenu->page, MENU_PAGE_LEVELS);
	Tap(KEY_ESCAPE);   // with a sound
	EXPECT_EQ(gMenu->page, MENU_PAGE_MAIN);
	EXPECT_EQ(Plays(MENU_SOUND_CANCEL), 1);
	Open(-2);
	EXPECT_EQ(gKEGameStateNext, GAME_STATE_QUIT);
	EXPECT_EQ(Plays(MENU_SOUND_ACCEPT), 3);
}

TEST_F(MenuTest, LevelSelectStepsByKeysAndArrowsAndStartsTheChosenLevel)
{
	EnterMenu(true);
	Open(1);
	ASSERT_EQ(gMenu->page, MENU_PAGE_LEVELS);
	Frames(180);   // the glow of arriving has passed
	Menu_box* up = menuItems[MENU_ITEM_UP_ARROW];
	Tap(KEY_W);    // wraps to the last entry; its arrow glows for about a second
	EXPECT_EQ(gMenu->levelSelection, 7);
	EXPECT_STREQ(menuItems[MENU_ITEM_LEVEL_LABEL]->CurrentPicture()->fileName, "ArtAssets/level3.png");
	Frames(40);
	EXPECT_GT(up->tint[0], 0.9f);
	EXPECT_LT(menuItems[MENU_ITEM_DOWN_ARROW]->tint[0], 0.31f);
	Frames(120);
	EXPECT_LT(up->tint[0], 0.31f);

	const struct { float x, y; int selection; } clicks[] = {{-100, -150, 0}, {-100, -90, 7}, {300, 250, 7}};   // down, up, nothing
	for (const auto& c : clicks)
	{
		PointAt(c.x, c.y);
		Frames(1);
		int moves = Plays(MENU_SOUND_MOVE);
		Tap(KEY_MOUSE_LEFT);
		EXPECT_EQ(gMenu->levelSelection, c.selection) << c.y;
		EXPECT_EQ(Plays(MENU_SOUND_MOVE), moves + 1) << c.y;
	}
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);
	Tap(KEY_ENTER);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_TARN_LEVEL2);
	EXPECT_EQ(Plays(MENU_SOUND_ACCEPT), 2);   // the page, then the level
	HarnessLeaveState();
	EXPECT_EQ(Music(), manager.sounds[3]);    // the level music takes over
}

TEST_F(MenuTest, SplashCannotBeSkippedForTwoSecondsAndPlaysOncePerRun)
{
	EnterMenu(false);
	Frames(28);
	EXPECT_FLOAT_EQ(gMenu->logos[1]->tint[3], 1.0f);
	EXPECT_FLOAT_EQ(menuItems[MENU_ITEM_NEW_GAME]->size.x, 0.0f);   // nothing laid out yet
	Tap(KEY_ENTER);   // in the first two seconds: ignored
	Frames(100);
	EXPECT_TRUE(gMenu->splashRunning);
	Tap(KEY_SPACE);   // later: ends it at once and does nothing else
	EXPECT_FALSE(gMenu->splashRunning);
	EXPECT_TRUE(gSplashDone);
	EXPECT_EQ(gMenu->page, MENU_PAGE_MAIN);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);

	for (unsigned int next : {STAND_IN_LEVEL, (unsigned int)STATE_MENU})   // back from a level
	{
		gKEGameStateNext = next;
		HarnessLeaveState();
		HarnessEnterState(next);
		Frames(3);
	}
	EXPECT_FLOAT_EQ(menuItems[MENU_ITEM_NEW_GAME]->size.y, 125.0f);   // no splash
	for (const Menu_box* logo : gMenu->logos)
		EXPECT_FLOAT_EQ(logo->tint[3], 0.0f);
	EXPECT_EQ(Music(), manager.sounds[0]);
}

TEST_F(MenuTest, InstructionsAnimationShowsEachPictureForThirtyFrames)
{
	EnterMenu(true);
	Open(2);
	ASSERT_EQ(gMenu->page, MENU_PAGE_INSTRUCTIONS);
	Tap(KEY_S);   // toggles the page's own selection; Enter does nothing here
	EXPECT_EQ(gInstructionSelection, 1);
	Tap(KEY_ENTER);
	EXPECT_EQ(gMenu->page, MENU_PAGE_INSTRUCTIONS);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);

	auto same = [](const std::vector<UiColor>& a, const std::vector<UiColor>& b) {
		return std::equal(a.begin(), a.end(), b.begin(), [](UiColor p, UiColor q) { return UiNear(p, q, 2); });
	};
	gAnimationFrame = 0;
	std::vector<UiColor> first, last;
	std::string changes;   // drawn frames at which the picture changed
	for (int frame = 1; frame <= 121; ++frame)
	{
		KEGfxStart();
		KEGameStateDraw();
		std::vector<UiColor> now = UiReadRegion(220, 120, 360, 300);
		KEGfxEnd();
		if (frame > 1 && !same(last, now))
			changes += std::to_string(frame) + " ";
		first = frame == 1 ? now : first;
		EXPECT_TRUE(frame != 120 || same(first, now));   // the first picture again
		last = now;
	}
	EXPECT_EQ(changes, "30 60 90 120 ");
	EXPECT_EQ(gAnimationFrame, 1);
}

TEST_F(MenuTest, PicturesOfEveryPage)
{
	EnterMenu(false);
	Frames(58);
	SaveScreen("menu_splash_1.png");
	Frames(130);
	SaveScreen("menu_splash_2.png");
	Frames(200);
	ASSERT_TRUE(gSplashDone);   // untouched, the splash ends by itself
	PointAt(0.0f, 20.0f);       // resting on Level select
	Frames(90);
	SaveScreen("menu_main.png");
	const struct { int steps, page; const char* name; } pages[] = {
		{0, MENU_PAGE_LEVELS, "menu_levels.png"}, {1, MENU_PAGE_INSTRUCTIONS, "menu_instructions.png"},
		{1, MENU_PAGE_CREDITS, "menu_credits.png"}};
	for (const auto& p : pages)
	{
		Open(p.steps);
		ASSERT_EQ(gMenu->page, p.page);
		if (p.page == MENU_PAGE_INSTRUCTIONS)
			PointAt(250.0f, -150.0f);   // over ESC, which a click follows
		Frames(60);
		SaveScreen(p.name);
		if (p.page != MENU_PAGE_CREDITS)
			Tap(p.page == MENU_PAGE_LEVELS ? KEY_ESCAPE : KEY_MOUSE_LEFT);
		EXPECT_EQ(gMenu->page, p.page == MENU_PAGE_CREDITS ? p.page : MENU_PAGE_MAIN);
	}
	// Faded in, the credits picture covers the whole window; only "ESC" lies over it.
	PlatformImage page;
	ASSERT_TRUE(PlatformImageLoadPNG("ArtAssets/credits_bg.png", &page));
	ASSERT_EQ(page.width * page.height, 800 * 600);
	std::vector<UiColor> shown = UiReadRegion(0, 0, 800, 600);
	int differing = 0;
	for (size_t i = 0; i < shown.size(); ++i)
		differing += !UiNear(shown[i], {page.rgba[i * 4], page.rgba[i * 4 + 1], page.rgba[i * 4 + 2]}, 4);
	EXPECT_LT(differing, 150 * 50);
}
