#include "Pause.h"

#include <string>
#include "GameStates.h"
#include "KEGraphics.h"
#include "KEInput.h"
#include "KEMath.h"
#include "Menu.h"
#include "SoundManager.h"

bool   gPauseClosing = false;
KEVec2 gPauseCamera = {0.0f, 0.0f};

namespace
{
// How far the sliding pictures wait left and right of the view.
const float kAside = 700.0f;

int ReadCommand()
{
	if (KEInputCheckTriggered(KEY_W) || KEInputCheckTriggered(KEY_A))
		return COMMAND_UP;
	if (KEInputCheckTriggered(KEY_S) || KEInputCheckTriggered(KEY_D))
		return COMMAND_DOWN;
	if (KEInputCheckTriggered(KEY_ENTER) || KEInputCheckTriggered(KEY_MOUSE_LEFT))
		return COMMAND_ACCEPT;
	if (KEInputCheckTriggered(KEY_ESCAPE))
		return COMMAND_BACK;
	return COMMAND_NONE;
}

void SelectUnderCursor(Menu_box* const* boxes, int count, int& selection)
{
	for (int i = 0; i < count; ++i)
		if (CursorOver(boxes[i]))
			selection = i;
}

void AddAlphaToAll(Menu_box* const* boxes, int count, float amount)
{
	for (int i = 0; i < count; ++i)
		AddAlpha(boxes[i], amount);
}
} // namespace

Pause::Pause()
	: busy(true), panel{}, howToControls{}, optionItems{}, page(PAUSE_PAGE_MAIN), mainSelection(0), mainLast(3),
	  howToPage(0), howToLast(2), confirmSelection(0), confirmLast(1), optionSelection(0), optionLast(1),
	  needsInit(true), mainActions{&Pause::Close, &Pause::OpenHowToPlay, &Pause::OpenOption, &Pause::OpenConfirm},
	  howToActions{&Pause::SlideToPicture, &Pause::SlideToPicture, &Pause::SlideToPicture},
	  confirmActions{&Pause::Yes, &Pause::No}, optionActions{&Pause::MuteMusic, &Pause::Back}, introDone(false),
	  clickTimer(0.0f)
{
	static const char* const kTexts[] = {"RESUME", "HOW TO PLAY", "OPTION", "QUIT", "ARE YOU SURE", "YES", "NO"};
	static const char* const kHowTo[] = {"NEXT", "PREVIOUS", "ESC"};
	static const char* const kOption[] = {"MUTE MUSIC", "BACK"};
	for (int i = 0; i < PANEL_MAIN; ++i)
		panel[i] = new Menu_box();
	for (int i = PANEL_MAIN; i < PANEL_COUNT; ++i)
		panel[i] = new Menu_box(std::string(kTexts[i - PANEL_MAIN]));
	for (int i = 0; i < 3; ++i)
		howToControls[i] = new Menu_box(std::string(kHowTo[i]));
	for (int i = 0; i < 2; ++i)
		optionItems[i] = new Menu_box(std::string(kOption[i]));

	// Tags by page: 0 main, 1 dimmer, 2 confirmation, 3 how to play, 4 panel.
	panel[PANEL_DIMMER]->group = 1;
	panel[PANEL_BACKGROUND]->group = 4;
	for (int i = 0; i < PAUSE_HOW_TO_PICTURES; ++i)
	{
		panel[PANEL_HOW_TO_PLAY + i]->group = 3;
		panel[PANEL_HOW_TO_PLAY + i]->pageNumber = i + 1;
	}
	for (int i = PANEL_QUESTION; i < PANEL_COUNT; ++i)
		panel[i]->group = 2;

	allBoxes.assign(panel, panel + PANEL_COUNT);
	allBoxes.insert(allBoxes.end(), howToControls, howToControls + 3);
	allBoxes.insert(allBoxes.end(), optionItems, optionItems + 2);
}

Pause::~Pause()
{
	// Normally emptied by Unload; a menu deleted without it still frees its boxes.
	for (Menu_box* box : allBoxes)
		delete box;
}

void Pause::Load()
{
	static const char* const kPictures[PANEL_MAIN] = {"ArtAssets/black.png", "ArtAssets/pause_bg.png",
	                                                  "ArtAssets/HowToPlay1.png", "ArtAssets/HowToPlay2.png",
	                                                  "ArtAssets/HowToPlay3.png"};
	for (Menu_box* box : allBoxes)
		box->Load();
	if (allBoxes.empty())
		return;
	for (int i = 0; i < PANEL_MAIN; ++i)
		SetPicture(panel[i]->texture, kPictures[i]);
}

void Pause::Init()
{
	if (allBoxes.empty())
		return;
	float cx = 0.0f, cy = 0.0f;
	KEGfxGetCamPosition(&cx, &cy);
	gPauseCamera = {cx, cy};
	for (Menu_box* box : panel)
		box->position = gPauseCamera;
	panel[PANEL_DIMMER]->size = {1000.0f, 1000.0f};
	panel[PANEL_BACKGROUND]->size = {700.0f, 500.0f};

	const float controlX[3] = {-300.0f, -125.0f, 175.0f};
	for (int i = 0; i < 3; ++i)
	{
		howToControls[i]->tint[3] = 0.0f;
		howToControls[i]->size = {30.0f, 30.0f};
		howToControls[i]->position = {cx + controlX[i], cy - 230.0f};
	}
	for (int i = 0; i < 2; ++i)
	{
		optionItems[i]->tint[3] = 0.0f;
		optionItems[i]->size = {50.0f, 50.0f};
		optionItems[i]->position = {cx - 230.0f, cy + 150.0f - 50.0f * (float)i};
	}
	for (int i : {PANEL_DIMMER, PANEL_BACKGROUND, PANEL_QUESTION, PANEL_YES, PANEL_NO})
	{
		panel[i]->homePosition = gPauseCamera;
		panel[i]->tint[3] = 0.0f;
	}
	// The main entries wait below the view and rise into place during the opening.
	for (int k = 0; k < PAUSE_MAIN_ENTRIES; ++k)
	{
		Menu_box* entry = panel[PANEL_MAIN + k];
		entry->size = {50.0f, 50.0f};
		entry->homePosition = {cx + 230.0f, cy + 150.0f - 50.0f * (float)k};
		entry->position = {cx - 230.0f, cy - 500.0f - 150.0f * (float)k};
	}
	for (int i = 0; i < PAUSE_HOW_TO_PICTURES; ++i)
	{
		Menu_box* picture = panel[PANEL_HOW_TO_PLAY + i];
		picture->size = {533.0f, 400.0f};
		picture->homePosition = {cx - kAside, cy};
		picture->position = {cx + kAside, cy};
	}
	for (int i = PANEL_QUESTION; i < PANEL_COUNT; ++i)
		panel[i]->size = {50.0f, 50.0f};
	panel[PANEL_QUESTION]->position = {cx - 250.0f, cy + 100.0f};
	panel[PANEL_YES]->position = {cx - 50.0f, cy};
	panel[PANEL_NO]->position = {cx - 50.0f, cy - 150.0f};
}

void Pause::Update()
{
	if (allBoxes.empty())
		return;
	ToggleFullScreenOnF11();
	if (needsInit)
	{
		Init();
		needsInit = false;
	}

	// Once open, a running action goes on through a standing accept until it clears busy.
	int command = introDone ? COMMAND_ACCEPT : COMMAND_NONE;
	if (!introDone)
		Opening();
	if (!busy && !gPauseClosing && page != PAUSE_PAGE_HOW_TO_PLAY)
	{
		command = ReadCommand();
		if (page == PAUSE_PAGE_MAIN)
			SelectUnderCursor(panel + PANEL_MAIN, PAUSE_MAIN_ENTRIES, mainSelection);
		else if (page == PAUSE_PAGE_CONFIRM)
			SelectUnderCursor(panel + PANEL_YES, 2, confirmSelection);
		else if (page == PAUSE_PAGE_OPTION)
			SelectUnderCursor(optionItems, 2, optionSelection);
	}

	// Esc closes the menu only from the main page it was on, not from a page it just left.
	bool onMainPage = page == PAUSE_PAGE_MAIN;
	switch (page)
	{
	case PAUSE_PAGE_MAIN:
		HandleCommand(command, mainSelection, mainLast, mainActions);
		HighlightSelected(panel + PANEL_MAIN, PAUSE_MAIN_ENTRIES, mainSelection);
		break;
	case PAUSE_PAGE_HOW_TO_PLAY:
		UpdateHowToPlay();
		break;
	case PAUSE_PAGE_CONFIRM:
		// Esc always answers no, whichever answer is selected.
		if (KEInputCheckTriggered(KEY_ESCAPE))
		{
			confirmSelection = 1;
			No();
		}
		HandleCommand(command, confirmSelection, confirmLast, confirmActions);
		HighlightSelected(panel + PANEL_YES, 2, confirmSelection);
		break;
	case PAUSE_PAGE_OPTION:
		HandleCommand(command, optionSelection, optionLast, optionActions);
		HighlightSelected(optionItems, 2, optionSelection);
		break;
	default:
		break;
	}

	for (Menu_box* box : allBoxes)
		box->Update();

	if (onMainPage && page == PAUSE_PAGE_MAIN && KEInputCheckTriggered(KEY_ESCAPE))
	{
		mainSelection = 0;
		gPauseClosing = true;
		Close();
	}
}

void Pause::Opening()
{
	AddAlpha(panel[PANEL_DIMMER], 0.025f);
	AddAlpha(panel[PANEL_BACKGROUND], 0.025f);
	int arrived = 0;
	for (int k = 0; k < PAUSE_MAIN_ENTRIES; ++k)
	{
		Menu_box* entry = panel[PANEL_MAIN + k];
		clickTimer -= gDeltaTime;
		if (entry->position.y > entry->homePosition.y)
		{
			++arrived;
			if (clickTimer < 0.0f)
			{
				PlayMenuSound(MENU_SOUND_MOVE);
				clickTimer = 0.5f;
			}
		}
		else
		{
			entry->position.y += 25.0f;
		}
	}
	// Open once three entries stand in place: QUIT stops short of its own, and the dimmer and
	// panel stay at 0.9, so the level shows through.
	if (arrived >= 3)
	{
		introDone = true;
		busy = false;
		gPauseClosing = false;
	}
}

void Pause::HandleCommand(int command, int& selection, int last, const Action* actions)
{
	switch (command)
	{
	case COMMAND_UP:
		selection = selection - 1 < 0 ? last : selection - 1;
		PlayMenuSound(MENU_SOUND_MOVE);
		break;
	case COMMAND_DOWN:
		selection = selection + 1 > last ? 0 : selection + 1;
		PlayMenuSound(MENU_SOUND_MOVE);
		break;
	case COMMAND_ACCEPT:
		if (selection >= 0 && selection <= last)
			(this->*actions[selection])();
		break;
	case COMMAND_BACK:
		PlayMenuSound(MENU_SOUND_CANCEL);
		if (page == PAUSE_PAGE_HOW_TO_PLAY)
			ReturnToMainPage();
		break;
	default:
		break;
	}
}

void Pause::HighlightSelected(Menu_box* const* boxes, int count, int selection)
{
	for (int i = 0; i < count; ++i)
	{
		if (i == selection)
			Brighten(boxes[i], gDeltaTime);
		else
			Dim(boxes[i], gDeltaTime);
	}
}

void Pause::UpdateHowToPlay()
{
	HandleCommand(COMMAND_ACCEPT, howToPage, howToLast, howToActions);   // the slide goes on
	HandleCommand(ReadCommand(), howToPage, howToLast, howToActions);
	if (page != PAUSE_PAGE_HOW_TO_PLAY)
		return;
	HighlightSelected(panel + PANEL_HOW_TO_PLAY, PAUSE_HOW_TO_PICTURES, howToPage);

	// NEXT and PREVIOUS clicks step like the keys; ESC leaves.
	bool click = KEInputCheckTriggered(KEY_MOUSE_LEFT);
	for (int i = 0; i < 3; ++i)
	{
		Menu_box* control = howToControls[i];
		bool over = CursorOver(control);
		if (over)
			Brighten(control, gDeltaTime);
		else
			Dim(control, gDeltaTime);
		if (!over || !click)
			continue;
		if (i < 2)
		{
			HandleCommand(i == 0 ? COMMAND_DOWN : COMMAND_UP, howToPage, howToLast, howToActions);
		}
		else
		{
			PlayMenuSound(MENU_SOUND_ACCEPT);
			ReturnToMainPage();
			return;
		}
	}
	// Holding a key lights its control.
	if (KEInputCheckCurr(KEY_S) || KEInputCheckCurr(KEY_D))
		Brighten(howToControls[0], 3.0f * gDeltaTime);
	if (KEInputCheckCurr(KEY_W) || KEInputCheckCurr(KEY_A))
		Brighten(howToControls[1], 3.0f * gDeltaTime);
}

void Pause::FadeMainEntries(float amount, int nextPage)
{
	if (!FadeAll(panel + PANEL_MAIN, PAUSE_MAIN_ENTRIES, amount))
		return;
	busy = false;
	page = nextPage;
}

void Pause::ReturnToMainPage()
{
	// Shown within one frame: the sub-page hidden, the main entries fully back.
	AddAlphaToAll(optionItems, 2, -1.0f);
	AddAlphaToAll(howToControls, 3, -1.0f);
	AddAlphaToAll(panel + PANEL_QUESTION, 3, -1.0f);
	AddAlphaToAll(panel + PANEL_MAIN, PAUSE_MAIN_ENTRIES, 1.0f);
	for (int i = 0; i < PAUSE_HOW_TO_PICTURES; ++i)
		panel[PANEL_HOW_TO_PLAY + i]->position = {gPauseCamera.x + kAside, gPauseCamera.y};
	page = PAUSE_PAGE_MAIN;
	busy = false;
	mainSelection = 0;
	howToPage = 0;
	confirmSelection = 0;
}

void Pause::Close()
{
	busy = true;
	Menu_box* dimmer = panel[PANEL_DIMMER];
	dimmer->tint[3] = KEMin(dimmer->tint[3], 0.5f);
	AddAlpha(dimmer, -0.05f);
	AddAlpha(panel[PANEL_BACKGROUND], -0.025f);
	bool gone = false;
	for (int k = 0; k < PAUSE_MAIN_ENTRIES; ++k)
	{
		Menu_box* entry = panel[PANEL_MAIN + k];
		entry->position.y -= 25.0f;
		Brighten(entry, gDeltaTime);
		gone = gone || entry->position.y < -500.0f;
	}
	if (!gone)
		return;

	// Parked out of sight until the next opening lays them out again.
	busy = false;
	for (int k = 0; k < PAUSE_MAIN_ENTRIES; ++k)
		panel[PANEL_MAIN + k]->position = {-150.0f, -650.0f - 150.0f * (float)k};
	gPaused = false;
	introDone = false;
	needsInit = true;
}

void Pause::OpenHowToPlay()
{
	busy = true;
	AddAlphaToAll(howToControls, 3, 0.05f);
	AddAlpha(panel[PANEL_DIMMER], 0.05f);
	FadeMainEntries(-0.025f, PAUSE_PAGE_HOW_TO_PLAY);
}

void Pause::OpenOption()
{
	busy = true;
	AddAlphaToAll(optionItems, 2, 0.05f);
	FadeMainEntries(-0.025f, PAUSE_PAGE_OPTION);
}

void Pause::OpenConfirm()
{
	busy = true;
	AddAlphaToAll(panel + PANEL_QUESTION, 3, 0.025f);
	FadeMainEntries(-0.025f, PAUSE_PAGE_CONFIRM);
}

void Pause::SlideToPicture()
{
	// Eased: each frame covers twice the remaining distance per second.
	int shown = howToPage + 1;
	for (int i = 0; i < PAUSE_HOW_TO_PICTURES; ++i)
	{
		Menu_box* picture = panel[PANEL_HOW_TO_PLAY + i];
		float target = gPauseCamera.x;
		if (picture->pageNumber > shown)
			target += kAside;
		else if (picture->pageNumber < shown)
			target -= kAside;
		picture->position.x += (target - picture->position.x) * gDeltaTime * 2.0f;
	}
}

void Pause::Yes()
{
	Close();
	if (introDone)
		return;   // still sliding away
	ReturnToMainPage();
	gKEGameStateNext = STATE_MENU;
}

void Pause::No()
{
	busy = true;
	AddAlphaToAll(panel + PANEL_QUESTION, 3, -0.025f);
	FadeMainEntries(0.025f, PAUSE_PAGE_MAIN);
}

void Pause::MuteMusic()
{
	if (gSoundManager)
		gSoundManager->ToggleMute();
}

void Pause::Back()
{
	ReturnToMainPage();
}

void Pause::Draw()
{
	// The dimmer and every fade need blending, whatever the level left set.
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	for (Menu_box* box : allBoxes)
		box->Draw();
}

void Pause::Unload()
{
	UnloadAndDelete(allBoxes);
	for (Menu_box*& box : panel)
		box = nullptr;
	for (Menu_box*& box : howToControls)
		box = nullptr;
	for (Menu_box*& box : optionItems)
		box = nullptr;
}
