// The main menu driven through the real loop with scripted keys and cursor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
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
		gMenuLayerCache = true;
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

	// The frame drawn through the kept picture of still layers (after frames that let it be
	// made) must look as when every layer is drawn.
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
		// While a selection fades in a few pixels of the enlarged entry may land one picture
		// pixel apart (0.04% seen); still pages match exactly.
		EXPECT_LE(differing * 1000, kept.size()) << name << ": " << differing << " pixels differ";
	}
	std::vector<UiColor> Draw()
	{
		KEGfxStart();
		KEGameStateDraw();
		std::vector<UiColor> pixels = UiReadRegion(0, 0, KEGetWindowWidth(), KEGetWindowHeight());
		KEGfxEnd();
		return pixels;
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
	const float entryY[] = {100.0f, 20.0f, -60.0f, -140.0f, -220.0f};
	for (int entry : {0, 1, 2, 4, 3})   // resting on an entry selects it; Credits last
	{
		PointAt(0.0f, entryY[entry]);
		Frames(2);
		EXPECT_EQ(gMenu->selection, entry);
	}
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

TEST_F(MenuTest, SplashSkipAndTheInstructionsAnimation)
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
	Open(1);
	Tap(KEY_S), Tap(KEY_S);   // two pictures in the list: down twice is back at the first
	EXPECT_EQ(gInstructionSelection, 0);
	// The instructions animation shows each picture for 30 frames.
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

TEST_F(MenuTest, EveryPageLooksTheSameWithTheKeptPicture)
{
	KEGfxSetBackgroundColor(0.0f, 0.0f, 0.0f);
	EnterMenu(true);
	PointAt(-400.0f, 300.0f);   // over nothing
	Frames(90);   // the entries' fades settle
	ExpectSameBothWays("main page");
	const struct { int steps, page; const char* name; } pages[] = {
		{1, MENU_PAGE_LEVELS, "level select"}, {2, MENU_PAGE_INSTRUCTIONS, "instructions"},
		{3, MENU_PAGE_CREDITS, "credits"}};
	for (const auto& p : pages)
	{
		Open(p.steps);
		ASSERT_EQ(gMenu->page, p.page);
		ExpectSameBothWays(p.name);   // while the page still fades in
		Frames(90);
		ExpectSameBothWays(p.name);
		Tap(KEY_ESCAPE);
		Frames(30);
		for (int i = 0; i < p.steps; ++i)
			Tap(KEY_W);
	}
	Frames(90);
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
