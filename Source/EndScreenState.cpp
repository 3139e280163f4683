#include "EndScreenState.h"

#include <vector>
#include "GameStates.h"
#include "KEGraphics.h"
#include "KEInput.h"
#include "KESystem.h"
#include "Keys.h"
#include "MenuBox.h"
#include "SoundManager.h"

namespace
{
struct EndScreen
{
	const char*              picture;
	std::vector<GameObject*> objectList;
	Menu_box*                box = nullptr;
};

EndScreen sWin = {"ArtAssets/win.png", {}};
EndScreen sLose = {"ArtAssets/lose.png", {}};

template <unsigned int Id> EndScreen& Screen() { return Id == STATE_WIN ? sWin : sLose; }

template <unsigned int Id> void Load()
{
	EndScreen& screen = Screen<Id>();
	screen.box = new Menu_box();
	screen.objectList.push_back(screen.box);
	for (GameObject* object : screen.objectList)
		object->Load();
}

template <unsigned int Id> void Init()
{
	EndScreen& screen = Screen<Id>();
	if (Id == STATE_LOSE && gSoundManager)
		gSoundManager->PlayOnSlot(2, gSoundManager->music);   // no sound behind this id: quiet
	KEGfxSetCamPosition(0.0f, 0.0f);
	if (Id == STATE_WIN)
		KESysSetWindowTitle("Win!");   // nothing sets it back
	KEGfxTextureUnload(screen.box->texture);
	screen.box->texture = KEGfxTextureLoad(screen.picture);
	screen.box->position = {0.0f, 0.0f};
	screen.box->size = {800.0f, 600.0f};
	for (GameObject* object : screen.objectList)
		object->Init();
}

template <unsigned int Id> void Update()
{
	if (KEInputCheckCurr(KEY_BACKSPACE))
		gKEGameStateNext = STATE_MENU;
	for (GameObject* object : Screen<Id>().objectList)
		object->Update();
}

template <unsigned int Id> void Draw()
{
	KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
	KEGfxTextureSet(nullptr, 0.0f, 0.0f);
	KEGfxSetTransparency(1.0f);
	for (GameObject* object : Screen<Id>().objectList)
		object->Draw();
}

template <unsigned int Id> void Free()
{
	for (GameObject* object : Screen<Id>().objectList)
		object->Unload();
}

template <unsigned int Id> void Unload()
{
	EndScreen& screen = Screen<Id>();
	for (GameObject* object : screen.objectList)
	{
		object->Free();
		delete object;
	}
	screen.objectList.clear();
	screen.box = nullptr;
}

template <unsigned int Id> void Register()
{
	KEGameStateMgrAdd(Id, Load<Id>, Init<Id>, Update<Id>, Draw<Id>, Free<Id>, Unload<Id>);
}
} // namespace

void RegisterEndScreenStates()
{
	Register<STATE_WIN>();
	Register<STATE_LOSE>();
}
