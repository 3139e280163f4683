#pragma once
// The hacker the user steers: eight-direction movement, wall push-out, walk animation,
// hacking overlay and completion burst. Its flags and counters are the board through
// which bushes, hackables, guards and the level talk to it.
#include "GameObject.h"

class HUD;

struct PlayerParticle
{
	bool    active;
	KEVec2  position;
	KEVec2  direction;
	float   angle;
	float   life;        // seconds
	KEMtx33 transform;   // kept at identity
};

const int PLAYER_PARTICLES = 36;

class Player : public GameObject
{
public:
	Player();

	void Load() override;
	void Init() override;
	void Update() override;
	void Draw() override;
	void Free() override {}
	void Unload() override;

	int              serversHacked;
	int              collisionFlags;
	KEGfxTexture*    walkTextures[5];
	KEGfxTexture*    hackTextures[4];
	KEGfxTexture*    particleTexture;
	KEGfxVertexList* overlayMesh;
	KEGfxVertexList* particleMesh;
	PlayerParticle   particles[PLAYER_PARTICLES];
	bool             particlesActive;
	KEVec2           spawnPosition;
	int              lives;
	int              walkFrame;
	int              hackCounter;   // consecutive frames of Space held on a hackable or bush
	bool             hidden;        // in a bush: not seen, not caught, not moving
	bool             caught;        // frozen by the level until its curtain has gone up
	HUD*             hud;           // owned
	int              mapWidth, mapHeight;
	int**            mapCells;
	float            facing;
	float            scale;
	float            cellSize;
	float            speed;

private:
	void BuildWorld();
};

// Set while a burst runs, by whichever player started it.
extern bool gPlayerBurstStarted;
