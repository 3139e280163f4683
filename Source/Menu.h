#pragma once
// The main menu's own object: the selection arrow, the splash logos, the page and the
// selections, and the input that steers them. Also the small pieces both menus share
// (commands, tint fades, the F11 switch, the menu sounds).
#include <vector>
#include "GameObject.h"
#include "Keys.h"
#include "MenuBox.h"

// One frame's input, as both menus read it.
enum MenuCommand
{
	COMMAND_UP = 0,
	COMMAND_DOWN = 1,
	COMMAND_LEFT = 2,
	COMMAND_RIGHT = 3,
	COMMAND_ACCEPT = 4,
	COMMAND_BACK = 5,
	COMMAND_NONE = 6,
};

enum MenuPage
{
	MENU_PAGE_MAIN = 0,
	MENU_PAGE_LEVELS = 1,
	MENU_PAGE_INSTRUCTIONS = 2,
	MENU_PAGE_CREDITS = 3,
};

// Effects of both menus.
enum
{
	MENU_SOUND_MOVE = 20,       // the selection moves, a control is clicked
	MENU_SOUND_ACCEPT = 21,     // a page opens, a level starts, the game quits
	MENU_SOUND_NEW_GAME = 22,
	MENU_SOUND_CANCEL = 23,     // back
};

class Menu : public GameObject
{
public:
	Menu();
	~Menu() override;
	Menu(const Menu&) = delete;   // owns its logos
	Menu& operator=(const Menu&) = delete;

	void Load() override;     // the arrow quad and picture
	void Init() override;     // counts the level-select entries
	void Update() override;   // splash, or page input and layout
	void Draw() override;     // the arrow, then the logos
	void Free() override {}
	void Unload() override;   // logos, meshes, the arrow and the animation pictures

	float                  cursorHeight;
	int                    command;
	int                    page;
	int                    levelSelection;
	int                    levelCount;
	int                    selection;
	bool                   splashRunning;
	float                  splashTimer1;   // the part nobody can skip
	float                  splashTimer2;
	std::vector<Menu_box*> logos;          // black, the studio logo, the team logo
	int                    mainTargets[5];
	int                    levelTargets[10];

private:
	void UpdateSplash();
	void EndSplash();
	void UpdateMainPage();
	void UpdateLevelPage();
	void UpdateInstructionPage();
	void UpdateCreditsPage();
	void HandleCommand(int count, int& selected, const int* targets);
	void Layout();
};

// Shared by the main menu and the pause menu.
void PlayMenuSound(int id);                  // an effect, when there is a sound manager
bool CursorOver(const Menu_box* box);        // the cursor inside the box's bounding box
void Brighten(Menu_box* box, float amount);  // red, green and blue up by amount, to 1 at most
void Dim(Menu_box* box, float amount);       // each colour down by amount while it is 0.3 or more
void SetGrey(Menu_box* box, float level);
void AddAlpha(Menu_box* box, float amount);  // kept within 0 to 1
// Moves every box's alpha by amount (toward 1 or toward 0); true once all of them stand at
// that end.
bool FadeAll(Menu_box* const* boxes, int count, float amount);
void SetPicture(KEGfxTexture*& slot, const char* path);   // replaces what the slot holds
void UnloadAndDelete(std::vector<Menu_box*>& boxes);      // and empties the list

// Draws a menu's layers back to front, as each one's Draw would, but cheaper on a software
// renderer: a layer that shows nothing (transparent, empty or out of view) is left out, and
// so is everything under a layer that covers the whole view with an opaque picture; from
// that layer up, the layers that stayed the same since the last frame are drawn once into
// a picture of the window and copied to the screen while they stay so.
void DrawMenuLayers(const std::vector<GameObject*>& layers);
void ReleaseMenuLayers();       // the kept picture, at the state's unload
extern bool gMenuLayerCache;    // false: every visible layer drawn every frame
