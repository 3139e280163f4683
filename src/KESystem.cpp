#include "KESystem.h"

#include <cstdio>
#include <cstdlib>

#include "KEFrameRateController.h"
#include "KEGraphics.h"
#include "KEInput.h"
#include "Window.h"

int gKESysAppActive = 0;

namespace
{
void*        sInstance = nullptr;
int          sWindowExists = 0;
bool         sFullScreen = false;
float        sFullScreenScaleX = 1.0f;
float        sFullScreenScaleY = 1.0f;
KEWindowProc sWindowProc = nullptr;

// The engine's own handling runs for every message; a procedure given to KESysInit sees
// each message afterwards.
void HandleMessage(unsigned int message, unsigned long wParam, long lParam)
{
	switch (message)
	{
	case PLATFORM_MSG_DESTROY:
		sWindowExists = 0;
		break;
	case PLATFORM_MSG_ACTIVATE:
		gKESysAppActive = (wParam & 0xFFFF) != 0 ? 1 : 0;
		break;
	default:
		break;
	}
	if (sWindowProc)
		sWindowProc(PlatformWindowHandle(), message, wParam, lParam);
}
} // namespace

void KEAssertReport(const char* expression, int line, const char* function, const char* file, const char* message)
{
	printf("KE_ASSERT_MESG: %s\nLine: %d\nFunc: %s\nFile: %s\n", expression, line, function, file);
	printf("Mesg: %s", message);
	printf("\n");
	fflush(stdout);
	exit(1);
}

int KESysInit(void* hInstance, int show, int width, int height, int /*console*/, unsigned int frameRateMax,
              KEWindowProc windowProc)
{
	sInstance = hInstance;
	// Standard output is already the terminal the game was started from: no console to open.
	printf("Kelvo Engine version: %2.2f\n\n", 3.05);
	fflush(stdout);

	sWindowProc = windowProc;
	if (PlatformWindowCreate("Kelvo Engine", width, height))
	{
		HandleMessage(PLATFORM_MSG_CREATE, 0, 0);
		if (show == 0)
			PlatformWindowShow(false);
		sWindowExists = 1;
	}

	int graphics = KEGfxInit(width, height);
	// Input and the frame clock start even without graphics, so the loop still runs at its
	// pace and quits cleanly.
	int input = KEInputInit();
	KEFrameRateControllerInit(frameRateMax);
	return graphics && input ? 1 : 0;
}

void KESysReset()
{
	KEFrameRateControllerReset();
	KEInputReset();
}

void KESysExit()
{
	KEInputExit();
	KEGfxExit();
	PlatformWindowDestroy();
	sWindowExists = 0;
	sInstance = nullptr;
}

void KESysFrameStart()
{
	KEFrameRateControllerStart();
	KEGfxStart();
}

void KESysFrameEnd()
{
	KEGfxEnd();
	KEFrameRateControllerEnd();
	KESysUpdate();
}

void KESysUpdate()
{
	PlatformPumpEvents(HandleMessage);
}

void* KESysGetWindowHandle()
{
	return PlatformWindowHandle();
}

void KESysSetWindowTitle(const char* title)
{
	PlatformWindowSetTitle(title);
}

int KESysDoesWindowExist()
{
	return sWindowExists;
}

void KEToogleFullScreen(bool on)
{
	sFullScreen = on;
	int screenWidth = 0, screenHeight = 0;
	PlatformScreenGetSize(&screenWidth, &screenHeight);
	int windowWidth = KEGetWindowWidth();
	int windowHeight = KEGetWindowHeight();

	if (on && windowWidth > 0 && windowHeight > 0 && screenWidth > 0 && screenHeight > 0)
	{
		sFullScreenScaleX = (float)screenWidth / (float)windowWidth;
		sFullScreenScaleY = (float)screenHeight / (float)windowHeight;
	}
	else
	{
		sFullScreenScaleX = 1.0f;
		sFullScreenScaleY = 1.0f;
	}
	PlatformWindowSetFullScreen(on, windowWidth, windowHeight);
}

float KESysGetFullScreenScaleX()
{
	return sFullScreenScaleX;
}

float KESysGetFullScreenScaleY()
{
	return sFullScreenScaleY;
}
