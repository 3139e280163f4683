#pragma once
// A lamp: once hacked, E switches it off and on. The guard that tends its lit area walks
// over and relights it. Pointing the mouse at the lamp highlights its area.
#include "Hackable.h"

class Light : public Hackable
{
public:
	explicit Light(Player* player);

	void Load() override;
	void Init() override;
	void Update() override;
	void Draw() override;
	void Free() override {}
	void Unload() override;

	bool          mouseOver;
	float         hackProgress;
	Player*       player;
	KEGfxTexture* onTexture;    // hacked and lit
	KEGfxTexture* offTexture;   // hacked and dark
	float         scale;
	float         angle;
};
