#include "Window.h"

#include <SDL.h>
#include "Gamepad.h"
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace
{
SDL_Window*   sWindow = nullptr;
SDL_GLContext sContext = nullptr;
bool          sWindowOpen = false;      // false once the close request has been handled
bool          sRefuseContexts = false;  // test seam: act as if no GL context can be made
unsigned char sKeyTable[256];
unsigned char sTapped[256];   // went down since the game last read the table
bool          sScanDown[SDL_NUM_SCANCODES];
int           sCursorX = 0;
int           sCursorY = 0;
int           sCursorCounter = 0;
bool          sScripted = false;        // a replay holds the keys and cursor

// Windows virtual-key codes by SDL scancode (key positions, independent of the layout).
struct ScanVk { SDL_Scancode scan; unsigned char vk; };
const ScanVk kScanVk[] = {
	{SDL_SCANCODE_RETURN, 0x0D}, {SDL_SCANCODE_ESCAPE, 0x1B}, {SDL_SCANCODE_BACKSPACE, 0x08},
	{SDL_SCANCODE_TAB, 0x09}, {SDL_SCANCODE_SPACE, 0x20}, {SDL_SCANCODE_MINUS, 0xBD},
	{SDL_SCANCODE_EQUALS, 0xBB}, {SDL_SCANCODE_LEFTBRACKET, 0xDB}, {SDL_SCANCODE_RIGHTBRACKET, 0xDD},
	{SDL_SCANCODE_BACKSLASH, 0xDC}, {SDL_SCANCODE_NONUSHASH, 0xDC}, {SDL_SCANCODE_SEMICOLON, 0xBA},
	{SDL_SCANCODE_APOSTROPHE, 0xDE}, {SDL_SCANCODE_GRAVE, 0xC0}, {SDL_SCANCODE_COMMA, 0xBC},
	{SDL_SCANCODE_PERIOD, 0xBE}, {SDL_SCANCODE_SLASH, 0xBF}, {SDL_SCANCODE_CAPSLOCK, 0x14},
	{SDL_SCANCODE_PRINTSCREEN, 0x2C}, {SDL_SCANCODE_SCROLLLOCK, 0x91}, {SDL_SCANCODE_PAUSE, 0x13},
	{SDL_SCANCODE_INSERT, 0x2D}, {SDL_SCANCODE_HOME, 0x24}, {SDL_SCANCODE_PAGEUP, 0x21},
	{SDL_SCANCODE_DELETE, 0x2E}, {SDL_SCANCODE_END, 0x23}, {SDL_SCANCODE_PAGEDOWN, 0x22},
	{SDL_SCANCODE_RIGHT, 0x27}, {SDL_SCANCODE_LEFT, 0x25}, {SDL_SCANCODE_DOWN, 0x28},
	{SDL_SCANCODE_UP, 0x26}, {SDL_SCANCODE_NUMLOCKCLEAR, 0x90}, {SDL_SCANCODE_KP_DIVIDE, 0x6F},
	{SDL_SCANCODE_KP_MULTIPLY, 0x6A}, {SDL_SCANCODE_KP_MINUS, 0x6D}, {SDL_SCANCODE_KP_PLUS, 0x6B},
	{SDL_SCANCODE_KP_ENTER, 0x0D}, {SDL_SCANCODE_KP_0, 0x60}, {SDL_SCANCODE_KP_PERIOD, 0x6E},
	{SDL_SCANCODE_NONUSBACKSLASH, 0xE2}, {SDL_SCANCODE_APPLICATION, 0x5D},
	{SDL_SCANCODE_LCTRL, 0xA2}, {SDL_SCANCODE_LSHIFT, 0xA0}, {SDL_SCANCODE_LALT, 0xA4},
	{SDL_SCANCODE_LGUI, 0x5B}, {SDL_SCANCODE_RCTRL, 0xA3}, {SDL_SCANCODE_RSHIFT, 0xA1},
	{SDL_SCANCODE_RALT, 0xA5}, {SDL_SCANCODE_RGUI, 0x5C},
};

// Shift, Ctrl and Alt have a generic code besides the left and right ones.
unsigned char GenericModifier(unsigned char vk)
{
	switch (vk)
	{
	case 0xA0: case 0xA1: return 0x10;
	case 0xA2: case 0xA3: return 0x11;
	case 0xA4: case 0xA5: return 0x12;
	default: return 0;
	}
}

// A key pressed and released between two frames still reads as down for one frame, so a
// quick tap (or a pad button flicked) is never lost when the game runs slowly.
void SetKey(unsigned char vk, bool down)
{
	if (down && !sKeyTable[vk])
		sTapped[vk] = 0x80;
	sKeyTable[vk] = down ? 0x80 : 0x00;
}

// A code is down while any physical key that maps to it is down (two Enter keys, two Shifts),
// or a controller input bound to it is held.
void RefreshKey(unsigned char vk)
{
	bool down = PlatformGamepadHoldsKey(vk);
	for (int s = 0; s < SDL_NUM_SCANCODES && !down; ++s)
	{
		if (!sScanDown[s])
			continue;
		unsigned char v = PlatformVirtualKeyFromScancode(s);
		down = v == vk || GenericModifier(v) == vk;
	}
	SetKey(vk, down);
}

void HandleKey(const SDL_KeyboardEvent& key, PlatformMessageHandler handler)
{
	int scan = key.keysym.scancode;
	if (scan < 0 || scan >= SDL_NUM_SCANCODES)
		return;
	unsigned char vk = PlatformVirtualKeyFromScancode(scan);
	if (vk == 0)
		return;
	bool down = key.state == SDL_PRESSED;
	sScanDown[scan] = down;
	RefreshKey(vk);
	if (unsigned char generic = GenericModifier(vk))
		RefreshKey(generic);
	if (handler)
		handler(down ? PLATFORM_MSG_KEYDOWN : PLATFORM_MSG_KEYUP, vk, 0);
}

long PackPoint(int x, int y)
{
	return (long)((unsigned long)(x & 0xFFFF) | ((unsigned long)(y & 0xFFFF) << 16));
}

void HandleButton(const SDL_MouseButtonEvent& button, PlatformMessageHandler handler)
{
	unsigned char vk = 0;
	unsigned int message = 0;
	bool down = button.state == SDL_PRESSED;
	switch (button.button)
	{
	case SDL_BUTTON_LEFT: vk = 0x01; message = down ? PLATFORM_MSG_LBUTTONDOWN : PLATFORM_MSG_LBUTTONUP; break;
	case SDL_BUTTON_RIGHT: vk = 0x02; message = down ? PLATFORM_MSG_RBUTTONDOWN : PLATFORM_MSG_RBUTTONUP; break;
	case SDL_BUTTON_MIDDLE: vk = 0x04; message = down ? PLATFORM_MSG_MBUTTONDOWN : PLATFORM_MSG_MBUTTONUP; break;
	case SDL_BUTTON_X1: vk = 0x05; break;
	case SDL_BUTTON_X2: vk = 0x06; break;
	default: return;
	}
	SetKey(vk, down);
	sCursorX = button.x;
	sCursorY = button.y;
	if (handler && message)
		handler(message, 0, PackPoint(button.x, button.y));
}

// The pad changed what it holds: its keys are refreshed, and reported when they change.
void RefreshPadKeys(PlatformMessageHandler handler)
{
	int count = 0;
	const unsigned char* keys = PlatformGamepadKeys(&count);
	for (int i = 0; i < count; ++i)
	{
		bool was = sKeyTable[keys[i]] != 0;
		RefreshKey(keys[i]);
		bool down = sKeyTable[keys[i]] != 0;
		if (handler && was != down)
			handler(down ? PLATFORM_MSG_KEYDOWN : PLATFORM_MSG_KEYUP, keys[i], 0);
	}
}

void HandleClose(PlatformMessageHandler handler)
{
	if (!sWindowOpen)
		return;
	if (handler)
		handler(PLATFORM_MSG_CLOSE, 0, 0);
	// The window disappears now; the SDL window itself is released at shut-down, after the
	// GL context, so states can still free their GL objects on the way out.
	SDL_HideWindow(sWindow);
	sWindowOpen = false;
	if (handler)
		handler(PLATFORM_MSG_DESTROY, 0, 0);
}

void HandleWindowEvent(const SDL_WindowEvent& window, PlatformMessageHandler handler)
{
	switch (window.event)
	{
	case SDL_WINDOWEVENT_CLOSE:
		HandleClose(handler);
		break;
	case SDL_WINDOWEVENT_FOCUS_GAINED:
		if (handler) handler(PLATFORM_MSG_ACTIVATE, 1, 0);
		break;
	case SDL_WINDOWEVENT_FOCUS_LOST:
		if (handler) handler(PLATFORM_MSG_ACTIVATE, 0, 0);
		break;
	case SDL_WINDOWEVENT_MOVED:
		if (handler) handler(PLATFORM_MSG_MOVE, 0, PackPoint(window.data1, window.data2));
		break;
	case SDL_WINDOWEVENT_SIZE_CHANGED:
		if (handler) handler(PLATFORM_MSG_SIZE, 0, PackPoint(window.data1, window.data2));
		break;
	case SDL_WINDOWEVENT_EXPOSED:
		if (handler) handler(PLATFORM_MSG_PAINT, 0, 0);
		break;
	default:
		break;
	}
}
} // namespace

bool PlatformWindowCreate(const char* title, int clientWidth, int clientHeight)
{
	if (sWindow)
		return true;
	if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
	{
		printf("Window: cannot start the video system (%s)\n", SDL_GetError());
		return false;
	}
	// The pixel format is fixed by the window's visual, so ask for it before creating the window.
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
	SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
	SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
	SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
	SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
	SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
	SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
	SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);

	sWindow = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, clientWidth, clientHeight,
	                           SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
	if (!sWindow)
	{
		printf("Window: cannot create the window (%s)\n", SDL_GetError());
		SDL_QuitSubSystem(SDL_INIT_VIDEO);
		return false;
	}
	sWindowOpen = true;
	PlatformGamepadStart();   // without one the game plays on with the keyboard
	return true;
}

void PlatformWindowDestroy()
{
	PlatformGLDestroyContext();
	PlatformGamepadStop();
	if (sWindow)
	{
		SDL_DestroyWindow(sWindow);
		sWindow = nullptr;
		SDL_QuitSubSystem(SDL_INIT_VIDEO);
	}
	sWindowOpen = false;
}

void* PlatformWindowHandle()
{
	return sWindow;
}

void PlatformWindowShow(bool shown)
{
	if (!sWindow || !sWindowOpen)
		return;
	if (shown)
		SDL_ShowWindow(sWindow);
	else
		SDL_HideWindow(sWindow);
}

void PlatformWindowSetTitle(const char* title)
{
	if (sWindow && title)
		SDL_SetWindowTitle(sWindow, title);
}

const char* PlatformWindowGetTitle()
{
	return sWindow ? SDL_GetWindowTitle(sWindow) : "";
}

void PlatformWindowGetSize(int* pWidth, int* pHeight)
{
	int w = 0, h = 0;
	if (sWindow)
		SDL_GetWindowSize(sWindow, &w, &h);
	if (pWidth) *pWidth = w;
	if (pHeight) *pHeight = h;
}

void PlatformScreenGetSize(int* pWidth, int* pHeight)
{
	SDL_DisplayMode mode;
	int index = sWindow ? SDL_GetWindowDisplayIndex(sWindow) : 0;
	if (index < 0 || SDL_GetDesktopDisplayMode(index, &mode) != 0)
		mode.w = mode.h = 0;
	if (pWidth) *pWidth = mode.w;
	if (pHeight) *pHeight = mode.h;
}

void PlatformWindowSetFullScreen(bool on, int clientWidth, int clientHeight)
{
	if (!sWindow)
		return;
	if (on)
	{
		// Full-screen desktop mode is only a request to the window manager; without one the
		// window would keep its size. So first cover the desktop borderless ourselves.
		int screenWidth = 0, screenHeight = 0;
		PlatformScreenGetSize(&screenWidth, &screenHeight);
		if (screenWidth > 0 && screenHeight > 0 && !(SDL_GetWindowFlags(sWindow) & SDL_WINDOW_FULLSCREEN))
		{
			SDL_SetWindowBordered(sWindow, SDL_FALSE);
			SDL_SetWindowPosition(sWindow, 0, 0);
			SDL_SetWindowSize(sWindow, screenWidth, screenHeight);
		}
		SDL_SetWindowFullscreen(sWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
		return;
	}
	SDL_SetWindowFullscreen(sWindow, 0);
	SDL_SetWindowBordered(sWindow, SDL_TRUE);
	SDL_SetWindowSize(sWindow, clientWidth, clientHeight);
	SDL_SetWindowPosition(sWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void PlatformGLRefuseContexts(bool refuse)
{
	sRefuseContexts = refuse;
}

int PlatformGLCreateContext()
{
	if (!sWindow || sRefuseContexts)
		return 0;
	if (!sContext)
	{
		sContext = SDL_GL_CreateContext(sWindow);
		if (!sContext)
		{
			printf("Window: cannot create an OpenGL context (%s)\n", SDL_GetError());
			return 0;
		}
	}
	if (SDL_GL_MakeCurrent(sWindow, sContext) != 0)
		return 0;
	// The frame-rate controller alone paces frames.
	SDL_GL_SetSwapInterval(0);
	return 1;
}

void PlatformGLDestroyContext()
{
	if (!sContext)
		return;
	SDL_GL_MakeCurrent(sWindow, nullptr);
	SDL_GL_DeleteContext(sContext);
	sContext = nullptr;
}

void PlatformGLSwap()
{
	if (sWindow && sContext)
		SDL_GL_SwapWindow(sWindow);
}

void PlatformPumpEvents(PlatformMessageHandler handler)
{
	if (!SDL_WasInit(SDL_INIT_VIDEO))
		return;
	SDL_Event event;
	while (SDL_PollEvent(&event))
	{
		// Keyboard, mouse, pad and touch events lie between these two in SDL's numbering.
		if (sScripted && event.type >= SDL_KEYDOWN && event.type < SDL_CLIPBOARDUPDATE)
			continue;
		switch (event.type)
		{
		case SDL_QUIT:   // the last window's close, or Ctrl+C in the terminal
			HandleClose(handler);
			break;
		case SDL_WINDOWEVENT:
			HandleWindowEvent(event.window, handler);
			break;
		case SDL_KEYDOWN:
		case SDL_KEYUP:
			HandleKey(event.key, handler);
			break;
		case SDL_MOUSEMOTION:
			sCursorX = event.motion.x;
			sCursorY = event.motion.y;
			if (handler)
				handler(PLATFORM_MSG_MOUSEMOVE, 0, PackPoint(sCursorX, sCursorY));
			break;
		case SDL_MOUSEBUTTONDOWN:
		case SDL_MOUSEBUTTONUP:
			HandleButton(event.button, handler);
			break;
		default:
			if (PlatformGamepadHandleEvent(event))
				RefreshPadKeys(handler);
			break;
		}
	}
}

void PlatformWindowRequestClose()
{
	if (!sWindow)
		return;
	SDL_Event event;
	SDL_zero(event);
	event.type = SDL_WINDOWEVENT;
	event.window.event = SDL_WINDOWEVENT_CLOSE;
	event.window.windowID = SDL_GetWindowID(sWindow);
	SDL_PushEvent(&event);
	SDL_zero(event);
	event.type = SDL_QUIT;
	SDL_PushEvent(&event);
}

void PlatformPushKeyEvent(int scancode, bool down)
{
	SDL_Event event;
	SDL_zero(event);
	event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
	event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
	event.key.keysym.scancode = (SDL_Scancode)scancode;
	event.key.keysym.sym = SDL_GetKeyFromScancode((SDL_Scancode)scancode);
	event.key.windowID = sWindow ? SDL_GetWindowID(sWindow) : 0;
	SDL_PushEvent(&event);
}

void PlatformPushMouseButtonEvent(int button, bool down, int x, int y)
{
	SDL_Event event;
	SDL_zero(event);
	event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
	event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
	event.button.button = (Uint8)button;
	event.button.x = x;
	event.button.y = y;
	event.button.windowID = sWindow ? SDL_GetWindowID(sWindow) : 0;
	SDL_PushEvent(&event);
}

void PlatformInputGetKeyTable(unsigned char table[256])
{
	for (int i = 0; i < 256; ++i)
		table[i] = sKeyTable[i] | sTapped[i];
	memset(sTapped, 0, sizeof(sTapped));
}

void PlatformInputGetCursor(int* pX, int* pY)
{
	if (pX) *pX = sCursorX;
	if (pY) *pY = sCursorY;
}

void PlatformInputSetKey(unsigned char vk, bool down)
{
	sKeyTable[vk] = down ? 0x80 : 0x00;
	sTapped[vk] = 0;
}

void PlatformInputSetCursor(int x, int y)
{
	sCursorX = x;
	sCursorY = y;
}

void PlatformInputScripted(bool scripted)
{
	sScripted = scripted;
}

void PlatformInputClearKeys()
{
	memset(sKeyTable, 0, sizeof(sKeyTable));
	memset(sTapped, 0, sizeof(sTapped));
	memset(sScanDown, 0, sizeof(sScanDown));
}

unsigned char PlatformVirtualKeyFromScancode(int scancode)
{
	if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
		return (unsigned char)(0x41 + scancode - SDL_SCANCODE_A);
	if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
		return (unsigned char)(0x31 + scancode - SDL_SCANCODE_1);
	if (scancode == SDL_SCANCODE_0)
		return 0x30;
	if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
		return (unsigned char)(0x70 + scancode - SDL_SCANCODE_F1);
	if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
		return (unsigned char)(0x7C + scancode - SDL_SCANCODE_F13);
	if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
		return (unsigned char)(0x61 + scancode - SDL_SCANCODE_KP_1);
	for (const ScanVk& entry : kScanVk)
		if (entry.scan == scancode)
			return entry.vk;
	return 0;
}

int PlatformShowCursor(int show)
{
	sCursorCounter += show ? 1 : -1;
	if (SDL_WasInit(SDL_INIT_VIDEO))
		SDL_ShowCursor(sCursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
	return sCursorCounter;
}

uint64_t PlatformCounterRead()
{
	return SDL_GetPerformanceCounter();
}

uint64_t PlatformCounterFrequency()
{
	return SDL_GetPerformanceFrequency();
}

// SDL_Delay only knows whole milliseconds, which leaves the frame limiter up to one more
// to spin through.
void PlatformSleepMicroseconds(unsigned int microseconds)
{
	std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
}
