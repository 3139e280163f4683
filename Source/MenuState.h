#pragma once
// The main menu (state 0): the splash on the first visit, then the title and five entries,
// the level select, the instructions page with its animation, and the credits page.
#include "MenuBox.h"

class Menu;

void MenuStateLoad();
void MenuStateInit();
void MenuStateUpdate();
void MenuStateDraw();
void MenuStateFree();
void MenuStateUnload();

enum
{
	MENU_ITEM_NEW_GAME = 0,
	MENU_ITEM_LEVEL_SELECT = 1,
	MENU_ITEM_INSTRUCTIONS = 2,
	MENU_ITEM_CREDITS = 3,
	MENU_ITEM_QUIT = 4,
	MENU_ITEM_LEVEL_LABEL = 5,
	MENU_ITEM_UP_ARROW = 6,
	MENU_ITEM_DOWN_ARROW = 7,
	MENU_ITEM_ESC = 8,
	MENU_ITEM_CREDITS_PAGE = 9,
	MENU_ITEM_COUNT = 10,
	MENU_MAIN_ENTRIES = 5,
	MENU_ANIMATION_PICTURES = 4,
};

// The splash plays once per run.
extern bool gSplashDone;

// The menu's elements, from the state's load to its unload (null outside).
extern Menu*     gMenu;
extern Menu_box* menuItems[MENU_ITEM_COUNT];
extern Menu_box* gMenuBackground;
extern Menu_box* gMenuTitle;

extern int   gInstructionSelection;   // 0 or 1; up and down toggle it
extern float gUpArrowGlow;            // seconds since the arrow last lit up; 2 when resting
extern float gDownArrowGlow;
extern int   gAnimationFrame;         // frames drawn on the instructions page, 0 to 119

// The instructions animation: one quad and four pictures of 30 frames each.
extern KEGfxVertexList* gAnimationQuad;
extern KEGfxTexture*    gAnimationPictures[MENU_ANIMATION_PICTURES];
