// The pause menu over a stand-in level, driven through the real loop with scripted keys and cursor.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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
const unsigned int STAND_IN_LEVEL = 40;   // an id the game never registers

// A level that counts its updates and draws and shows a picture around its camera.
int       sUpdates = 0, sDraws = 0;
KEVec2    sCamera = {0.0f, 0.0f};
Menu_box* sScene = nullptr;

void StandInLoad()
{
	sScene = new Menu_box();
	sScene->Load();
	SetPicture(sScene->texture, "ArtAssets/menu_bg.png");
	sScene->size = {800.0f, 600.0f};
}
void StandInUpdate() { ++sUpdates; KEGfxSetCamPosition(sCamera.x, sCamera.y); }
void StandInDraw() { ++sDraws; sScene->position = sCamera; sScene->Draw(); }
void StandInUnload()
{
	sScene->Unload();
	delete sScene;
}

class PauseTest : public testing::Test, protected ScriptedInput
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		[[maybe_unused]] static bool started = (GameStartUp(),
			KEGameStateMgrAdd(STAND_IN_LEVEL, StandInLoad, nullptr, StandInUpdate, StandInDraw, nullptr, StandInUnload),
			true);
		pause = GamePauseMenu();
		ASSERT_NE(pause, nullptr);
		realManager = gSoundManager;
		manager.LoadSounds();
		gSoundManager = &manager;
		gPaused = gMuted = false;
		HarnessEnterState(STAND_IN_LEVEL);
		Frames(3);
	}
	void TearDown() override
	{
		if (gKEGameStateCurr == STAND_IN_LEVEL)
			HarnessLeaveState();
		gSoundManager = realManager;
		gPaused = false;
		sCamera = {0.0f, 0.0f};
	}
	int OpenPause()   // the loop pauses on the release of Esc; the frames the entries take to rise
	{
		Tap(KEY_ESCAPE);
		Frames(1);
		EXPECT_TRUE(gPaused);
		sUpdates = sDraws = 0;
		return RunUntil([&] { return pause->introDone; });
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
		while (pause->mainSelection != entry)
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
	void SaveScreen(const char* name)
	{
		KEGfxStart();
		KEGameStateDraw();
		pause->Draw();
		EXPECT_TRUE(UiSaveBackBuffer(UiOutputPath(name)));
		std::printf("picture: %s\n", UiOutputPath(name).c_str());
		KEGfxEnd();
	}
	Menu_box* Entry(int k) { return pause->panel[PANEL_MAIN + k]; }

	Pause*        pause = nullptr;
	SoundManager* realManager = nullptr;
	SoundFake     fake;
	SoundManager  manager{&fake};
};
} // namespace

TEST_F(PauseTest, EscPausesTheLevelAndEscOnTheMainPageResumesIt)
{
	sCamera = {300.0f, 1000.0f};   // the menu is laid out around the level's camera
	Frames(1);
	int opening = OpenPause();
	EXPECT_TRUE(opening > 30 && opening < 45) << opening;
	EXPECT_EQ(sUpdates, 0);       // the level stands still
	EXPECT_EQ(sDraws, opening);   // but is still drawn under the menu
	EXPECT_TRUE(Plays(MENU_SOUND_MOVE) == 1 || Plays(MENU_SOUND_MOVE) == 2) << Plays(MENU_SOUND_MOVE);
	for (int k = 0; k < PAUSE_MAIN_ENTRIES; ++k)   // 50 apart
	{
		EXPECT_FLOAT_EQ(Entry(k)->position.x, 70.0f) << k;
		EXPECT_FLOAT_EQ(Entry(k)->position.y, 1175.0f - 50.0f * (float)k) << k;
	}
	EXPECT_NEAR(pause->panel[PANEL_DIMMER]->tint[3], 1.0f, 1e-5f);
	SaveScreen("pause_main.png");

	Tap(KEY_ESCAPE);
	EXPECT_EQ(Plays(MENU_SOUND_CANCEL), 1);
	int closing = RunUntil([&] { return !gPaused; });
	EXPECT_TRUE(closing > 55 && closing < 70) << closing;   // the slide ends at world height -500
	sUpdates = 0;
	Frames(5);
	EXPECT_EQ(sUpdates, 5);

	OpenPause();   // opens again, on the main page
	EXPECT_EQ(pause->page, PAUSE_PAGE_MAIN);
	Tap(KEY_ENTER);   // RESUME
	EXPECT_GE(RunUntil([&] { return !gPaused; }), 0);
}

TEST_F(PauseTest, MuteMusicTogglesAndBackReturnsToTheMainPageWithoutFrameTime)
{
	OpenPause();
	OpenPage(2, PAUSE_PAGE_OPTION);
	EXPECT_FLOAT_EQ(Entry(0)->tint[3], 0.0f);
	Tap(KEY_ENTER);
	EXPECT_TRUE(gMuted);
	Frames(10);
	EXPECT_EQ(pause->page, PAUSE_PAGE_OPTION);
	SaveScreen("pause_option.png");
	Click(-200.0f, 150.0f);   // MUTE MUSIC
	EXPECT_FALSE(gMuted);
	PointAt(-400.0f, 300.0f);
	Tap(KEY_ESCAPE);   // only the cancel sound
	Frames(10);
	EXPECT_EQ(Plays(MENU_SOUND_CANCEL), 1);
	EXPECT_EQ(pause->page, PAUSE_PAGE_OPTION);

	Tap(KEY_S);
	Tap(KEY_ENTER);   // BACK
	EXPECT_EQ(pause->page, PAUSE_PAGE_MAIN);
	EXPECT_EQ(pause->mainSelection, 0);
	for (float frameTime : {0.0f, 0.25f})
	{
		OpenPage(2, PAUSE_PAGE_OPTION);
		gDeltaTime = frameTime;
		pause->Back();
		EXPECT_EQ(pause->page, PAUSE_PAGE_MAIN) << frameTime;
		EXPECT_FLOAT_EQ(pause->optionItems[1]->tint[3], 0.0f) << frameTime;
		for (int k = 0; k < PAUSE_MAIN_ENTRIES; ++k)
			EXPECT_FLOAT_EQ(Entry(k)->tint[3], 1.0f) << frameTime;
	}
}

TEST_F(PauseTest, EscOnTheConfirmationReturnsAndYesGoesToTheMainMenu)
{
	OpenPause();
	OpenPage(3, PAUSE_PAGE_CONFIRM);
	EXPECT_EQ(pause->confirmSelection, 0);   // YES selected, Esc still answers no
	Tap(KEY_ESCAPE);
	EXPECT_GE(AtPage(PAUSE_PAGE_MAIN), 0);
	EXPECT_FLOAT_EQ(pause->panel[PANEL_QUESTION]->tint[3], 0.0f);
	EXPECT_FLOAT_EQ(Entry(3)->tint[3], 1.0f);
	EXPECT_TRUE(gPaused);

	Tap(KEY_ENTER);   // QUIT is still selected
	ASSERT_GE(AtPage(PAUSE_PAGE_CONFIRM), 0);
	Frames(30);
	SaveScreen("pause_confirm.png");
	Click(-50.0f, 0.0f);   // YES
	Frames(300);           // stops at the frame that asks for another state
	EXPECT_EQ(gKEGameStateNext, (unsigned int)STATE_MENU);
	EXPECT_FALSE(gPaused);
	EXPECT_EQ(pause->page, PAUSE_PAGE_MAIN);
	HarnessLeaveState();   // the menu music takes over
	ASSERT_NE(fake.At(manager.music.channel), nullptr);
	EXPECT_EQ(fake.At(manager.music.channel)->sound, manager.sounds[0]);
}

TEST_F(PauseTest, HowToPlayPicturesSlideWithEasingAndNextWrapsAround)
{
	OpenPause();
	OpenPage(1, PAUSE_PAGE_HOW_TO_PLAY);
	Menu_box* first = pause->panel[PANEL_HOW_TO_PLAY];
	float before = first->position.x;
	Frames(1);   // twice the remaining distance per second
	EXPECT_NEAR(first->position.x, before * (1.0f - 2.0f / 60.0f), 0.01f);
	Frames(180);
	SaveScreen("pause_how_to_play.png");
	for (int click = 1; click <= 3; ++click)
	{
		Click(-260.0f, -230.0f);   // NEXT
		EXPECT_EQ(pause->howToPage, click % 3);
	}
	Frames(240);
	EXPECT_NEAR(first->position.x, 0.0f, 5.0f);   // back to the first picture
	EXPECT_GT(pause->panel[PANEL_HOW_TO_PLAY + 1]->position.x, 600.0f);
	EXPECT_GT(pause->panel[PANEL_HOW_TO_PLAY + 2]->position.x, 600.0f);

	Tap(KEY_ESCAPE);   // back to the main page, the menu stays open
	Frames(30);
	EXPECT_EQ(pause->page, PAUSE_PAGE_MAIN);
	EXPECT_TRUE(gPaused);
	EXPECT_FLOAT_EQ(first->position.x, 700.0f);
	OpenPage(1, PAUSE_PAGE_HOW_TO_PLAY);
	int accepts = Plays(MENU_SOUND_ACCEPT);
	Click(200.0f, -230.0f);   // ESC does the same, with the accept sound
	EXPECT_EQ(Plays(MENU_SOUND_ACCEPT), accepts + 1);
	EXPECT_EQ(pause->page, PAUSE_PAGE_MAIN);
	EXPECT_FLOAT_EQ(pause->howToControls[0]->tint[3], 0.0f);
}
