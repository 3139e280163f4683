// The main menu driven through the real loop with scripted keys and cursor: the splash,
// the main entries, the level select, the instructions animation, the credits, and
// pictures of every page for a person to look at.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "EngineHarness.h"
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
		if (gKEGameStateCurr == STATE_MENU)   // still running: leave it
		{
			if (gKEGameStateNext == gKEGameStateCurr)
				gKEGameStateNext = STAND_IN_LEVEL;
			HarnessLeaveState();
		}
		gSoundManager = nullptr;
	}

	void EnterMenu(bool splashDone)
	{
		gSplashDone = splashDone;
		HarnessEnterState(STATE_MENU);
		Frames(2);
	}
	int  Plays(int id) { return fake.Plays(manager.sounds[id]); }
	const char* LabelPicture() { return menuItems[MENU_ITEM_LEVEL_LABEL]->CurrentPicture()->fileName; }

	SoundFake    fake;
	SoundManager manager{&fake};
};

// Draws the current state again into the back buffer and saves it beside the test.
void SaveScreen(const char* name)
{
	KEGfxStart();
	KEGameStateDraw();
	std::string path = UiOutputPath(name);
	EXPECT_TRUE(UiSaveBackBuffer(path));
	std::printf("picture: %s\n", path.c_str());
	KEGfxEnd();
}
} // namespace

TEST_F(MenuTest, MainEntriesWrapAroundAndTheSelectionStandsOut)
{
	EnterMenu(true);
	EXPECT_EQ(gMenu->selection, 0);
	Tap(KEY_W);   // up from New game
	EXPECT_EQ(gMenu->selection, 4);
	EXPECT_FLOAT_EQ(gMenu->position.y, -220.0f);   // the arrow points at Quit
	Tap(KEY_S);   // down from Quit
	EXPECT_EQ(gMenu->selection, 0);
	EXPECT_EQ(Plays(MENU_SOUND_MOVE), 2);

	Frames(60);
	const float entryY[5] = {100.0f, 20.0f, -60.0f, -140.0f, -220.0f};
	for (int i = 0; i < 5; ++i)
	{
		const Menu_box* entry = menuItems[i];
		EXPECT_FLOAT_EQ(entry->position.y, entryY[i]) << i;
		EXPECT_FLOAT_EQ(entry->size.x, i == 0 ? 250.0f : 200.0f) << i;
		EXPECT_FLOAT_EQ(entry->size.y, i == 0 ? 125.0f : 50.0f) << i;
		if (i == 0)
			EXPECT_FLOAT_EQ(entry->tint[0], 1.0f);
		else   // the others settle at about 0.3 grey
			EXPECT_TRUE(entry->tint[0] < 0.3f && entry->tint[0] > 0.25f) << i << " " << entry->tint[0];
	}
	EXPECT_FLOAT_EQ(gMenu->position.x, -200.0f);
	EXPECT_FLOAT_EQ(gMenu->position.y, 100.0f);

	Tap(KEY_W);
	Tap(KEY_ENTER);   // Quit ends the game
	EXPECT_EQ(gKEGameStateNext, GAME_STATE_QUIT);
	EXPECT_EQ(Plays(MENU_SOUND_ACCEPT), 1);
}

TEST_F(MenuTest, NewGameAndTheOShortcutStartTheFirstLevel)
{
	EnterMenu(true);
	Tap(KEY_ENTER);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_LEVEL1);
	EXPECT_EQ(Plays(MENU_SOUND_NEW_GAME), 1);
	HarnessLeaveState();
	EnterMenu(true);
	Tap(KEY_O);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_LEVEL1);
}

TEST_F(MenuTest, ClickedCreditsOpenWithASoundAndEscLeavesThemSilently)
{
	EnterMenu(true);
	PointAt(0.0f, -140.0f);   // Credits
	Frames(2);
	EXPECT_EQ(gMenu->selection, 3);   // resting on it selects it
	Tap(KEY_MOUSE_LEFT);
	EXPECT_EQ(gMenu->page, MENU_PAGE_CREDITS);
	EXPECT_EQ(Plays(MENU_SOUND_ACCEPT), 1);
	Frames(1);
	EXPECT_FLOAT_EQ(menuItems[MENU_ITEM_CREDITS_PAGE]->position.x, 0.0f);
	EXPECT_GT(gMenuTitle->position.x, 500.0f);   // the title gives way to the page
	EXPECT_GT(menuItems[MENU_ITEM_CREDITS]->position.x, 500.0f);
	Tap(KEY_ESCAPE);
	EXPECT_EQ(gMenu->page, MENU_PAGE_MAIN);
	EXPECT_EQ(Plays(MENU_SOUND_CANCEL), 0);

	// Esc on the level select does sound.
	PointAt(-400.0f, 300.0f);
	Tap(KEY_W);
	Tap(KEY_W);
	Tap(KEY_ENTER);
	EXPECT_EQ(gMenu->page, MENU_PAGE_LEVELS);
	Tap(KEY_ESCAPE);
	EXPECT_EQ(gMenu->page, MENU_PAGE_MAIN);
	EXPECT_EQ(Plays(MENU_SOUND_CANCEL), 1);
}

TEST_F(MenuTest, LevelSelectStepsByKeysAndArrowsAndStartsTheChosenLevel)
{
	EnterMenu(true);
	Tap(KEY_S);
	Tap(KEY_ENTER);
	ASSERT_EQ(gMenu->page, MENU_PAGE_LEVELS);
	EXPECT_EQ(gMenu->levelCount, 8);
	EXPECT_STREQ(LabelPicture(), "ArtAssets/Tutorial1.png");
	Tap(KEY_W);   // up from the first entry wraps to the last
	EXPECT_EQ(gMenu->levelSelection, 7);
	EXPECT_STREQ(LabelPicture(), "ArtAssets/level3.png");

	PointAt(-100.0f, -150.0f);   // the down arrow: a click steps on and wraps
	Frames(1);
	Tap(KEY_MOUSE_LEFT);
	EXPECT_EQ(gMenu->levelSelection, 0);
	PointAt(-100.0f, -90.0f);    // the up arrow
	Frames(1);
	Tap(KEY_MOUSE_LEFT);
	EXPECT_EQ(gMenu->levelSelection, 7);
	PointAt(300.0f, 250.0f);     // nowhere: only the click sound
	Frames(1);
	int moves = Plays(MENU_SOUND_MOVE);
	Tap(KEY_MOUSE_LEFT);
	EXPECT_EQ(gMenu->levelSelection, 7);
	EXPECT_EQ(Plays(MENU_SOUND_MOVE), moves + 1);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);

	Tap(KEY_ENTER);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_TARN_LEVEL2);
	EXPECT_EQ(Plays(MENU_SOUND_ACCEPT), 2);   // the page, then the level
	HarnessLeaveState();                      // the level music takes over
	ASSERT_NE(fake.At(manager.music.channel), nullptr);
	EXPECT_EQ(fake.At(manager.music.channel)->sound, manager.sounds[3]);
}

TEST_F(MenuTest, ArrowsGlowForASecondAfterTheirKey)
{
	EnterMenu(true);
	Tap(KEY_S);
	Tap(KEY_ENTER);
	Frames(180);   // the glow of arriving has passed
	Menu_box* up = menuItems[MENU_ITEM_UP_ARROW];
	Menu_box* down = menuItems[MENU_ITEM_DOWN_ARROW];
	EXPECT_LT(up->tint[0], 0.31f);
	EXPECT_FLOAT_EQ(up->rotation, 3.1415925f);   // the same picture, turned to point up
	Tap(KEY_W);
	Frames(40);
	EXPECT_GT(up->tint[0], 0.9f);
	EXPECT_LT(down->tint[0], 0.31f);
	Frames(120);
	EXPECT_LT(up->tint[0], 0.31f);
}

TEST_F(MenuTest, SplashCannotBeSkippedForTwoSecondsAndPlaysOncePerRun)
{
	EnterMenu(false);
	Frames(400);   // untouched, it ends by itself after about four and a half seconds
	EXPECT_TRUE(gSplashDone);
	EXPECT_GT(gMenu->position.y, 0.0f);   // the arrow stands at New game
	HarnessLeaveState();

	EnterMenu(false);
	Frames(28);
	EXPECT_TRUE(gMenu->splashRunning);
	EXPECT_FLOAT_EQ(gMenu->logos[1]->tint[3], 1.0f);
	EXPECT_FLOAT_EQ(menuItems[MENU_ITEM_NEW_GAME]->size.x, 0.0f);   // nothing laid out yet
	Tap(KEY_ENTER);   // in the first two seconds: ignored
	EXPECT_TRUE(gMenu->splashRunning);
	Frames(100);
	EXPECT_TRUE(gMenu->splashRunning);
	Tap(KEY_SPACE);   // later: ends it at once
	EXPECT_FALSE(gMenu->splashRunning);
	EXPECT_TRUE(gSplashDone);
	for (const Menu_box* logo : gMenu->logos)
		EXPECT_FLOAT_EQ(logo->tint[3], 0.0f);
	EXPECT_EQ(gMenu->page, MENU_PAGE_MAIN);   // the skip key does nothing else
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);

	// Back from a level: a new menu, straight to the entries, with the menu music.
	gKEGameStateNext = STAND_IN_LEVEL;
	HarnessLeaveState();
	HarnessEnterState(STAND_IN_LEVEL);
	Frames(3);
	gKEGameStateNext = STATE_MENU;
	HarnessLeaveState();
	HarnessEnterState(STATE_MENU);
	Frames(1);
	EXPECT_FLOAT_EQ(menuItems[MENU_ITEM_NEW_GAME]->size.y, 125.0f);
	for (const Menu_box* logo : gMenu->logos)
		EXPECT_FLOAT_EQ(logo->tint[3], 0.0f);
	SoundFake::Channel* music = fake.At(manager.music.channel);
	ASSERT_NE(music, nullptr);
	EXPECT_EQ(music->sound, manager.sounds[0]);
}

TEST_F(MenuTest, InstructionsAnimationShowsEachPictureForThirtyFrames)
{
	EnterMenu(true);
	Tap(KEY_S);
	Tap(KEY_S);
	Tap(KEY_ENTER);
	ASSERT_EQ(gMenu->page, MENU_PAGE_INSTRUCTIONS);
	// Up and down toggle the page's own selection; Enter does nothing here.
	Tap(KEY_S);
	EXPECT_EQ(gInstructionSelection, 1);
	Tap(KEY_S);
	EXPECT_EQ(gInstructionSelection, 0);
	Tap(KEY_ENTER);
	EXPECT_EQ(gMenu->page, MENU_PAGE_INSTRUCTIONS);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);

	// One drawn frame at a time: which picture the animation square shows.
	gAnimationFrame = 0;
	std::vector<std::vector<UiColor>> shown;
	for (int frame = 1; frame <= 121; ++frame)
	{
		KEGfxStart();
		KEGameStateDraw();
		shown.push_back(UiReadRegion(220, 120, 360, 300));
		KEGfxEnd();
	}
	auto same = [](const std::vector<UiColor>& a, const std::vector<UiColor>& b) {
		for (size_t i = 0; i < a.size(); ++i)
			if (!UiNear(a[i], b[i], 2))
				return false;
		return true;
	};
	std::string changes;   // frame numbers at which the picture changed
	for (int i = 1; i < (int)shown.size(); ++i)
		if (!same(shown[i - 1], shown[i]))
			changes += std::to_string(i + 1) + " ";
	EXPECT_EQ(changes, "30 60 90 120 ");
	EXPECT_TRUE(same(shown[0], shown[119]));   // the 120th frame shows the first picture again
	EXPECT_EQ(gAnimationFrame, 1);
}

// Saves the splash and every page of the menu as pictures in the build tree.
TEST_F(MenuTest, PicturesOfEveryPage)
{
	EnterMenu(false);
	Frames(58);
	SaveScreen("menu_splash_1.png");
	Frames(130);
	SaveScreen("menu_splash_2.png");
	Frames(200);
	ASSERT_TRUE(gSplashDone);

	PointAt(0.0f, 20.0f);   // resting on Level select
	Frames(90);
	SaveScreen("menu_main.png");
	Tap(KEY_MOUSE_LEFT);
	ASSERT_EQ(gMenu->page, MENU_PAGE_LEVELS);
	PointAt(-400.0f, 300.0f);
	Tap(KEY_S);
	Tap(KEY_S);
	Frames(20);
	SaveScreen("menu_levels.png");
	Tap(KEY_ESCAPE);

	PointAt(-400.0f, 300.0f);
	Tap(KEY_S);
	Tap(KEY_ENTER);
	ASSERT_EQ(gMenu->page, MENU_PAGE_INSTRUCTIONS);
	PointAt(250.0f, -150.0f);   // over ESC
	Frames(45);
	SaveScreen("menu_instructions.png");
	Tap(KEY_MOUSE_LEFT);
	EXPECT_EQ(gMenu->page, MENU_PAGE_MAIN);

	PointAt(-400.0f, 300.0f);
	Tap(KEY_S);
	Tap(KEY_ENTER);
	ASSERT_EQ(gMenu->page, MENU_PAGE_CREDITS);
	Frames(60);
	SaveScreen("menu_credits.png");
	// Faded in, the credits picture covers the whole window; only "ESC" lies over it.
	PlatformImage page;
	ASSERT_TRUE(PlatformImageLoadPNG("ArtAssets/credits_bg.png", &page));
	ASSERT_EQ(page.width * page.height, 800 * 600);
	std::vector<UiColor> shown = UiReadRegion(0, 0, 800, 600);
	int differing = 0;
	for (size_t i = 0; i < shown.size(); ++i)
	{
		const unsigned char* p = &page.rgba[i * 4];
		differing += !UiNear(shown[i], {p[0], p[1], p[2]}, 4);
	}
	EXPECT_LT(differing, 150 * 50);
}

TEST_F(MenuTest, F11SwitchesFullScreenBothWays)
{
	EnterMenu(true);
	ASSERT_FALSE(gFullscreen);
	Tap(KEY_F11);
	Frames(1);   // the release is seen a frame later
	EXPECT_TRUE(gFullscreen);
	Tap(KEY_F11);
	Frames(1);
	EXPECT_FALSE(gFullscreen);
}
