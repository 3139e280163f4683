#include "Server.h"

#include "KESystem.h"
#include "Player.h"
#include "SoundManager.h"

Server::Server(Player* owner)
	: hackProgress(0.0f), player(owner), hackedTexture(nullptr), scale(55.0f), angle(1.57f)
{
	kind = KIND_SERVER;
	position = {-100.0f, -100.0f};   // off the map until the level places it
}

void Server::Load()
{
	mesh = CreateUnitQuad(0xFF6A95F1);
	if (!mesh)
		KEAssertReport("mesh", __LINE__, "Server::Load", "Source/Server", "fail to create light object!!");
	texture = KEGfxTextureLoad("ArtAssets/serverNormal.png");
	hackedTexture = KEGfxTextureLoad("ArtAssets/serverHacked.png");
}

void Server::Update()
{
	bool touching = HackingRule(hackProgress, player);
	// Only the increase can reach 60 here (the rule starts by clearing a finished count),
	// so each server counts once.
	if (hackProgress >= 60.0f)
		player->serversHacked += 1;
	if (touching && gSoundManager)
		gSoundManager->HackSound(hacked);

	BuildTransform(&transform, position, angle, scale, scale);
	boundingBox = BoxAround(position, scale / 2.0f);
}

void Server::Draw()
{
	DrawPicture(mesh, transform, hacked ? hackedTexture : texture);
}

void Server::Unload()
{
	KEGfxMeshFree(mesh);
	mesh = nullptr;
	KEGfxTextureUnload(texture);
	KEGfxTextureUnload(hackedTexture);
	texture = hackedTexture = nullptr;
}
