#pragma once
// The pause menu over a running level: RESUME, HOW TO PLAY (three sliding pictures),
// OPTION (MUTE MUSIC) and QUIT (with a confirmation). Its own quad is never drawn; every
// movement is an animation of its boxes' positions and alphas.
#include <vector>
#include "MenuBox.h"

enum PausePage
{
	PAUSE_PAGE_MAIN = 0,
	PAUSE_PAGE_HOW_TO_PLAY = 1,
	PAUSE_PAGE_CONFIRM = 2,
	PAUSE_PAGE_OPTION = 3,
};

// Indices into Pause::panel.
enum
{
	PANEL_DIMMER = 0,
	PANEL_BACKGROUND = 1,
	PANEL_HOW_TO_PLAY = 2,   // three pictures
	PANEL_MAIN = 5,          // four entries
	PANEL_QUESTION = 9,
	PANEL_YES = 10,
	PANEL_NO = 11,
	PANEL_COUNT = 12,
	PAUSE_MAIN_ENTRIES = 4,
	PAUSE_HOW_TO_PICTURES = 3,
};

class Pause : public Menu_box
{
public:
	typedef void (Pause::*Action)();

	Pause();
	~Pause() override;
	Pause(const Pause&) = delete;   // owns its boxes
	Pause& operator=(const Pause&) = delete;

	void Load() override;     // the boxes and the five pictures
	void Init() override;     // lays everything out around the camera
	void Update() override;   // once per paused frame
	void Draw() override;
	void Unload() override;   // unloads and deletes the boxes

	// Actions; a running one keeps busy set and is called again every frame until it ends.
	void Close();
	void OpenHowToPlay();
	void OpenOption();
	void OpenConfirm();
	void SlideToPicture();   // the picture after howToPage
	void Yes();
	void No();
	void MuteMusic();
	void Back();

	bool                   busy;
	Menu_box*              panel[PANEL_COUNT];
	Menu_box*              howToControls[3];   // NEXT, PREVIOUS, ESC
	Menu_box*              optionItems[2];     // MUTE MUSIC, BACK
	std::vector<Menu_box*> allBoxes;           // the drawing order
	int                    page;
	int                    mainSelection, mainLast;
	int                    howToPage, howToLast;
	int                    confirmSelection, confirmLast;
	int                    optionSelection, optionLast;
	bool                   needsInit;
	Action                 mainActions[PAUSE_MAIN_ENTRIES];
	Action                 howToActions[PAUSE_HOW_TO_PICTURES];
	Action                 confirmActions[2];
	Action                 optionActions[2];
	bool                   introDone;
	float                  clickTimer;

private:
	void Opening();
	void HandleCommand(int command, int& selection, int last, const Action* actions);
	void UpdateHowToPlay();
	void ReturnToMainPage();
	void FadeMainEntries(float amount, int nextPage);
	void HighlightSelected(Menu_box* const* boxes, int count, int selection);
};

// Set while the menu closes after Esc; cleared when an opening ends.
extern bool   gPauseClosing;
// The camera when the menu was laid out.
extern KEVec2 gPauseCamera;
