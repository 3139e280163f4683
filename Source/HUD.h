#pragma once
// The heads-up bar across the top of a level's view: lives left and servers still to hack.
#include <vector>
#include "MenuBox.h"

class HUD : public Menu_box
{
public:
	// hacked: the player's count of hacked servers, read every frame.
	explicit HUD(int* hacked);
	~HUD() override;
	HUD(const HUD&) = delete;   // owns its boxes
	HUD& operator=(const HUD&) = delete;

	void Load() override;
	void Init() override;
	void Update() override;   // digits from the counters, placement at the top of the view
	void Draw() override;
	void Unload() override;   // unloads and deletes the children

	Menu_box*              livesDigit;    // pictures 1 to 4
	Menu_box*              serversDigit;  // pictures 1 to 6
	Menu_box*              bar;
	std::vector<Menu_box*> children;      // drawing order: bar, lives, servers
	int                    serverTotal;   // counted up by the level while it places servers
	int*                   livesRef;      // the player's lives; set before Init
	int*                   hackedRef;     // the player's hacked servers; given to the constructor
};
