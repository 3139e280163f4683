#pragma once
// The goal of a level: hacked once, it counts for the player and stays hacked.
#include "Hackable.h"

class Server : public Hackable
{
public:
	explicit Server(Player* player);

	void Load() override;
	void Init() override {}
	void Update() override;
	void Draw() override;
	void Free() override {}
	void Unload() override;

	float         hackProgress;
	Player*       player;
	KEGfxTexture* hackedTexture;
	float         scale;
	float         angle;
};
