// The main menu driven through the real loop with scripted keys and cursor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "GameStates.h"
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
class MenuTest : public testing::Test, protected ScriptedInput
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		HarnessRegisterGameStates();
		manager.LoadSounds();
		gSoundManager = &manager;
	}
	void TearDown() override
	{
		if (gKEGameStateCurr == STATE_MENU && gKEGameStateNext == STATE_MENU)
			gKEGameStateNext = STATE_LEVEL1;
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

TEST_F(MenuTest, MainEntriesWrapAndStartOrQuit)
{
	EnterMenu(true);
	Tap(KEY_W);   // up from New game
	EXPECT_EQ(gMenu->selection, 4);
	Tap(KEY_S);
	EXPECT_EQ(gMenu->selection, 0);
	EXPECT_EQ(Plays(MENU_SOUND_MOVE), 2);
	Frames(60);   // the others settle just below 0.3 grey
	EXPECT_NEAR(menuItems[MENU_ITEM_QUIT]->tint[0], 0.29f, 0.01f);
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
	Open(-1);   // Quit
	EXPECT_EQ(gKEGameStateNext, GAME_STATE_QUIT);
}

TEST_F(MenuTest, CreditsAndLevelSelectOpenCloseAndStartTheChosenLevel)
{
	EnterMenu(true);
	PointAt(0.0f, -140.0f);   // resting on Credits selects it
	Frames(2);
	Tap(KEY_MOUSE_LEFT);
	EXPECT_EQ(gMenu->page, MENU_PAGE_CREDITS);
	EXPECT_EQ(Plays(MENU_SOUND_ACCEPT), 1);
	Tap(KEY_ESCAPE);   // silently
	EXPECT_EQ(gMenu->page, MENU_PAGE_MAIN);
	EXPECT_EQ(Plays(MENU_SOUND_CANCEL), 0);
	Open(-2);   // Level select
	Tap(KEY_ESCAPE);   // with a sound
	EXPECT_EQ(gMenu->page, MENU_PAGE_MAIN);
	EXPECT_EQ(Plays(MENU_SOUND_CANCEL), 1);
	Open(0);
	PointAt(-100.0f, -90.0f);   // the up arrow wraps to the last entry
	Frames(1);
	Tap(KEY_MOUSE_LEFT);
	EXPECT_EQ(gMenu->levelSelection, 7);
	Tap(KEY_ENTER);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_TARN_LEVEL2);
	EXPECT_EQ(Plays(MENU_SOUND_ACCEPT), 4);   // credits, the page twice, then the level
	// Each entry shows the label of the level it starts.
	const char* const labels[] = {"Tutorial1", "Tutorial2", "Tutorial3", "Tutorial4", "Tutorial5",
	                              "level1", "level2", "level3"};
	const unsigned int states[] = {STATE_SERVER_TUTORIAL, STATE_GUARD_TUTORIAL, STATE_BUSH_TUTORIAL,
	                               STATE_RADIO_TUTORIAL, STATE_LIGHT_TUTORIAL, STATE_LEVEL1, STATE_TARN_LEVEL,
	                               STATE_TARN_LEVEL2};
	for (int entry = 0; entry < 8; ++entry)
	{
		HarnessLeaveState();
		EnterMenu(true);
		Open(1);
		for (int i = 0; i < entry; ++i)
			Tap(KEY_S);
		Frames(1);
		const std::string shown = menuItems[MENU_ITEM_LEVEL_LABEL]->CurrentPicture()->fileName;
		EXPECT_EQ(shown, std::string("ArtAssets/") + labels[entry] + ".png") << entry;
		Tap(KEY_ENTER);
		EXPECT_EQ(gKEGameStateNext, states[entry]) << entry;
	}
}

TEST_F(MenuTest, SplashSkipPicturesOfEveryPageAndTheInstructionsAnimation)
{
	EnterMenu(false);
	Frames(114);
	Tap(KEY_ENTER);   // up to the 118th frame, within the first two seconds: cannot be skipped
	EXPECT_TRUE(gMenu->splashRunning);
	SaveScreen("menu_splash.png");
	Frames(2);
	Tap(KEY_SPACE);   // by the 122nd: ends it at once and does nothing else
	EXPECT_FALSE(gMenu->splashRunning);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);
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
		Frames(60);
		SaveScreen(p.name);
		Tap(KEY_ESCAPE);
	}
	Open(-1);   // the instructions animation shows each picture for 30 frames
	auto same = [](const std::vector<UiColor>& a, const std::vector<UiColor>& b) {
		return std::equal(a.begin(), a.end(), b.begin(), [](UiColor p, UiColor q) { return UiNear(p, q, 2); });
	};
	gAnimationFrame = 0;
	std::vector<UiColor> last;
	std::string changes;   // drawn frames at which the picture changed
	for (int frame = 1; frame <= 121; ++frame)
	{
		KEGfxStart();
		KEGameStateDraw();
		std::vector<UiColor> now = UiReadRegion(220, 120, 360, 300);
		KEGfxEnd();
		if (frame > 1 && !same(last, now))
			changes += std::to_string(frame) + " ";
		last = now;
	}
	EXPECT_EQ(changes, "30 60 90 120 ");

	gKEGameStateNext = STATE_LEVEL1;   // back from a level: no splash again
	HarnessLeaveState();
	HarnessEnterState(STATE_MENU);
	Frames(3);
	EXPECT_FLOAT_EQ(menuItems[MENU_ITEM_NEW_GAME]->size.y, 125.0f);   // laid out at once
}
