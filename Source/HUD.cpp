#include "HUD.h"

#include "KEGraphics.h"

HUD::HUD(int* hacked)
	: livesDigit(new Menu_box(4)), serversDigit(new Menu_box(6)), bar(new Menu_box()),
	  serverTotal(0), livesRef(nullptr), hackedRef(hacked)
{
	livesDigit->showSelected = false;
	serversDigit->showSelected = false;
	children = {bar, livesDigit, serversDigit};
}

HUD::~HUD()
{
	// Normally emptied by Unload; a HUD deleted without it still frees its boxes.
	for (Menu_box* child : children)
		delete child;
}

void HUD::Load()
{
	for (Menu_box* child : children)
		child->Load();
	if (children.empty())
		return;
	livesDigit->LoadImages("ArtAssets/");
	serversDigit->LoadImages("ArtAssets/");
	KEGfxTextureUnload(bar->texture);
	bar->texture = KEGfxTextureLoad("ArtAssets/hud.png");
}

void HUD::Init()
{
	for (Menu_box* child : children)
		child->Init();
	if (children.empty())
		return;
	livesDigit->imageIndex = 2;
	serversDigit->imageIndex = 3;
}

void HUD::Update()
{
	if (children.empty())
		return;
	int remaining = serverTotal - (hackedRef ? *hackedRef : 0) - 1;
	serversDigit->imageIndex = remaining < 0 ? 0 : remaining;
	if (livesRef && *livesRef < 3)
		livesDigit->imageIndex = *livesRef - 1;

	float camX = 0.0f, camY = 0.0f;
	KEGfxGetCamPosition(&camX, &camY);
	livesDigit->position = {camX - 235.0f, camY + 270.0f};
	livesDigit->size = {30.0f, 30.0f};
	serversDigit->position = {camX - 50.0f, camY + 270.0f};
	serversDigit->size = {30.0f, 30.0f};
	bar->position = {camX, camY + 270.0f};
	bar->size = {800.0f, 60.0f};

	for (Menu_box* child : children)
		child->Update();
}

void HUD::Draw()
{
	for (Menu_box* child : children)
		child->Draw();
}

void HUD::Unload()
{
	for (Menu_box* child : children)
	{
		child->Unload();
		delete child;
	}
	children.clear();
	livesDigit = serversDigit = bar = nullptr;
}
