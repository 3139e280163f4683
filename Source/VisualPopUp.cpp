#include "VisualPopUp.h"

#include "Guard.h"
#include "KEMath.h"
#include "SoundManager.h"

VisualPopUp::VisualPopUp(BasicGuard* guard) : icon(new Menu_box(2)), owner(guard), alerted(false)
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
	alerted = false;
}

void VisualPopUp::Update()
{
	float& alpha = icon->tint[3];
	const bool errand = owner->pursuitTarget == TARGET_RADIO || owner->pursuitTarget == TARGET_LIGHT;
	const bool settingOut = owner->state == GUARD_PURSUE && errand && !owner->pathReady;
	// A radio or lamp guard's own rules may turn a chase into a return or an errand after
	// the chase step; the chase still shows. A radio played (or a lamp darkened) during a
	// chase keeps the guard unplanned frame after frame: one grunt until it calms down.
	if (settingOut && !alerted && gSoundManager)
		gSoundManager->PlayEffect(6);
	alerted = (alerted || settingOut) && owner->state == GUARD_PURSUE;
	if (owner->chasing)
	{
		alpha = 1.0f;
		icon->imageIndex = 0;
	}
	else if (settingOut)
	{
		alpha = 1.0f;
		icon->imageIndex = 1;
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
