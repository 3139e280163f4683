#pragma once
// The player's hiding place: 60 frames of Space on it and the player is hidden; E leaves.
#include "GameObject.h"

class Player;

class Bush : public GameObject
{
public:
	explicit Bush(Player* player);

	void Load() override;
	void Init() override;   // also loads the two pictures
	void Update() override;
	void Draw() override;
	void Free() override {}
	void Unload() override;

	int           index;
	int           hideCounter;   // not reset when it passes 60
	bool          hiding;
	KEGfxTexture* hideTexture;
	Player*       player;
	float         scale;
};

// The bush sound has played for the current stay in a bush (whichever bush it is).
extern bool gBushSoundPlayed;
