// The main menu and the pause menu over the first level, driven through the real loop with
// scripted keys and cursor.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "GameLoop.h"
#include "GameStates.h"
#include "KEGraphics.h"
#include "Keys.h"
#include "Menu.h"
#include "MenuState.h"
#include "Pause.h"
#include "ScriptedInput.h"
#include "SoundFake.h"
#include "SoundManager.h"
#include "UiPixels.h"

namespace
{
// A screen of the game with the recording sound fake in use.
class ScreenTest : public testing::Test, protected ScriptedInput
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		HarnessRegisterGameStates();
		manager.LoadSounds();
		gSoundManager = &manager;
	}
	int Plays(int id) { return fake.Plays(manager.sounds[id]); }
	// One frame of the current state (under the pause menu when given), in a region of the window.
	std::vector<UiColor> Drawn(int x, int y, int width, int height, Pause* under = nullptr)
	{
		KEGfxStart();
		KEGameStateDraw();
		if (under)
			under->Draw();
		std::vector<UiColor> pixels = UiReadRegion(x, y, width, height);
		KEGfxEnd();
		return pixels;
	}

	SoundFake    fake;
	SoundManager manager{&fake};
};

class MenuTest : public ScreenTest
{
protected:
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
	// The frame drawn through the kept picture of still layers (after frames that let it be
	// made) must look as when every layer is drawn.
	void ExpectSameBothWays(const char* name)
	{
		gMenuLayerCache = true;
		Frames(3);
		const int animation = gAnimationFrame;   // each drawing moves the instructions' animation on
		const std::vector<UiColor> kept = Drawn(0, 0, 800, 600);
		gAnimationFrame = animation;
		gMenuLayerCache = false;
		const std::vector<UiColor> plain = Drawn(0, 0, 800, 600);
		gMenuLayerCache = true;
		size_t differing = 0;
		for (size_t i = 0; i < kept.size(); ++i)
			differing += !UiNear(kept[i], plain[i], 2);
		// While a selection fades in a few pixels of the enlarged entry may land one picture
		// pixel apart (0.04% seen); still pages match exactly.
		EXPECT_LE(differing * 1000, kept.size()) << name << ": " << differing << " pixels differ";
	}
};

class PauseTest : public ScreenTest
{
protected:
	void SetUp() override
	{
		[[maybe_unused]] static bool started = (HarnessStartEngine(), GameStartUp(), true);
		ScreenTest::SetUp();   // after the start-up, whose own sound manager it replaces
		pause = GamePauseMenu();
		ASSERT_NE(pause, nullptr);
		gPaused = gMuted = false;
		HarnessEnterState(STATE_LEVEL1);
		Frames(3);
		OpenPause();
	}
	void TearDown() override
	{
		HarnessLeaveState();
		gSoundManager = nullptr;
		gPaused = false;
	}
	void OpenPause()   // the loop pauses on the release of Esc
	{
		Tap(KEY_ESCAPE);
		Frames(1);
		EXPECT_TRUE(gPaused);
		EXPECT_GE(RunUntil([&] { return pause->introDone; }), 0);
	}
	template <typename Done> int RunUntil(Done done)   // frames until done(), or -1 after 300
	{
		for (int frames = 0; frames <= 300; ++frames, Frames(1))
			if (done())
				return frames;
		return -1;
	}
	int AtPage(int page) { return RunUntil([&] { return pause->page == page && !pause->busy; }); }
	void OpenPage(int entry, int page)   // from the main page
	{
		for (int i = 0; i < PAUSE_MAIN_ENTRIES && pause->mainSelection != entry; ++i)
			Tap(KEY_S);
		Tap(KEY_ENTER);
		ASSERT_GE(AtPage(page), 0);
	}
	void Click(float x, float y)
	{
		PointAt(x, y);
		Frames(1);
		Tap(KEY_MOUSE_LEFT);
	}
	// The mean brightness left of the panel, of the level with the menu over it (or alone).
	float MarginBrightness(bool withMenu)
	{
		float sum = 0.0f;
		for (UiColor c : Drawn(0, 0, 40, 600, withMenu ? pause : nullptr))
			sum += (float)(c.r + c.g + c.b) / 3.0f;
		return sum / (40.0f * 600.0f);
	}

	Pause* pause = nullptr;
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
	Frames(2);
	Tap(KEY_SPACE);   // by the 122nd: ends it at once and does nothing else
	EXPECT_FALSE(gMenu->splashRunning);
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);
	PointAt(0.0f, 20.0f);       // resting on Level select
	Frames(90);
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
		std::vector<UiColor> now = Drawn(220, 120, 360, 300);
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
	const struct { int page; const char* name; } pages[] = {
		{MENU_PAGE_LEVELS, "level select"}, {MENU_PAGE_INSTRUCTIONS, "instructions"}, {MENU_PAGE_CREDITS, "credits"}};
	for (const auto& p : pages)   // each the entry below the one before
	{
		Open(1);
		ASSERT_EQ(gMenu->page, p.page);
		ExpectSameBothWays(p.name);   // while the page still fades in
		Frames(90);
		ExpectSameBothWays(p.name);
		Tap(KEY_ESCAPE);
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

TEST_F(PauseTest, EscResumesAndEscOnTheConfirmationReturnsAndYesGoesToTheMainMenu)
{
	// Open once three entries stand in place: the level shows through the dimmer at a tenth.
	const float level = MarginBrightness(false), dimmed = MarginBrightness(true);
	EXPECT_GT(level, 20.0f);
	EXPECT_NEAR(dimmed, 0.1f * level, 2.0f);
	EXPECT_FLOAT_EQ(pause->panel[PANEL_MAIN + 3]->position.y, gPauseCamera.y - 50.0f);   // QUIT short of it
	Tap(KEY_ESCAPE);   // on the main page: resumes, the dimmer first down to 0.5, then 0.05 a frame
	EXPECT_NEAR(pause->panel[PANEL_DIMMER]->tint[3], 0.4f, 0.001f);
	EXPECT_EQ(Plays(MENU_SOUND_CANCEL), 1);
	EXPECT_GE(RunUntil([&] { return !gPaused; }), 0);

	OpenPause();
	Tap(KEY_W);   // up from RESUME wraps to QUIT
	EXPECT_EQ(pause->mainSelection, 3);
	OpenPage(3, PAUSE_PAGE_CONFIRM);
	EXPECT_EQ(pause->confirmSelection, 0);   // YES selected, Esc still answers no
	Tap(KEY_ESCAPE);
	EXPECT_GE(AtPage(PAUSE_PAGE_MAIN), 0);
	EXPECT_TRUE(gPaused);
	Tap(KEY_ENTER);   // QUIT is still selected
	ASSERT_GE(AtPage(PAUSE_PAGE_CONFIRM), 0);
	Click(-50.0f, 0.0f);   // YES
	Frames(300);           // stops at the frame that asks for another state
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);
	EXPECT_FALSE(gPaused);
}

TEST_F(PauseTest, MuteMusicTogglesAndStaysAndBackReturnsToTheMainPage)
{
	OpenPage(2, PAUSE_PAGE_OPTION);
	Tap(KEY_ENTER);
	EXPECT_TRUE(gMuted);
	Frames(10);
	EXPECT_EQ(pause->page, PAUSE_PAGE_OPTION);
	Tap(KEY_S);
	Click(220.0f, 150.0f);   // the last letter of MUTE MUSIC hovers it, not BACK
	EXPECT_FALSE(gMuted);
	EXPECT_EQ(pause->page, PAUSE_PAGE_OPTION);
	PointAt(-400.0f, 300.0f);
	Tap(KEY_ESCAPE);   // only the cancel sound
	Frames(10);
	EXPECT_EQ(Plays(MENU_SOUND_CANCEL), 1);
	EXPECT_EQ(pause->page, PAUSE_PAGE_OPTION);
	Tap(KEY_S);
	Tap(KEY_ENTER);   // BACK
	EXPECT_EQ(pause->page, PAUSE_PAGE_MAIN);
	EXPECT_EQ(pause->mainSelection, 0);
	OpenPage(2, PAUSE_PAGE_OPTION);
	gDeltaTime = 0.0f;   // Back needs no frame time
	pause->Back();
	EXPECT_FLOAT_EQ(pause->panel[PANEL_MAIN]->tint[3], 1.0f);
}

TEST_F(PauseTest, HowToPlayPicturesSlideWithEasingAndNextAndPreviousWrapAround)
{
	PointAt(270.0f, 125.0f);   // the last letter of HOW TO PLAY hovers it
	Frames(1);
	EXPECT_EQ(pause->mainSelection, 1);
	Tap(KEY_ENTER);
	ASSERT_GE(AtPage(PAUSE_PAGE_HOW_TO_PLAY), 0);
	Menu_box* first = pause->panel[PANEL_HOW_TO_PLAY];
	const float cx = gPauseCamera.x, before = first->position.x - cx;
	Frames(1);   // twice the remaining distance per second
	EXPECT_NEAR(first->position.x - cx, before * (1.0f - 2.0f / 60.0f), 0.01f);
	Frames(180);
	const struct { float x; int page; } clicks[] = {{-100, 2}, {-260, 0}, {-260, 1}, {-100, 0}};   // PREVIOUS, NEXT
	for (const auto& c : clicks)
	{
		Click(c.x, -230.0f);
		EXPECT_EQ(pause->howToPage, c.page) << c.x;
	}
	Frames(240);
	EXPECT_NEAR(first->position.x, cx, 5.0f);   // back to the first picture
	int accepts = Plays(MENU_SOUND_ACCEPT);
	Click(200.0f, -230.0f);   // ESC: the main page with the accept sound, still paused
	EXPECT_EQ(Plays(MENU_SOUND_ACCEPT), accepts + 1);
	EXPECT_EQ(pause->page, PAUSE_PAGE_MAIN);
	EXPECT_TRUE(gPaused);

	// Left on the second picture by Esc, it opens again on the first, sliding in from the right.
	OpenPage(1, PAUSE_PAGE_HOW_TO_PLAY);
	Click(-260.0f, -230.0f);   // NEXT
	Frames(60);
	PointAt(-400.0f, 300.0f);
	const int cancels = Plays(MENU_SOUND_CANCEL);
	Tap(KEY_ESCAPE);   // the main page with the cancel sound, still paused
	Frames(60);
	EXPECT_TRUE(pause->page == PAUSE_PAGE_MAIN && gPaused && Plays(MENU_SOUND_CANCEL) == cancels + 1);
	OpenPage(1, PAUSE_PAGE_HOW_TO_PLAY);
	EXPECT_EQ(pause->howToPage, 0);
	EXPECT_GT(first->position.x, cx + 100.0f);
}
