#include "Radio.h"

#include <cstdio>
#include "KEInput.h"
#include "KESystem.h"
#include "Keys.h"
#include "Player.h"
#include "SoundManager.h"

Radio::Radio(Player* owner)
	: hackProgress(0.0f), animFrame(0.0f), player(owner), musicTextures{}, offTexture(nullptr), angle(1.57f),
	  scale(55.0f)
{
	kind = KIND_RADIO;
}

void Radio::Load()
{
	mesh = CreateUnitQuad(0xFF6A95F1);
	if (!mesh)
		KEAssertReport("mesh", __LINE__, "Radio::Load", "Source/Radio", "fail to create light object!!");
	texture = KEGfxTextureLoad("ArtAssets/radioNorm.png");
	char path[40];
	for (int i = 0; i < 3; ++i)
	{
		std::snprintf(path, sizeof path, "ArtAssets/radioOn%d.png", i);
		musicTextures[i] = KEGfxTextureLoad(path);
	}
	offTexture = KEGfxTextureLoad("ArtAssets/radioOff.png");
}

void Radio::Init()
{
	animFrame = 0.0f;
	BuildTransform(&transform, position, angle, scale, scale);
}

void Radio::Update()
{
	bool touching = HackingRule(hackProgress, player);
	// Every unhacked radio runs the hacking sound with Space, wherever the player is.
	if (gSoundManager)
		gSoundManager->HackSound(hacked);
	if (touching && hacked && KEInputCheckTriggered(KEY_E))
	{
		if (switchedOn)
			switchedOn = false;
		else
		{
			if (gSoundManager)
				gSoundManager->PlayEffect(22);
			switchedOn = true;
		}
	}
	boundingBox = BoxAround(position, scale / 2.0f);
}

void Radio::Draw()
{
	KEGfxTexture* picture = texture;
	if (hacked && !switchedOn)
		picture = offTexture;
	else if (hacked)
	{
		animFrame += 1.0f;
		if (animFrame >= 60.0f)
			animFrame = 0.0f;
		picture = musicTextures[(int)(animFrame / 20.0f)];   // 20 frames per picture
	}
	DrawPicture(mesh, transform, picture);
}

void Radio::Unload()
{
	KEGfxMeshFree(mesh);
	mesh = nullptr;
	KEGfxTextureUnload(texture);
	for (KEGfxTexture*& t : musicTextures)
		KEGfxTextureUnload(t), t = nullptr;
	KEGfxTextureUnload(offTexture);
	texture = offTexture = nullptr;
}
