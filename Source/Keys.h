#pragma once
// The virtual-key codes the game reads (the mouse buttons are keys 1 and 2).

enum GameKey : unsigned char
{
	KEY_MOUSE_LEFT = 0x01,
	KEY_MOUSE_RIGHT = 0x02,
	KEY_BACKSPACE = 0x08,
	KEY_ENTER = 0x0D,
	KEY_ESCAPE = 0x1B,
	KEY_SPACE = 0x20,
	KEY_PAGE_UP = 0x21,
	KEY_PAGE_DOWN = 0x22,
	KEY_UP = 0x26,
	KEY_A = 0x41,
	KEY_D = 0x44,
	KEY_E = 0x45,
	KEY_O = 0x4F,
	KEY_P = 0x50,
	KEY_S = 0x53,
	KEY_W = 0x57,
	KEY_F11 = 0x7A,
};
