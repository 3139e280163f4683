#include "Player.h"

#include <cmath>
#include <cstdio>
#include "BinaryMap.h"
#include "HUD.h"
#include "KEFrameRateController.h"
#include "KEInput.h"
#include "KESystem.h"
#include "Keys.h"

bool gPlayerBurstStarted = false;

namespace
{
// The direction angles as the single-precision values the keys give.
const float kUp = 1.5707963f, kDown = 4.712389f, kLeft = 3.1415925f, kRight = 0.0f;
const float kUpRight = 0.78539813f, kUpLeft = 2.3561945f, kDownRight = 5.497787f, kDownLeft = 3.9269905f;
const double kPi = 3.14159265358979323846;

KEVec2 Heading(float angle)
{
	return {(float)std::cos((double)angle), (float)std::sin((double)angle)};
}

} // namespace

Player::Player()
	: serversHacked(0), collisionFlags(0), walkTextures{}, hackTextures{}, particleTexture(nullptr),
	  overlayMesh(nullptr), particleMesh(nullptr), particles{}, particlesActive(false), spawnPosition{0.0f, 0.0f},
	  lives(0), walkFrame(0), hackCounter(0), hidden(false), caught(false), hud(nullptr), mapWidth(0),
	  mapHeight(0), mapCells(nullptr), facing(0.0f), scale(40.0f), cellSize(0.0f), speed(200.0f)
{
	kind = KIND_PLAYER;
}

void Player::Load()
{
	mesh = CreateUnitQuad(0xFF6A95F1);
	if (!mesh)
		KEAssertReport("mesh", __LINE__, "Player::Load", "Source/Player", "fail to create object!!");
	overlayMesh = CreateUnitQuad(0x006A95F1);
	if (!overlayMesh)
		KEAssertReport("mesh2", __LINE__, "Player::Load", "Source/Player", "fail to create object!!");
	particleMesh = CreateQuad(5.5f, 0xFF00FF99, 0xFF00FF99);
	if (!particleMesh)
		KEAssertReport("mesh3", __LINE__, "Player::Load", "Source/Player", "fail to create object!!");

	char path[64];
	for (int i = 0; i < 5; ++i)
	{
		std::snprintf(path, sizeof path, "ArtAssets/a_walk1_%d.png", i);
		walkTextures[i] = KEGfxTextureLoad(path);
	}
	for (int i = 0; i < 4; ++i)
	{
		std::snprintf(path, sizeof path, "ArtAssets/hackload%d.png", i);
		hackTextures[i] = KEGfxTextureLoad(path);
	}
	particleTexture = KEGfxTextureLoad("ArtAssets/particles.png");

	hud = new HUD(&serversHacked);
	hud->Load();
	KEGfxSetCamPosition(150.0f, 200.0f);
}

void Player::BuildWorld()
{
	BuildTransform(&transform, position, facing, scale, scale);
}

void Player::Init()
{
	// A level left in the middle of a burst must not hold back this level's first one.
	gPlayerBurstStarted = false;
	walkFrame = 0;
	hackCounter = 0;
	lives = 3;
	particlesActive = false;
	mapWidth = gMapWidth;
	mapHeight = gMapHeight;
	mapCells = gMapCells;
	cellSize = gMapTileSize;
	BuildWorld();
	for (PlayerParticle& p : particles)
	{
		p = PlayerParticle{};
		KEMtx33Identity(&p.transform);
	}
	hud->livesRef = &lives;
	hud->Init();
}

void Player::Update()
{
	float dt = (float)KEFrameRateControllerGetFrameTime();
	const KEVec2 oldPosition = position, oldVelocity = velocity;
	KEVec2 d = Heading(facing);

	// Holding Space roots the player, whether or not anything is being hacked.
	if (!caught && !hidden && !KEInputCheckCurr(KEY_SPACE))
	{
		const bool w = KEInputCheckCurr(KEY_W), s = KEInputCheckCurr(KEY_S);
		const bool a = KEInputCheckCurr(KEY_A), dk = KEInputCheckCurr(KEY_D);
		// Later rules win. The Up arrow only turns (no arrow moves), and is ignored while a
		// wall touches the right side, as W alone is.
		if ((w || KEInputCheckCurr(KEY_UP)) && !(collisionFlags & MAP_HIT_RIGHT))
			d = Heading(kUp);
		if (s)
			d = Heading(kDown);
		if (a)
			d = Heading(kLeft);
		if (dk)
			d = Heading(kRight);
		if (w && dk)
			d = Heading(kUpRight);
		if (w && a)
			d = Heading(kUpLeft);
		if (s && dk)
			d = Heading(kDownRight);
		if (s && a)
			d = Heading(kDownLeft);

		facing = std::atan2(d.y, d.x);
		KEVec2Scale(&d, &d, speed * dt);
		if (!w && !s && !a && !dk)
		{
			facing = std::atan2(d.y, d.x);
			velocity = {0.0f, 0.0f};
			d = {0.0f, 0.0f};
		}
		KEVec2 step;
		KEVec2Add(&step, &oldVelocity, &d);
		KEVec2Scale(&step, &step, 0.99f);
		KEVec2Add(&position, &oldPosition, &step);
	}

	boundingBox = BoxAround(position, scale / 2.0f);

	if (cellSize > 0.0f)
		collisionFlags = CheckMapCollision(position.x / cellSize, position.y / cellSize, 1.0f, 1.0f);
	PushOutOfWalls(&position, collisionFlags, 2.85);
	BuildWorld();

	// A burst marks a finished hack; Space held in a bush only keeps the count rising.
	if (hackCounter > 59 && !hidden)
	{
		particlesActive = true;
		if (!gPlayerBurstStarted)
		{
			for (PlayerParticle& p : particles)
			{
				p.life = 0.5f;
				KEMtx33Identity(&p.transform);
				p.position = position;
			}
			gPlayerBurstStarted = true;
		}
	}
	if (particlesActive)
	{
		// Only the first 30 slots fly; each spins a little faster than the one before, and
		// the angles carry over from the last burst.
		for (int i = 0; i < 30; ++i)
		{
			PlayerParticle& p = particles[i];
			p.active = true;
			int k = i == 29 ? 29 : i + 1;
			p.angle += (float)(k * kPi / 60.0);
			p.direction = Heading(p.angle);
			KEVec2ScaleAdd(&p.position, &p.direction, &p.position, 10.0f);
			p.life -= (float)KEFrameRateControllerGetFrameTime();
		}
		if (particles[0].life < 0.0f)
		{
			for (int i = 0; i < 30; ++i)
				particles[i].active = false;
			particlesActive = false;
			gPlayerBurstStarted = false;
		}
	}

	hud->Update();
}

void Player::Draw()
{
	hud->Draw();

	if (hidden)
	{
		// The bush's own picture shows the hacker inside; nothing of the player is drawn.
	}
	else
	{
		KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
		KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
		KEGfxSetTransform(&transform);
		KEGfxTexture* picture = walkTextures[2];   // standing
		if (KEInputCheckCurr(KEY_W) || KEInputCheckCurr(KEY_S) || KEInputCheckCurr(KEY_A) ||
		    KEInputCheckCurr(KEY_D))
		{
			if (++walkFrame >= 75)
				walkFrame = 0;
			picture = walkTextures[walkFrame / 15];   // 15 frames per picture
		}
		KEGfxTextureSet(picture, 0.0f, 0.0f);
		KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
		KEGfxSetTransparency(1.0f);
		KEGfxMeshDraw(mesh, KE_MESH_DRAW_TRIANGLES);

		if (hackCounter >= 2)
		{
			KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
			KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
			KEGfxSetTransform(&transform);
			if (hackCounter >= 60)
				hackCounter = 0;   // the picture still bound stays
			else
				KEGfxTextureSet(hackTextures[hackCounter < 10 ? 0 : hackCounter < 30 ? 1 : hackCounter < 55 ? 2 : 3],
				                0.0f, 0.0f);
			KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
			KEGfxSetTransparency(1.0f);
			KEGfxMeshDraw(overlayMesh, KE_MESH_DRAW_TRIANGLES);
		}
	}

	if (particlesActive)
		for (const PlayerParticle& p : particles)
		{
			KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
			KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
			KEGfxSetPosition(p.position.x, p.position.y);
			KEGfxTextureSet(particleTexture, 0.0f, 0.0f);
			KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
			KEGfxSetTransparency(1.0f);
			KEGfxMeshDraw(particleMesh, KE_MESH_DRAW_TRIANGLES);
		}
}

void Player::Unload()
{
	if (hud)
	{
		hud->Unload();
		delete hud;
		hud = nullptr;
	}
	for (KEGfxTexture*& t : walkTextures)
		KEGfxTextureUnload(t), t = nullptr;
	for (KEGfxTexture*& t : hackTextures)
		KEGfxTextureUnload(t), t = nullptr;
	KEGfxTextureUnload(particleTexture);
	particleTexture = nullptr;
	KEGfxMeshFree(mesh);
	KEGfxMeshFree(overlayMesh);
	KEGfxMeshFree(particleMesh);
	mesh = overlayMesh = particleMesh = nullptr;
}
