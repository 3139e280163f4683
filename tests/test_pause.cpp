// The pause menu over the first level, driven through the real loop with scripted keys and cursor.
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>
#include "GameLoop.h"
#include "GameStates.h"
#include "KEGraphics.h"
#include "Keys.h"
#include "Menu.h"
#include "Pause.h"
#include "ScriptedInput.h"
#include "SoundFake.h"
#include "SoundManager.h"
#include "UiPixels.h"

namespace
{
class PauseTest : public testing::Test, protected ScriptedInput
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		[[maybe_unused]] static bool started = (GameStartUp(), true);
		pause = GamePauseMenu();
		ASSERT_NE(pause, nullptr);
		manager.LoadSounds();
		gSoundManager = &manager;
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
	int  Plays(int id) { return fake.Plays(manager.sounds[id]); }
	// Saves the level with the menu over it (or alone); the mean brightness left of the panel.
	float SaveScreen(const char* name, bool withMenu = true)
	{
		KEGfxStart();
		KEGameStateDraw();
		if (withMenu)
			pause->Draw();
		EXPECT_TRUE(UiSaveBackBuffer(UiOutputPath(name)));
		std::printf("picture: %s\n", UiOutputPath(name).c_str());
		float sum = 0.0f;
		const std::vector<UiColor> margin = UiReadRegion(0, 0, 40, 600);
		for (UiColor c : margin)
			sum += (float)(c.r + c.g + c.b) / 3.0f;
		KEGfxEnd();
		return sum / (float)margin.size();
	}

	Pause*       pause = nullptr;
	SoundFake    fake;
	SoundManager manager{&fake};
};
} // namespace

TEST_F(PauseTest, EscResumesAndEscOnTheConfirmationReturnsAndYesGoesToTheMainMenu)
{
	// Open once three entries stand in place: the level shows through the dimmer at a tenth.
	const float level = SaveScreen("pause_level.png", false), dimmed = SaveScreen("pause_main.png");
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
	Frames(30);
	SaveScreen("pause_confirm.png");
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
	SaveScreen("pause_option.png");
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
	SaveScreen("pause_how_to_play.png");
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
