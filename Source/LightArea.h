#pragma once
// The square of floor a lamp lights: dark (a translucent black square) while its lamp is
// off, highlighted while the mouse points at the lamp. A guard tied to it who stands in
// it walks to the dark lamp and relights it.
#include "GameObject.h"

class Light;

class LightArea : public GameObject
{
public:
	explicit LightArea(Light* light);

	void Load() override;
	void Init() override;
	void Update() override {}
	void Draw() override;
	void Free() override {}
	void Unload() override;

	int           index;
	Light*        light;
	KEGfxTexture* highlightTexture;
	float         scale;
	float         angle;
};
