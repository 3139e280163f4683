#pragma once
// The black curtain of a level: slides down over the view, holds half a second, slides
// back up. Levels watch covered (do the reset or the state change) and finished.
#include <vector>
#include "MenuBox.h"

class Transitation : public Menu_box
{
public:
	Transitation();
	~Transitation() override;
	Transitation(const Transitation&) = delete;   // owns its boxes
	Transitation& operator=(const Transitation&) = delete;

	void Load() override;     // the curtain picture
	void Init() override;     // starts a transition around the camera
	void Update() override;
	void Draw() override;
	void Unload() override;

	bool                   covered;   // from the end of the slide down to the end of the slide up
	bool                   idle;      // no transition running
	bool                   finished;  // the last transition completed
	std::vector<Menu_box*> curtain;
	float                  holdTimer;
	float                  slideTimer; // kept between transitions: later ones slide down for less time
};
