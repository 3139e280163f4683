#pragma once
// A guard's view: a half-disc of 150 units in front of it, drawn as a translucent fan.
// It decides whether the guard sees the player, and switches the guard into the chase
// and back; walls between them hide the player.
#include "GameObject.h"

class BasicGuard;
class Player;

class Sight : public GameObject
{
public:
	Sight(BasicGuard* guard, Player* player);

	void Load() override;
	void Init() override;
	void Update() override;
	void Draw() override;
	void Free() override;     // the fan goes here
	void Unload() override {}

	bool        seesPlayer;
	float       range;
	float       cellSize;
	BasicGuard* guard;
	Player*     player;

private:
	bool WallBetween(const KEVec2& d) const;
};
