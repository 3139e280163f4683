#include "Menu.h"

#include <algorithm>
#include <cmath>
#include <string>
#include "GameStates.h"
#include "KEGraphics.h"
#include "KEInput.h"
#include "KEMath.h"
#include "KESystem.h"
#include "MenuState.h"
#include "SoundManager.h"

namespace
{
const KEVec2 kOffScreen = {1000.0f, 1000.0f};
const float  kMainEntryY[MENU_MAIN_ENTRIES] = {100.0f, 20.0f, -60.0f, -140.0f, -220.0f};
const float  kPi = 3.1415925f;

int ReadCommand()
{
	if (KEInputCheckTriggered(KEY_W))
		return COMMAND_UP;
	if (KEInputCheckTriggered(KEY_S))
		return COMMAND_DOWN;
	if (KEInputCheckTriggered(KEY_A))
		return COMMAND_LEFT;
	if (KEInputCheckTriggered(KEY_D))
		return COMMAND_RIGHT;
	if (KEInputCheckTriggered(KEY_ENTER) || KEInputCheckTriggered(KEY_MOUSE_LEFT))
		return COMMAND_ACCEPT;
	if (KEInputCheckTriggered(KEY_ESCAPE))
		return COMMAND_BACK;
	return COMMAND_NONE;
}

// "ESC" lights up under the cursor and greys again once the cursor leaves it.
void HoverEsc(bool over)
{
	Menu_box* esc = menuItems[MENU_ITEM_ESC];
	if (over)
		Brighten(esc, gDeltaTime);
	else if (esc->tint[0] > 0.7f)
		SetGrey(esc, 0.5f);
}

// An arrow glows for a second after its key or the cursor touched it, then fades back.
void Glow(Menu_box* arrow, float& timer)
{
	if (timer < 1.0f)
	{
		timer += gDeltaTime;
		Brighten(arrow, gDeltaTime);
	}
	else
	{
		Dim(arrow, gDeltaTime);
		timer = 2.0f;
	}
}
} // namespace

void PlayMenuSound(int id)
{
	if (gSoundManager)
		gSoundManager->PlayEffect(id);
}

bool CursorOver(const Menu_box* box)
{
	const AABB& b = box->boundingBox;
	return CursorInBox(b.min.x, b.min.y, b.max.x, b.max.y);
}

void Brighten(Menu_box* box, float amount)
{
	for (int c = 0; c < 3; ++c)
		box->tint[c] = KEMin(box->tint[c] + amount, 1.0f);
}

void Dim(Menu_box* box, float amount)
{
	for (int c = 0; c < 3; ++c)
		if (box->tint[c] >= 0.3f)
			box->tint[c] -= amount;
}

void SetGrey(Menu_box* box, float level)
{
	box->tint[0] = box->tint[1] = box->tint[2] = level;
}

void AddAlpha(Menu_box* box, float amount)
{
	box->tint[3] = KEClamp(box->tint[3] + amount, 0.0f, 1.0f);
}

bool FadeAll(Menu_box* const* boxes, int count, float amount)
{
	float end = amount > 0.0f ? 1.0f : 0.0f;
	int settled = 0;
	for (int i = 0; i < count; ++i)
	{
		if (boxes[i]->tint[3] == end)
			++settled;
		else
			AddAlpha(boxes[i], amount);
	}
	return settled == count;
}

void UnloadAndDelete(std::vector<Menu_box*>& boxes)
{
	for (Menu_box* box : boxes)
	{
		box->Unload();
		delete box;
	}
	boxes.clear();
}

void SetPicture(KEGfxTexture*& slot, const char* path)
{
	KEGfxTextureUnload(slot);
	slot = KEGfxTextureLoad(path);
}

Menu::Menu()
	: cursorHeight(100.0f), command(COMMAND_NONE), page(MENU_PAGE_MAIN), levelSelection(0), levelCount(0),
	  selection(0), splashRunning(true), splashTimer1(2.0f), splashTimer2(2.0f), mainTargets{6, 10, 10, 13, 12},
	  levelTargets{1, 2, 3, 4, 5, 6, 7, 8, 0, 0}
{
}

Menu::~Menu()
{
	// Normally emptied by Unload; a menu deleted without it still frees its logos.
	for (Menu_box* logo : logos)
		delete logo;
}

void Menu::Load()
{
	mesh = CreateUnitQuad(0xFF6A95F1);
	if (!mesh)
		KEAssertReport("mesh", 388, "Menu::Load", "Source/Menu", "Failed to create mesh 1!!");
	SetPicture(texture, "ArtAssets/arrow.png");
}

void Menu::Init()
{
	levelCount = 0;
	while (levelCount < 10 && levelTargets[levelCount] != 0)
		++levelCount;
}

void Menu::Update()
{
	if (gSplashDone)
		for (Menu_box* logo : logos)
			logo->tint[3] = 0.0f;
	if (splashRunning && !gSplashDone)
	{
		UpdateSplash();
		return;
	}

	KEGfxSetCamPosition(0.0f, 0.0f);
	command = ReadCommand();
	switch (page)
	{
	case MENU_PAGE_MAIN: UpdateMainPage(); break;
	case MENU_PAGE_LEVELS: UpdateLevelPage(); break;
	case MENU_PAGE_INSTRUCTIONS: UpdateInstructionPage(); break;
	case MENU_PAGE_CREDITS: UpdateCreditsPage(); break;
	default: break;
	}
	Layout();

	BuildTransform(&transform, position, rotation, 150.0f, cursorHeight);
}

void Menu::UpdateSplash()
{
	splashTimer1 -= gDeltaTime;
	for (Menu_box* logo : logos)
		logo->Update();
	if (splashTimer1 >= 0.0f || logos.size() < 3)
		return;   // the first two seconds cannot be skipped

	if (KEInputCheckTriggered(KEY_ENTER) || KEInputCheckTriggered(KEY_ESCAPE) ||
	    KEInputCheckTriggered(KEY_SPACE) || KEInputCheckTriggered(KEY_MOUSE_LEFT) ||
	    KEInputCheckTriggered(KEY_MOUSE_RIGHT))
	{
		EndSplash();
		return;
	}

	// Black and the studio logo give way to the team logo, which then fades out too.
	splashTimer2 -= gDeltaTime;
	if (splashTimer2 >= 0.0f)
	{
		AddAlpha(logos[0], -0.05f);
		AddAlpha(logos[1], -0.05f);
		AddAlpha(logos[2], 0.05f);
		return;
	}
	float& alpha = logos[2]->tint[3];
	alpha = KEClamp(alpha, 0.0f, 1.0f) - 0.05f;
	if (alpha < 0.0f)
		EndSplash();
}

void Menu::EndSplash()
{
	for (Menu_box* logo : logos)
		logo->tint[3] = 0.0f;
	splashRunning = false;
	gSplashDone = true;
}

void Menu::HandleCommand(int count, int& selected, const int* targets)
{
	switch (command)
	{
	case COMMAND_UP:
		PlayMenuSound(MENU_SOUND_MOVE);
		selected = selected == 0 ? count - 1 : selected - 1;
		break;
	case COMMAND_DOWN:
		if (count == 0)
			break;
		PlayMenuSound(MENU_SOUND_MOVE);
		selected = selected == count - 1 ? 0 : selected + 1;
		break;
	case COMMAND_ACCEPT:
		if (!targets || selected < 0 || selected >= count)
			break;
		if (page == MENU_PAGE_MAIN && selected == 0)
		{
			gKEGameStateNext = targets[0];
			PlayMenuSound(MENU_SOUND_NEW_GAME);
		}
		else if (page == MENU_PAGE_MAIN && selected <= MENU_PAGE_CREDITS)
		{
			page = selected;   // entries 1 to 3 open the page of the same number
			PlayMenuSound(MENU_SOUND_ACCEPT);
		}
		else
		{
			int target = targets[selected];
			gKEGameStateNext = (target == 12 || target == 13) ? GAME_STATE_QUIT : (unsigned int)target;
			PlayMenuSound(MENU_SOUND_ACCEPT);
		}
		break;
	case COMMAND_BACK:
		PlayMenuSound(MENU_SOUND_CANCEL);
		page = MENU_PAGE_MAIN;
		break;
	default:
		break;
	}
}

void Menu::UpdateMainPage()
{
	menuItems[MENU_ITEM_INSTRUCTIONS]->selectedIndex = 0;
	HandleCommand(MENU_MAIN_ENTRIES, selection, mainTargets);
	// The cursor resting on an entry selects it, so a click takes that entry on the next frame.
	for (int i = 0; i <= MENU_ITEM_UP_ARROW; ++i)
		if (CursorOver(menuItems[i]))
			selection = i;
}

void Menu::UpdateLevelPage()
{
	Menu_box* label = menuItems[MENU_ITEM_LEVEL_LABEL];
	Brighten(label, gDeltaTime);
	bool overLabel = CursorOver(label);
	bool overUp = CursorOver(menuItems[MENU_ITEM_UP_ARROW]);
	bool overDown = CursorOver(menuItems[MENU_ITEM_DOWN_ARROW]);
	bool overEsc = CursorOver(menuItems[MENU_ITEM_ESC]);
	if (overUp)
		gUpArrowGlow = 0.0f;
	if (overDown)
		gDownArrowGlow = 0.0f;
	HoverEsc(overEsc);

	if (!KEInputCheckTriggered(KEY_MOUSE_LEFT))
	{
		HandleCommand(levelCount, levelSelection, levelTargets);
		return;
	}
	if (overUp || overDown)
	{
		// An arrow's click steps the list like its key, with the same sound.
		command = overUp ? COMMAND_UP : COMMAND_DOWN;
		HandleCommand(levelCount, levelSelection, levelTargets);
		return;
	}
	PlayMenuSound(MENU_SOUND_MOVE);
	if (overLabel)
		HandleCommand(levelCount, levelSelection, levelTargets);   // the click reads as accept
	else if (overEsc)
		page = MENU_PAGE_MAIN;
}

void Menu::UpdateInstructionPage()
{
	bool overEsc = CursorOver(menuItems[MENU_ITEM_ESC]);
	HoverEsc(overEsc);
	if (overEsc && KEInputCheckTriggered(KEY_MOUSE_LEFT))
	{
		PlayMenuSound(MENU_SOUND_MOVE);
		page = MENU_PAGE_MAIN;
		return;
	}
	HandleCommand(2, gInstructionSelection, nullptr);
}

void Menu::UpdateCreditsPage()
{
	// Esc leaves the credits without a sound.
	if (KEInputCheckTriggered(KEY_ESCAPE))
		page = MENU_PAGE_MAIN;
	bool overEsc = CursorOver(menuItems[MENU_ITEM_ESC]);
	HoverEsc(overEsc);
	if (overEsc && KEInputCheckTriggered(KEY_MOUSE_LEFT))
	{
		PlayMenuSound(MENU_SOUND_MOVE);
		page = MENU_PAGE_MAIN;
	}
}

void Menu::Layout()
{
	for (Menu_box* item : menuItems)
		item->size = {200.0f, 50.0f};
	Menu_box* creditsPage = menuItems[MENU_ITEM_CREDITS_PAGE];
	Menu_box* esc = menuItems[MENU_ITEM_ESC];
	creditsPage->size = {800.0f, 600.0f};
	gMenuTitle->size = {700.0f, 150.0f};
	gMenuTitle->position = page == MENU_PAGE_CREDITS ? kOffScreen : KEVec2{0.0f, 220.0f};
	esc->size = {50.0f, 50.0f};
	esc->position = page == MENU_PAGE_MAIN ? kOffScreen : KEVec2{200.0f, -150.0f};
	menuItems[MENU_ITEM_UP_ARROW]->rotation = kPi;

	switch (page)
	{
	case MENU_PAGE_MAIN:
		for (int i = 0; i < MENU_MAIN_ENTRIES; ++i)
			menuItems[i]->position = {0.0f, kMainEntryY[i]};
		for (int i : {MENU_ITEM_LEVEL_LABEL, MENU_ITEM_UP_ARROW, MENU_ITEM_DOWN_ARROW, MENU_ITEM_CREDITS_PAGE})
			menuItems[i]->position = kOffScreen;
		position = {-200.0f, menuItems[selection]->position.y};
		menuItems[selection]->size = {250.0f, 125.0f};
		for (int i = 0; i < MENU_ITEM_COUNT; ++i)
		{
			if (i == selection)
				Brighten(menuItems[i], gDeltaTime);
			else
				Dim(menuItems[i], gDeltaTime);
		}
		break;
	case MENU_PAGE_LEVELS:
		for (int i = 0; i < MENU_MAIN_ENTRIES; ++i)
			menuItems[i]->position = kOffScreen;
		position = kOffScreen;
		menuItems[MENU_ITEM_LEVEL_LABEL]->position = {-100.0f, 90.0f};
		menuItems[MENU_ITEM_UP_ARROW]->position = {-100.0f, -90.0f};
		menuItems[MENU_ITEM_DOWN_ARROW]->position = {-100.0f, -150.0f};
		menuItems[MENU_ITEM_LEVEL_LABEL]->selectedIndex = levelSelection;
		if (KEInputCheckTriggered(KEY_W))
			gUpArrowGlow = 0.0f;
		if (KEInputCheckTriggered(KEY_S))
			gDownArrowGlow = 0.0f;
		Glow(menuItems[MENU_ITEM_UP_ARROW], gUpArrowGlow);
		Glow(menuItems[MENU_ITEM_DOWN_ARROW], gDownArrowGlow);
		break;
	case MENU_PAGE_INSTRUCTIONS:
		for (int i = 0; i <= MENU_ITEM_LEVEL_LABEL; ++i)
			menuItems[i]->position = kOffScreen;
		position = kOffScreen;
		break;
	case MENU_PAGE_CREDITS:
		for (int i = 0; i < MENU_ITEM_ESC; ++i)
			menuItems[i]->position = kOffScreen;
		position = kOffScreen;
		creditsPage->position = {0.0f, 0.0f};
		Brighten(creditsPage, gDeltaTime);
		break;
	default:
		break;
	}
}

void Menu::Draw()
{
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetTransform(&transform);
	KEGfxSetTransparency(1.0f);
	KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
	KEGfxTextureSet(texture, 0.0f, 0.0f);
	KEGfxMeshDraw(mesh, KE_MESH_DRAW_TRIANGLES);
	// After the splash its pictures stay at alpha 0: blended, they would change no pixel.
	for (Menu_box* logo : logos)
		if (logo->tint[3] > 0.0f)
			logo->Draw();
}

void Menu::Unload()
{
	UnloadAndDelete(logos);
	KEGfxMeshFree(mesh);
	mesh = nullptr;
	KEGfxMeshFree(gAnimationQuad);
	gAnimationQuad = nullptr;
	KEGfxTextureUnload(texture);
	texture = nullptr;
	for (KEGfxTexture*& picture : gAnimationPictures)
	{
		KEGfxTextureUnload(picture);
		picture = nullptr;
	}
}

// ---------------------------------------------------------------------------
// Menu layers

bool gMenuLayerCache = true;

namespace
{
struct LayerCache
{
	KEGfxTexture*            picture = nullptr;   // layers base .. base + count - 1, composed
	int                      base = -1, count = 0;
	std::vector<std::string> keys;                // of those layers when composed
	std::string              view;                // camera and scale then
	std::vector<std::string> lastKeys;            // every layer's, last frame
};

LayerCache sLayers;

template <class T>
void Put(std::string& key, const T& value)
{
	key.append((const char*)&value, sizeof(value));
}

// Everything a box's Draw reads: equal keys draw equal pixels.
void PutBox(std::string& key, const Menu_box* box)
{
	Put(key, box->type), Put(key, box->position), Put(key, box->size), Put(key, box->rotation);
	Put(key, box->tint), Put(key, box->CurrentPicture()), Put(key, box->mesh);
	for (const KEGfxTexture* glyph : box->glyphs)
		Put(key, glyph);
}

std::string KeyOf(GameObject* layer)
{
	std::string key;
	if (const Menu_box* box = dynamic_cast<const Menu_box*>(layer))
		PutBox(key, box);
	else if (const Menu* menu = dynamic_cast<const Menu*>(layer))
	{
		Put(key, menu->transform), Put(key, menu->texture), Put(key, menu->mesh);
		for (const Menu_box* logo : menu->logos)
			PutBox(key, logo);
	}
	else
		Put(key, layer), key += "?";   // unknown: never the same (see Unchanged)
	return key;
}

bool Unchanged(const std::string& a, const std::string& b)
{
	return a == b && (a.empty() || a.back() != '?');
}

// A box that changes no pixel: transparent, empty, or wholly outside the view.
bool ShowsNothing(const Menu_box* box)
{
	if (box->tint[3] <= 0.0f || box->size.x == 0.0f || box->size.y == 0.0f || !box->mesh)
		return true;
	if (box->type != MENU_BOX_TEXT && !box->CurrentPicture())
		return true;
	// Turned or not, a quad stays within half its diagonal of its centre.
	const float reach = 0.5f * std::sqrt(box->size.x * box->size.x + box->size.y * box->size.y);
	const float last = box->type == MENU_BOX_TEXT ? (float)std::max(0, (int)box->glyphs.size() - 1) * box->size.x : 0.0f;
	return box->position.x + last + reach < KEGfxGetWinMinX() || box->position.x - reach > KEGfxGetWinMaxX() ||
	       box->position.y + reach < KEGfxGetWinMinY() || box->position.y - reach > KEGfxGetWinMaxY();
}

// An unturned, fully opaque picture over the whole view: nothing under it shows.
bool CoversView(const Menu_box* box)
{
	const KEGfxTexture* picture = box->type == MENU_BOX_TEXT ? nullptr : box->CurrentPicture();
	return picture && picture->opaque && box->rotation == 0.0f && box->tint[3] >= 1.0f && box->mesh &&
	       box->position.x - box->size.x * 0.5f <= KEGfxGetWinMinX() &&
	       box->position.x + box->size.x * 0.5f >= KEGfxGetWinMaxX() &&
	       box->position.y - box->size.y * 0.5f <= KEGfxGetWinMinY() &&
	       box->position.y + box->size.y * 0.5f >= KEGfxGetWinMaxY();
}

void DrawLayer(GameObject* layer)
{
	if (Menu_box* box = dynamic_cast<Menu_box*>(layer))
	{
		if (box->type == MENU_BOX_LIST && !box->showSelected && box->imageIndex < 0)
			box->imageIndex = 0;   // as its Draw would
		if (ShowsNothing(box))
			return;
	}
	layer->Draw();
}

std::string ViewKey()
{
	std::string key;
	float x = 0.0f, y = 0.0f;
	KEGfxGetCamPosition(&x, &y);
	Put(key, x), Put(key, y), Put(key, KESysGetFullScreenScaleX()), Put(key, KESysGetFullScreenScaleY());
	return key;
}
} // namespace

void ReleaseMenuLayers()
{
	KEGfxTextureUnload(sLayers.picture);
	sLayers = LayerCache();
}

void DrawMenuLayers(const std::vector<GameObject*>& layers)
{
	const int n = (int)layers.size();
	std::vector<std::string> keys(n);
	int base = -1;   // the last layer that hides everything under it
	for (int i = 0; i < n; ++i)
	{
		keys[i] = KeyOf(layers[i]);
		const Menu_box* box = dynamic_cast<const Menu_box*>(layers[i]);
		if (box && CoversView(box))
			base = i;
	}
	const std::string view = ViewKey();
	std::vector<std::string> lastKeys = std::move(sLayers.lastKeys);
	sLayers.lastKeys = keys;

	int from = base < 0 ? 0 : base;   // the first layer drawn directly
	if (gMenuLayerCache && base >= 0)
	{
		// The layers from the base up that look as they did last frame.
		int stable = base;
		while (stable < n && (int)lastKeys.size() == n && Unchanged(keys[stable], lastKeys[stable]))
			++stable;
		bool kept = sLayers.picture && sLayers.base == base && sLayers.view == view &&
		            base + sLayers.count <= n &&
		            std::equal(sLayers.keys.begin(), sLayers.keys.end(), keys.begin() + base);
		if (stable - base > (kept ? sLayers.count : 0))
		{
			// Compose them again: a longer run stays still, or the kept one changed.
			int w = (int)(KEGetWindowWidth() * KESysGetFullScreenScaleX());
			int h = (int)(KEGetWindowHeight() * KESysGetFullScreenScaleY());
			if (!sLayers.picture || sLayers.picture->width != w || sLayers.picture->height != h)
			{
				KEGfxTextureUnload(sLayers.picture);
				sLayers.picture = KEGfxTargetCreate(w, h);
			}
			kept = KEGfxTargetBegin(sLayers.picture, KEGfxGetWinMinX(), KEGfxGetWinMinY(), KEGfxGetWinMaxX(),
			                        KEGfxGetWinMaxY());
			if (kept)
			{
				for (int i = base; i < stable; ++i)
					DrawLayer(layers[i]);
				KEGfxTargetEnd();
				sLayers.base = base, sLayers.count = stable - base, sLayers.view = view;
				sLayers.keys.assign(keys.begin() + base, keys.begin() + stable);
			}
		}
		if (kept)
		{
			KEGfxTargetShow(sLayers.picture);
			from = base + sLayers.count;
		}
	}
	for (int i = from; i < n; ++i)
		DrawLayer(layers[i]);
}
