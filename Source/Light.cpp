#include "Light.h"

#include "KEInput.h"
#include "KESystem.h"
#include "Keys.h"
#include "MenuBox.h"
#include "Player.h"
#include "SoundManager.h"

Light::Light(Player* owner)
	: mouseOver(false), hackProgress(0.0f), player(owner), onTexture(nullptr), offTexture(nullptr), scale(40.0f),
	  angle(0.0f)
{
	kind = KIND_LIGHT;
	switchedOn = true;
}

void Light::Load()
{
	mesh = CreateUnitQuad(0x006A95F1);
	if (!mesh)
		KEAssertReport("mesh", __LINE__, "Light::Load", "Source/Light", "fail to create light object!!");
	texture = KEGfxTextureLoad("ArtAssets/a_nLight.png");
	onTexture = KEGfxTextureLoad("ArtAssets/a_glight.png");
	offTexture = KEGfxTextureLoad("ArtAssets/a_rlight.png");
}

void Light::Init()
{
	hackProgress = 0.0f;
	hacked = false;
	switchedOn = true;
	BuildTransform(&transform, position, angle, scale, scale);
	boundingBox = BoxAround(position, scale / 2.0f);
}

void Light::Update()
{
	mouseOver = CursorInBox(boundingBox.min.x, boundingBox.min.y, boundingBox.max.x, boundingBox.max.y);
	if (HackingRule(hackProgress, player))
	{
		if (gSoundManager)
			gSoundManager->HackSound(hacked);
		if (hacked && KEInputCheckTriggered(KEY_E))
		{
			if (gSoundManager)
				gSoundManager->PlayEffect(16);
			switchedOn = !switchedOn;
		}
	}
}

void Light::Draw()
{
	DrawPicture(mesh, transform, !hacked ? texture : switchedOn ? onTexture : offTexture);
}

void Light::Unload()
{
	KEGfxMeshFree(mesh);
	mesh = nullptr;
	KEGfxTextureUnload(texture);
	KEGfxTextureUnload(onTexture);
	KEGfxTextureUnload(offTexture);
	texture = onTexture = offTexture = nullptr;
}
