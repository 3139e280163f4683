#include "Bush.h"

#include "KEInput.h"
#include "KESystem.h"
#include "Keys.h"
#include "Player.h"
#include "SoundManager.h"

bool gBushSoundPlayed = false;

Bush::Bush(Player* owner) : index(0), hideCounter(0), hiding(false), hideTexture(nullptr), player(owner), scale(60.0f)
{
	position = {-10.0f, -50.0f};
}

void Bush::Load()
{
	mesh = CreateUnitQuad(0xFF6A95F1);
	if (!mesh)
		KEAssertReport("mesh", __LINE__, "Bush::Load", "Source/Bush", "fail to create object!!");
}

void Bush::Init()
{
	boundingBox = BoxAround(position, 30.0f);
	hideCounter = 0;
	KEGfxTextureUnload(texture);
	KEGfxTextureUnload(hideTexture);
	texture = KEGfxTextureLoad("ArtAssets/Bush.png");
	hideTexture = KEGfxTextureLoad("ArtAssets/hideBush.png");
	BuildTransform(&transform, position, rotation, scale, scale);
}

void Bush::Update()
{
	if (hideCounter >= 60)
	{
		hiding = true;
		player->hidden = true;
	}
	if (RectRectIntersect(player->boundingBox, player->velocity, boundingBox, velocity))
	{
		if (KEInputCheckCurr(KEY_SPACE) && !player->caught)
		{
			player->hackCounter += 1;
			hideCounter += 1;
		}
		else
		{
			player->hackCounter = 0;
			hideCounter = 0;
		}
	}
	// With Space still held the count is still past 60, so the next update hides again.
	if (KEInputCheckTriggered(KEY_E) && hiding)
	{
		hiding = false;
		player->hidden = false;
	}
	if (player->hidden && !gBushSoundPlayed)
	{
		if (gSoundManager)
			gSoundManager->PlayEffect(18);
		gBushSoundPlayed = true;
	}
	if (!player->hidden)
		gBushSoundPlayed = false;
}

void Bush::Draw()
{
	DrawPicture(mesh, transform, hiding ? hideTexture : texture);
}

void Bush::Unload()
{
	KEGfxMeshFree(mesh);
	mesh = nullptr;
	KEGfxTextureUnload(texture);
	KEGfxTextureUnload(hideTexture);
	texture = hideTexture = nullptr;
}
