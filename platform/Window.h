#pragma once
// The window stand-in (SDL2): one window with its OpenGL context, the event pump,
// the 256-entry virtual-key table, the cursor, the show-cursor counter and the
// high-resolution counter. The engine's system and input modules sit on top of it.
#include <cstdint>

// Window messages the pump reports, numbered as the Windows ones the engine expects.
enum
{
	PLATFORM_MSG_CREATE = 0x0001,
	PLATFORM_MSG_DESTROY = 0x0002,
	PLATFORM_MSG_MOVE = 0x0003,        // lParam: x | y << 16 of the client origin
	PLATFORM_MSG_SIZE = 0x0005,        // lParam: width | height << 16
	PLATFORM_MSG_ACTIVATE = 0x0006,    // wParam: 1 active, 0 inactive
	PLATFORM_MSG_PAINT = 0x000F,
	PLATFORM_MSG_CLOSE = 0x0010,
	PLATFORM_MSG_KEYDOWN = 0x0100,     // wParam: virtual-key code
	PLATFORM_MSG_KEYUP = 0x0101,
	PLATFORM_MSG_MOUSEMOVE = 0x0200,   // lParam: x | y << 16 in client pixels
	PLATFORM_MSG_LBUTTONDOWN = 0x0201,
	PLATFORM_MSG_LBUTTONUP = 0x0202,
	PLATFORM_MSG_RBUTTONDOWN = 0x0204,
	PLATFORM_MSG_RBUTTONUP = 0x0205,
	PLATFORM_MSG_MBUTTONDOWN = 0x0207,
	PLATFORM_MSG_MBUTTONUP = 0x0208,
};

// Receives every message the pump produces, on the main thread.
typedef void (*PlatformMessageHandler)(unsigned int message, unsigned long wParam, long lParam);

// Creates the window with exactly clientWidth x clientHeight pixels of client area,
// centred on the primary display, not resizable, shown. Returns false if SDL or the
// window cannot be started (a line on standard output says why).
bool  PlatformWindowCreate(const char* title, int clientWidth, int clientHeight);
// Releases the window (after the GL context) and SDL's video system.
void  PlatformWindowDestroy();
void* PlatformWindowHandle();   // the SDL_Window, opaque to the engine; null without a window
void  PlatformWindowShow(bool shown);
void  PlatformWindowSetTitle(const char* title);
const char* PlatformWindowGetTitle();   // "" without a window
void  PlatformWindowGetSize(int* pWidth, int* pHeight);      // client area in pixels
void  PlatformScreenGetSize(int* pWidth, int* pHeight);      // primary display (desktop) size
// on: borderless full screen over the desktop, with or without a window manager;
// off: windowed, bordered, at the given client size, centred.
void  PlatformWindowSetFullScreen(bool on, int clientWidth, int clientHeight);

// OpenGL context on the window: compatibility profile offering GL 2.0 with display lists;
// double-buffered RGBA, depth 24, stencil 8; swap interval 0; made current. 1 ok / 0 fail.
int   PlatformGLCreateContext();
void  PlatformGLDestroyContext();
void  PlatformGLSwap();
// Test seam: while on, PlatformGLCreateContext fails as on a machine without OpenGL.
void  PlatformGLRefuseContexts(bool refuse);

// Drains the event queue without blocking: keeps the key table and cursor, and reports
// each window message to the handler (may be null). The window manager's close request
// reports CLOSE, then the window goes away (hidden; released at PlatformWindowDestroy)
// and DESTROY is reported.
void  PlatformPumpEvents(PlatformMessageHandler handler);
// Asks the window to close as the window manager does (pushes SDL's close events);
// the next pump handles it.
void  PlatformWindowRequestClose();

// Tests: queue the SDL events a real key (by SDL scancode, i.e. USB usage: A = 4) or mouse
// button (1 left, 2 middle, 3 right) would produce; the next pump handles them.
void  PlatformPushKeyEvent(int scancode, bool down);
void  PlatformPushMouseButtonEvent(int button, bool down, int x, int y);

// Key table in virtual-key numbering; bit 7 set = down. Mouse left 0x01, right 0x02, middle 0x04.
// A key pressed and released since the last call reads as down this once.
void  PlatformInputGetKeyTable(unsigned char table[256]);
void  PlatformInputGetCursor(int* pX, int* pY);   // client pixels, origin top-left
// Test seam: write the same table and cursor the pump fills (the key exactly as given).
void  PlatformInputSetKey(unsigned char vk, bool down);
void  PlatformInputSetCursor(int x, int y);
// Replays: while set, the pump ignores the real keyboard, mouse and pad (the pointer entering
// the window would move the cursor), and the table and cursor change only through the above.
void  PlatformInputScripted(bool scripted);
// Clears the key table (every key up); the cursor stays.
void  PlatformInputClearKeys();
// Virtual-key code for an SDL scancode (0 when the key has none).
unsigned char PlatformVirtualKeyFromScancode(int scancode);

// Show-cursor counter: non-zero increments, zero decrements; the cursor is visible while the
// counter is >= 0. Returns the new counter.
int   PlatformShowCursor(int show);

// High-resolution counter.
uint64_t PlatformCounterRead();
uint64_t PlatformCounterFrequency();
// Gives the processor away for about that long (at least; the system may wake it later).
void     PlatformSleepMicroseconds(unsigned int microseconds);
