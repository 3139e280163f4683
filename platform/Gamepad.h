#pragma once
// The game controller (SDL2's game-controller API and its mapping database): one controller
// at a time, plugged in or out at any moment, its buttons and left stick standing for the
// keys the game already reads. The window's event pump feeds it; the key table asks it which
// keys it holds, so the engine and the game see only keys.
//
//   left stick (past a dead zone), D-pad   W A S D
//   A                                      Space and Enter (hack or hide; accept in menus)
//   X                                      E
//   B, Start                               Esc
//   Back / Select                          Backspace
//   left / right shoulder                  Page Down / Page Up (volume)
union SDL_Event;

// Starts SDL's controller system; a controller already plugged in is reported by the next
// pump. False with one line when there is none: the game plays on with the keyboard.
bool PlatformGamepadStart();
// Lets the controller go and stops the controller system; every pad key is up afterwards.
void PlatformGamepadStop();
// Takes controller events from the pump (others are ignored). True when the keys the pad
// holds changed.
bool PlatformGamepadHandleEvent(const SDL_Event& event);
// True while an input bound to this virtual-key code is held on the controller in use.
bool PlatformGamepadHoldsKey(unsigned char vk);
// The virtual-key codes the pad can hold.
const unsigned char* PlatformGamepadKeys(int* pCount);
// Name of the controller in use, "" when none.
const char* PlatformGamepadName();

// Tests: virtual devices inside SDL's own joystick layer, so that their input takes the real
// way through SDL's mappings, controller events and the pump. standardLayout: buttons and
// axes in SDL's own controller order (SDL maps it by itself); otherwise a plain joystick of
// 13 buttons, 6 axes and one hat that only a mapping in SDL's database makes a controller.
// Returns a handle, or -1 with a line.
int  PlatformTestPadAttach(const char* name, int vendor, int product, bool standardLayout);
void PlatformTestPadButton(int pad, int button, bool down);   // raw button index
void PlatformTestPadAxis(int pad, int axis, int value);       // raw axis, -32768 to 32767
void PlatformTestPadHat(int pad, int value);                  // hat 0: 1 up, 2 right, 4 down, 8 left
void PlatformTestPadDetach(int pad);                          // unplugged
// Only the removal event, without the releases SDL sends first when a device goes away, as
// when they were lost on a full event queue. The device stays attached.
void PlatformTestPadPushRemoval(int pad);
