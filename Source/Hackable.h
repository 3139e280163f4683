#pragma once
// What the player can hack by standing on it and holding Space for 60 frames: servers,
// radios and lamps.
#include "GameObject.h"

class Player;

class Hackable : public GameObject
{
public:
	bool hacked = false;
	bool switchedOn = false;   // a radio's music plays, a lamp is lit
	int  index = 0;            // the object's number in its level

protected:
	// The shared rule, run first in every update: a completed count marks the object
	// hacked; while the player touches it, Space held counts on, anything else starts over.
	// Returns whether the player touches the object.
	bool HackingRule(float& hackProgress, Player* player);
};
