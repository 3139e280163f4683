#pragma once
// A lure: once hacked, E switches its music on, and the one guard tied to it walks over
// and switches it off again.
#include "Hackable.h"

class Radio : public Hackable
{
public:
	explicit Radio(Player* player);

	void Load() override;
	void Init() override;
	void Update() override;
	void Draw() override;
	void Free() override {}
	void Unload() override;

	float         hackProgress;
	float         animFrame;
	Player*       player;
	KEGfxTexture* musicTextures[3];
	KEGfxTexture* offTexture;
	float         angle;
	float         scale;
};
