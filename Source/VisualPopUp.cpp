#include "VisualPopUp.h"

#include "Guard.h"
#include "KEMath.h"
#include "SoundManager.h"

VisualPopUp::VisualPopUp(BasicGuard* guard) : icon(new Menu_box(2)), owner(guard)
{
	icon->showSelected = false;
}

VisualPopUp::~VisualPopUp()
{
	delete icon;
}

void VisualPopUp::Load()
{
	icon->Load();
}

void VisualPopUp::Init()
{
	icon->size = {15.0f, 40.0f};
	icon->position = {owner->position.x, owner->position.y + 50.0f};
	icon->LoadImages("ArtAssets/feedback/guard");
	// Nothing to show until the guard is alarmed (a new box starts opaque).
	icon->tint[3] = 0.0f;
}

void VisualPopUp::Update()
{
	float& alpha = icon->tint[3];
	const bool errand = owner->pursuitTarget == TARGET_RADIO || owner->pursuitTarget == TARGET_LIGHT;
	if (owner->state == GUARD_PURSUE && errand && !owner->pathReady)
	{
		alpha = 1.0f;
		if (gSoundManager)
			gSoundManager->PlayEffect(6);
		icon->imageIndex = 1;
	}
	else if (owner->state == GUARD_PURSUE && owner->pursuitTarget == TARGET_PLAYER && owner->alarmCounted)
	{
		alpha = 1.0f;
		icon->imageIndex = 0;
	}
	else
		alpha = KEClamp(alpha, 0.0f, 1.0f) - 0.05f;   // gone after 20 frames
	icon->position = {owner->position.x, owner->position.y + 30.0f};
	icon->Update();
}

void VisualPopUp::Draw()
{
	icon->Draw();
}

void VisualPopUp::Unload()
{
	if (!icon)
		return;
	icon->Unload();
	delete icon;
	icon = nullptr;
}
