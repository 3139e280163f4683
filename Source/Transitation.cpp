#include "Transitation.h"

#include "KEGraphics.h"
#include "SoundManager.h"

Transitation::Transitation()
	: covered(false), idle(true), finished(false), holdTimer(0.0f), slideTimer(1.5f)
{
}

Transitation::~Transitation()
{
	for (Menu_box* box : curtain)
		delete box;
}

void Transitation::Load()
{
	Menu_box* black = new Menu_box();
	black->texture = KEGfxTextureLoad("ArtAssets/black.png");
	curtain.push_back(black);
	for (Menu_box* box : curtain)
		box->Load();
}

void Transitation::Init()
{
	idle = false;
	finished = false;
	if (curtain.empty())
		return;
	float camX = 0.0f, camY = 0.0f;
	KEGfxGetCamPosition(&camX, &camY);
	for (Menu_box* box : curtain)
		box->moving = 0;
	Menu_box* first = curtain[0];
	first->size = {5000.0f, 3360.0f};
	for (Menu_box* box : curtain)
		box->Init();
	// The lower edge starts 80 units below the view's centre.
	first->homePosition = {camX, camY + 1600.0f};
	for (Menu_box* box : curtain)
		box->position = first->homePosition;
}

void Transitation::Update()
{
	bool wasIdle = idle;
	if (!idle)
	{
		for (Menu_box* box : curtain)
			box->tint[3] = 1.0f;

		float dt = gDeltaTime;
		Menu_box* first = curtain.empty() ? nullptr : curtain[0];
		if (!covered)
		{
			slideTimer -= dt;
			if (slideTimer > 0.0f)
			{
				if (first)
					first->position.y -= 15.0f;
			}
			else
			{
				holdTimer = 0.5f;
				covered = true;
			}
		}
		if (covered && holdTimer > 0.0f)
			holdTimer -= dt;
		// A hold that lands exactly on 0 must still end, or the curtain would never lift.
		if (covered && holdTimer <= 0.0f)
		{
			if (gSoundManager && !gSoundManager->spareB.paused)
				gSoundManager->PauseSlot(gSoundManager->spareB);
			slideTimer += dt;
			if (slideTimer < 1.3f)
			{
				if (first)
					first->position.y += 25.0f;
			}
			else
			{
				holdTimer = 0.0f;
				covered = false;
				idle = true;
				finished = true;
			}
		}
	}
	if (wasIdle || idle)
		for (Menu_box* box : curtain)
			box->tint[3] = 0.0f;
	for (Menu_box* box : curtain)
		box->Update();
}

void Transitation::Draw()
{
	// An idle curtain is fully transparent; skipping it keeps it invisible even when the
	// caller has blending off.
	for (Menu_box* box : curtain)
		if (box->tint[3] > 0.0f)
			box->Draw();
}

void Transitation::Unload()
{
	for (Menu_box* box : curtain)
	{
		box->Unload();
		delete box;
	}
	curtain.clear();
}
