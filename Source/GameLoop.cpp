#include "GameLoop.h"

#include "EndScreenState.h"
#include "GameObject.h"
#include "GameStates.h"
#include "KEFrameRateController.h"
#include "KEGameStateMgr.h"
#include "KEGraphics.h"
#include "KEInput.h"
#include "KESystem.h"
#include "Keys.h"
#include "LevelState.h"
#include "MenuBox.h"
#include "MenuState.h"
#include "Pause.h"
#include "PlayerFiles.h"
#include "SoundManager.h"

namespace
{
// Live for the whole run, from start-up to shut-down.
SoundManager* sSoundManager = nullptr;
Menu_box*     sFontBox = nullptr;   // only builds the shared glyph table
Pause*        sPause = nullptr;     // updated and drawn over the level while gPaused

// Music that starts when the loop enters the given state.
int MusicFor(unsigned int next)
{
	if (next == STATE_MENU)
		return 0;   // menu music
	if (next == STATE_LOSE)
		return 2;   // no sound behind this id: the lose screen stays quiet
	return 3;       // level music, also for the win screen, a restart and a quit
}
} // namespace

void GameRegisterStates()
{
	static bool registered = false;
	if (registered)
		return;
	registered = true;
	RegisterLevelStates();   // 1 to 8, then the menu, then 10 and 11
	KEGameStateMgrAdd(STATE_MENU, MenuStateLoad, MenuStateInit, MenuStateUpdate, MenuStateDraw, MenuStateFree,
	                  MenuStateUnload);
	RegisterEndScreenStates();
}

void GameStartUp()
{
	sSoundManager = new SoundManager();
	gSoundManager = sSoundManager;
	gSoundManager->SetVolumeLevel(SettingsVolume());   // 1, the full volume, unless a saved one was read
	gSoundManager->LoadSounds();
	// The alarm channel exists from the start, paused, so the guard alarm only resumes it.
	gSoundManager->PlayOnSlot(5, gSoundManager->alarm);
	gSoundManager->PauseSlot(gSoundManager->alarm);
	sFontBox = new Menu_box();
	sFontBox->LoadFont();
	gSoundManager->PlayOnSlot(0, gSoundManager->music);

	// The driver's code for every way the game draws is built right after the first frame
	// (the splash) is shown, so no later frame waits for it.
	KEGfxWarmUpBegin();
	KESysSetWindowTitle("Nullvane!");
	KEGfxSetBackgroundColor(0.0f, 0.0f, 0.0f);
	GameRegisterStates();
	sPause = new Pause();
	sPause->Load();
	KEGameStateMgrInit(STATE_MENU);
}

void GameBeginState()
{
	// The end screens start with the level's alarm, effects and hacking silenced.
	if (gSoundManager && (gKEGameStateCurr == STATE_WIN || gKEGameStateCurr == STATE_LOSE))
		gSoundManager->PauseLevelSounds();

	KESysReset();
	if (gKEGameStateCurr != GAME_STATE_RESTART)
	{
		KEGameStateMgrUpdate();
		KEGameStateLoad();
	}
	else
	{
		// The function pointers still belong to the restarted state.
		gKEGameStateCurr = gKEGameStatePrev;
		gKEGameStateNext = gKEGameStatePrev;
	}
	KEGameStateInit();
}

void GameRunFrame()
{
	if (gSoundManager)
		gSoundManager->Update();

	// Esc pauses levels and tutorials; only the pause menu clears gPaused again.
	if (KEInputCheckReleased(KEY_ESCAPE) && gKEGameStateCurr != STATE_MENU && gKEGameStateCurr != STATE_WIN &&
	    gKEGameStateCurr != STATE_LOSE)
		gPaused = true;

	KESysFrameStart();
	if (!gPaused)
		KEGameStateUpdate();
	KEInputUpdate();
	KEGameStateDraw();
	if (gPaused && sPause)
	{
		sPause->Update();
		sPause->Draw();
	}
	KESysFrameEnd();

	if (!KESysDoesWindowExist())
		gKEGameStateNext = GAME_STATE_QUIT;
	gDeltaTime = (float)KEFrameRateControllerGetFrameTime();
}

void GameEndState()
{
	KEGameStateFree();

	gDetectingGuards = 0;
	gAlarmMusicOn = false;
	if (gSoundManager)
	{
		gSoundManager->PauseLevelSounds();
		gSoundManager->PlayOnSlot(MusicFor(gKEGameStateNext), gSoundManager->music);
	}

	if (gKEGameStateNext != GAME_STATE_RESTART)
		KEGameStateUnload();
	gKEGameStatePrev = gKEGameStateCurr;
	gKEGameStateCurr = gKEGameStateNext;
}

Pause* GamePauseMenu()
{
	return sPause;
}

void GameRunLoop()
{
	while (gKEGameStateCurr != GAME_STATE_QUIT)
	{
		GameBeginState();
		while (gKEGameStateCurr == gKEGameStateNext)
			GameRunFrame();
		GameEndState();
	}
}

void GameShutDown()
{
	if (gSoundManager)
		gSoundManager->Release();
	Menu_box::ReleaseFont();
	if (sPause)
		sPause->Unload();
	KESysExit();
	delete sPause;
	sPause = nullptr;
	delete sFontBox;
	sFontBox = nullptr;
	if (gSoundManager == sSoundManager)
		gSoundManager = nullptr;
	delete sSoundManager;
	sSoundManager = nullptr;
}
