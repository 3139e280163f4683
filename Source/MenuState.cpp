#include "MenuState.h"

#include <string>
#include <vector>
#include "GameStates.h"
#include "KEGraphics.h"
#include "KEInput.h"
#include "KESystem.h"
#include "LevelPreview.h"
#include "Menu.h"

bool gSplashDone = false;

Menu*     gMenu = nullptr;
Menu_box* menuItems[MENU_ITEM_COUNT] = {};
Menu_box* gMenuBackground = nullptr;
Menu_box* gMenuTitle = nullptr;

int   gInstructionSelection = 0;
float gUpArrowGlow = 0.0f;
float gDownArrowGlow = 0.0f;
int   gAnimationFrame = 0;

KEGfxVertexList* gAnimationQuad = nullptr;
KEGfxTexture*    gAnimationPictures[MENU_ANIMATION_PICTURES] = {};

namespace
{
std::vector<GameObject*> objectList;

const char* const kLevelLabels[10] = {
	"ArtAssets/Tutorial1.png", "ArtAssets/Tutorial2.png", "ArtAssets/Tutorial3.png", "ArtAssets/Tutorial4.png",
	"ArtAssets/Tutorial5.png", "ArtAssets/level1.png",    "ArtAssets/level2.png",    "ArtAssets/level3.png",
	"ArtAssets/level4.png",    "ArtAssets/level4.png"};

Menu_box* AddLogo(const char* path, float width, float height, float alpha)
{
	Menu_box* logo = new Menu_box();
	logo->Load();
	logo->Init();
	SetPicture(logo->texture, path);
	logo->size = {width, height};
	logo->tint[3] = alpha;
	gMenu->logos.push_back(logo);
	return logo;
}
} // namespace

void MenuStateLoad()
{
	gMenu = new Menu();
	AddLogo("ArtAssets/logo/black.png", 800.0f, 600.0f, 1.0f);
	AddLogo("ArtAssets/logo/halvardLogo.png", 600.0f, 225.0f, 1.0f);
	AddLogo("ArtAssets/logo/ourLogo.png", 800.0f, 600.0f, 0.0f);

	gMenuBackground = new Menu_box();
	menuItems[MENU_ITEM_CREDITS_PAGE] = new Menu_box();
	menuItems[MENU_ITEM_ESC] = new Menu_box(std::string("ESC"));
	menuItems[MENU_ITEM_NEW_GAME] = new Menu_box();
	menuItems[MENU_ITEM_LEVEL_SELECT] = new Menu_box();
	menuItems[MENU_ITEM_INSTRUCTIONS] = new Menu_box(2);
	menuItems[MENU_ITEM_CREDITS] = new Menu_box();
	menuItems[MENU_ITEM_QUIT] = new Menu_box();
	gMenuTitle = new Menu_box();
	menuItems[MENU_ITEM_LEVEL_LABEL] = new Menu_box(10);
	menuItems[MENU_ITEM_UP_ARROW] = new Menu_box();
	menuItems[MENU_ITEM_DOWN_ARROW] = new Menu_box();

	gAnimationQuad = CreateQuad(200.0f, 0xFF6A95F1, 0xFF6A95F1);
	if (!gAnimationQuad)
		KEAssertReport("tMesh", 213, "MenuLoad", "Source/Menu", "fail to create object!!");
	std::string path = "ArtAssets/Tut1.png";
	for (int i = 0; i < MENU_ANIMATION_PICTURES; ++i)
	{
		path[13] = (char)('1' + i);
		SetPicture(gAnimationPictures[i], path.c_str());
	}

	// The drawing order, back to front.
	objectList = {gMenuBackground,
	              menuItems[MENU_ITEM_CREDITS_PAGE],
	              menuItems[MENU_ITEM_ESC],
	              gMenu,
	              menuItems[MENU_ITEM_NEW_GAME],
	              menuItems[MENU_ITEM_LEVEL_SELECT],
	              menuItems[MENU_ITEM_INSTRUCTIONS],
	              menuItems[MENU_ITEM_CREDITS],
	              menuItems[MENU_ITEM_QUIT],
	              gMenuTitle,
	              menuItems[MENU_ITEM_LEVEL_LABEL],
	              menuItems[MENU_ITEM_UP_ARROW],
	              menuItems[MENU_ITEM_DOWN_ARROW]};
	for (GameObject* object : objectList)
		object->Load();
	LevelPreviewLoad();
}

void MenuStateInit()
{
	gAnimationFrame = 0;
	SetPicture(gMenuBackground->texture, "ArtAssets/menu_bg.png");
	SetPicture(menuItems[MENU_ITEM_CREDITS_PAGE]->texture, "ArtAssets/credits_bg.png");
	SetPicture(menuItems[MENU_ITEM_NEW_GAME]->texture, "ArtAssets/font/Newgame.png");
	SetPicture(menuItems[MENU_ITEM_LEVEL_SELECT]->texture, "ArtAssets/font/levelselect.png");
	SetPicture(menuItems[MENU_ITEM_INSTRUCTIONS]->images[0], "ArtAssets/font/intstruction.png");
	SetPicture(menuItems[MENU_ITEM_INSTRUCTIONS]->images[1], "ArtAssets/Instruction/page1.png");
	SetPicture(menuItems[MENU_ITEM_CREDITS]->texture, "ArtAssets/font/credits.png");
	SetPicture(menuItems[MENU_ITEM_QUIT]->texture, "ArtAssets/font/quit.png");
	SetPicture(gMenuTitle->texture, "ArtAssets/Nullvane.png");
	for (int i = 0; i < 10; ++i)
		SetPicture(menuItems[MENU_ITEM_LEVEL_LABEL]->images[i], kLevelLabels[i]);
	SetPicture(menuItems[MENU_ITEM_UP_ARROW]->texture, "ArtAssets/arrow_down.png");
	SetPicture(menuItems[MENU_ITEM_DOWN_ARROW]->texture, "ArtAssets/arrow_down.png");
	gMenuBackground->size = {800.0f, 600.0f};
	for (GameObject* object : objectList)
		object->Init();
}

void MenuStateUpdate()
{
	for (GameObject* object : objectList)
		object->Update();
	ToggleFullScreenOnF11();
	// A shortcut straight into the first level.
	if (KEInputCheckTriggered(KEY_O) && gKEGameStateCurr == STATE_MENU)
		gKEGameStateNext = STATE_LEVEL1;
}

void MenuStateDraw()
{
	// Blending from the first object on, so the first frame already shows transparent edges.
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	DrawMenuLayers(objectList);
	if (gMenu && gMenu->page == MENU_PAGE_LEVELS)
		LevelPreviewDraw((unsigned int)gMenu->levelTargets[gMenu->levelSelection]);
	if (!gMenu || gMenu->page != MENU_PAGE_INSTRUCTIONS)
		return;

	// Each picture stays 30 frames.
	if (++gAnimationFrame >= 120)
		gAnimationFrame = 0;
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetPosition(0.0f, 0.0f);
	KEGfxSetTransparency(1.0f);
	KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
	KEGfxTextureSet(gAnimationPictures[gAnimationFrame / 30], 0.0f, 0.0f);
	KEGfxMeshDraw(gAnimationQuad, KE_MESH_DRAW_TRIANGLES);
}

void MenuStateFree()
{
	for (GameObject* object : objectList)
		object->Unload();
	ReleaseMenuLayers();
}

void MenuStateUnload()
{
	for (GameObject* object : objectList)
	{
		object->Free();
		delete object;
	}
	objectList.clear();
	LevelPreviewUnload();
	gMenu = nullptr;
	gMenuBackground = nullptr;
	gMenuTitle = nullptr;
	for (Menu_box*& item : menuItems)
		item = nullptr;
}
