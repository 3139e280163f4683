#pragma once
// The icon above a guard: "?" while it sets out for its radio or lamp, "!" while it chases
// the player; it fades out when the guard calms down.
#include "MenuBox.h"

class BasicGuard;

class VisualPopUp : public Menu_box
{
public:
	explicit VisualPopUp(BasicGuard* owner);
	~VisualPopUp() override;
	VisualPopUp(const VisualPopUp&) = delete;   // owns its icon
	VisualPopUp& operator=(const VisualPopUp&) = delete;

	void Load() override;
	void Init() override;
	void Update() override;
	void Draw() override;
	void Unload() override;

	Menu_box*   icon;      // picture 0 "!" (chase), 1 "?" (errand)
	BasicGuard* owner;
	bool        alerted;   // the errand's grunt was played; cleared when the guard calms down
};
