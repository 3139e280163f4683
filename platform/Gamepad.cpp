#include "Gamepad.h"

#include <SDL.h>
#include <cstdio>
#include <vector>

namespace
{
bool                sStarted = false;
SDL_GameController* sPad = nullptr;
SDL_JoystickID      sPadId = -1;

// The left stick's four directions are inputs after SDL's buttons.
enum
{
	STICK_UP = SDL_CONTROLLER_BUTTON_MAX,
	STICK_DOWN,
	STICK_LEFT,
	STICK_RIGHT,
	INPUT_COUNT
};
bool sHeld[INPUT_COUNT];

// Virtual-key codes, as the keyboard fills them.
enum : unsigned char
{
	VK_BACKSPACE = 0x08, VK_ENTER = 0x0D, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
	VK_PAGE_UP = 0x21, VK_PAGE_DOWN = 0x22, VK_A = 0x41, VK_D = 0x44, VK_E = 0x45,
	VK_S = 0x53, VK_W = 0x57,
};

struct Binding
{
	int           input;
	unsigned char keys[2];   // 0: none
};
const Binding kBindings[] = {
	// A stands for both: Space is only read in levels and Enter only in menus.
	{SDL_CONTROLLER_BUTTON_A, {VK_SPACE, VK_ENTER}},
	{SDL_CONTROLLER_BUTTON_B, {VK_ESCAPE, 0}},
	{SDL_CONTROLLER_BUTTON_X, {VK_E, 0}},
	{SDL_CONTROLLER_BUTTON_BACK, {VK_BACKSPACE, 0}},
	{SDL_CONTROLLER_BUTTON_START, {VK_ESCAPE, 0}},
	{SDL_CONTROLLER_BUTTON_LEFTSHOULDER, {VK_PAGE_DOWN, 0}},
	{SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, {VK_PAGE_UP, 0}},
	{SDL_CONTROLLER_BUTTON_DPAD_UP, {VK_W, 0}},
	{SDL_CONTROLLER_BUTTON_DPAD_DOWN, {VK_S, 0}},
	{SDL_CONTROLLER_BUTTON_DPAD_LEFT, {VK_A, 0}},
	{SDL_CONTROLLER_BUTTON_DPAD_RIGHT, {VK_D, 0}},
	{STICK_UP, {VK_W, 0}},
	{STICK_DOWN, {VK_S, 0}},
	{STICK_LEFT, {VK_A, 0}},
	{STICK_RIGHT, {VK_D, 0}},
};
const unsigned char kPadKeys[] = {VK_W, VK_A, VK_S, VK_D, VK_SPACE, VK_ENTER, VK_E, VK_ESCAPE,
                                  VK_BACKSPACE, VK_PAGE_UP, VK_PAGE_DOWN};

// A direction goes down past the press point and comes up again inside the dead zone, so a
// stick resting near the edge of the dead zone does not flicker the key (each flicker would
// step a menu).
const int kStickPress = 16000;
const int kStickDeadZone = 8000;

bool Bound(int input)
{
	for (const Binding& binding : kBindings)
		if (binding.input == input)
			return true;
	return false;
}

bool SetHeld(int input, bool held)
{
	if (sHeld[input] == held)
		return false;
	sHeld[input] = held;
	return Bound(input);
}

// One axis of the stick: value toward the positive direction.
bool SetStick(int negative, int positive, int value)
{
	auto held = [](bool was, int toward) { return was ? toward > kStickDeadZone : toward > kStickPress; };
	bool changed = SetHeld(positive, held(sHeld[positive], value));
	changed |= SetHeld(negative, held(sHeld[negative], -value));
	return changed;
}

bool ReleaseAll()
{
	bool changed = false;
	for (int input = 0; input < INPUT_COUNT; ++input)
		changed |= SetHeld(input, false);
	return changed;
}

const char* NameOr(const char* name)
{
	return name && *name ? name : "an unnamed controller";
}

void Open(int deviceIndex)
{
	SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
	if (!pad)
	{
		printf("Gamepad: cannot open %s (%s)\n", NameOr(SDL_GameControllerNameForIndex(deviceIndex)), SDL_GetError());
		return;
	}
	sPad = pad;
	sPadId = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
	printf("Gamepad: using %s\n", NameOr(SDL_GameControllerName(pad)));
}

// After the controller in use went away, another one still plugged in takes over.
void OpenAnother(SDL_JoystickID gone)
{
	for (int i = 0; i < SDL_NumJoysticks() && !sPad; ++i)
		if (SDL_IsGameController(i) && SDL_JoystickGetDeviceInstanceID(i) != gone)
			Open(i);
}

bool Close()
{
	if (sPad)
		SDL_GameControllerClose(sPad);
	sPad = nullptr;
	sPadId = -1;
	return ReleaseAll();
}

// Devices attached by tests: kept open so their state can be set.
struct TestPad
{
	SDL_Joystick*  joystick;
	SDL_JoystickID id;
};
std::vector<TestPad> sTestPads;

SDL_Joystick* TestJoystick(int pad)
{
	return pad >= 0 && pad < (int)sTestPads.size() ? sTestPads[pad].joystick : nullptr;
}
} // namespace

bool PlatformGamepadStart()
{
	if (sStarted)
		return true;
	if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
	{
		printf("Gamepad: no controller support (%s); keyboard only\n", SDL_GetError());
		return false;
	}
	sStarted = true;
	return true;
}

void PlatformGamepadStop()
{
	Close();
	for (int pad = 0; pad < (int)sTestPads.size(); ++pad)
		PlatformTestPadDetach(pad);
	sTestPads.clear();
	if (sStarted)
		SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
	sStarted = false;
}

bool PlatformGamepadHandleEvent(const SDL_Event& event)
{
	if (!sStarted)
		return false;
	switch (event.type)
	{
	case SDL_JOYDEVICEADDED:
		// Controllers SDL knows also come as SDL_CONTROLLERDEVICEADDED; only the rest is told here.
		if (!SDL_IsGameController(event.jdevice.which))
			printf("Gamepad: %s is not a controller SDL knows; ignored\n",
			       NameOr(SDL_JoystickNameForIndex(event.jdevice.which)));
		return false;
	case SDL_CONTROLLERDEVICEADDED:
		if (!sPad)
			Open(event.cdevice.which);
		else if (SDL_JoystickGetDeviceInstanceID(event.cdevice.which) != sPadId)
			printf("Gamepad: %s plugged in; still using %s\n",
			       NameOr(SDL_GameControllerNameForIndex(event.cdevice.which)), NameOr(SDL_GameControllerName(sPad)));
		return false;
	case SDL_CONTROLLERDEVICEREMOVED:
	{
		if (event.cdevice.which != sPadId)
			return false;
		printf("Gamepad: %s unplugged\n", NameOr(SDL_GameControllerName(sPad)));
		bool changed = Close();
		OpenAnother(event.cdevice.which);
		return changed;
	}
	case SDL_CONTROLLERBUTTONDOWN:
	case SDL_CONTROLLERBUTTONUP:
		if (event.cbutton.which != sPadId || event.cbutton.button >= SDL_CONTROLLER_BUTTON_MAX)
			return false;
		return SetHeld(event.cbutton.button, event.cbutton.state == SDL_PRESSED);
	case SDL_CONTROLLERAXISMOTION:
		if (event.caxis.which != sPadId)
			return false;
		if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX)
			return SetStick(STICK_LEFT, STICK_RIGHT, event.caxis.value);
		if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)   // y grows downwards
			return SetStick(STICK_UP, STICK_DOWN, event.caxis.value);
		return false;
	default:
		return false;
	}
}

bool PlatformGamepadHoldsKey(unsigned char vk)
{
	if (vk == 0)
		return false;
	for (const Binding& binding : kBindings)
		if (sHeld[binding.input] && (binding.keys[0] == vk || binding.keys[1] == vk))
			return true;
	return false;
}

const unsigned char* PlatformGamepadKeys(int* pCount)
{
	*pCount = (int)(sizeof(kPadKeys) / sizeof(kPadKeys[0]));
	return kPadKeys;
}

const char* PlatformGamepadName()
{
	return sPad ? NameOr(SDL_GameControllerName(sPad)) : "";
}

int PlatformTestPadAttach(const char* name, int vendor, int product, bool standardLayout)
{
	if (!sStarted)
		return -1;
	SDL_VirtualJoystickDesc desc;
	SDL_zero(desc);
	desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
	desc.type = standardLayout ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_UNKNOWN;
	desc.naxes = 6;
	desc.nbuttons = standardLayout ? SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1 : 13;
	desc.nhats = standardLayout ? 0 : 1;
	desc.vendor_id = (Uint16)vendor;
	desc.product_id = (Uint16)product;
	desc.name = name;
	int index = SDL_JoystickAttachVirtualEx(&desc);
	SDL_Joystick* joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
	if (!joystick)
	{
		printf("Gamepad: cannot attach a test device (%s)\n", SDL_GetError());
		return -1;
	}
	sTestPads.push_back({joystick, SDL_JoystickInstanceID(joystick)});
	return (int)sTestPads.size() - 1;
}

void PlatformTestPadButton(int pad, int button, bool down)
{
	if (SDL_Joystick* joystick = TestJoystick(pad))
		SDL_JoystickSetVirtualButton(joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
}

void PlatformTestPadAxis(int pad, int axis, int value)
{
	if (SDL_Joystick* joystick = TestJoystick(pad))
		SDL_JoystickSetVirtualAxis(joystick, axis, (Sint16)value);
}

void PlatformTestPadHat(int pad, int value)
{
	if (SDL_Joystick* joystick = TestJoystick(pad))
		SDL_JoystickSetVirtualHat(joystick, 0, (Uint8)value);
}

void PlatformTestPadDetach(int pad)
{
	SDL_Joystick* joystick = TestJoystick(pad);
	if (!joystick)
		return;
	for (int i = 0; i < SDL_NumJoysticks(); ++i)
		if (SDL_JoystickGetDeviceInstanceID(i) == sTestPads[pad].id)
			SDL_JoystickDetachVirtual(i);
	SDL_JoystickClose(joystick);
	sTestPads[pad].joystick = nullptr;
}

void PlatformTestPadPushRemoval(int pad)
{
	if (!TestJoystick(pad))
		return;
	SDL_Event event;
	SDL_zero(event);
	event.type = SDL_CONTROLLERDEVICEREMOVED;
	event.cdevice.which = sTestPads[pad].id;
	SDL_PushEvent(&event);
}
