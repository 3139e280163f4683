#include "KEInput.h"

#include <cmath>
#include <cstring>

#include "KESystem.h"
#include "Window.h"

namespace
{
unsigned char sKeyCurr[256];
unsigned char sKeyPrev[256];
int           sCursorPosX = 0;
int           sCursorPosY = 0;
int           sCursorDeltaX = 0;
int           sCursorDeltaY = 0;

// Cursor values are in the pixels of whatever the window shows; in full screen that is the
// desktop, so scale back to window pixels, truncating toward zero. The float scale is not
// exact (2.4f is a little above 2.4, so 960 / 2.4f gives 399.99997): a quotient that misses
// a whole number only by that error counts as the whole number, so the middle of the
// screen stays the middle of the window.
int Unscale(int value, float scale)
{
	float quotient = (float)value / scale;
	float nearest = std::round(quotient);
	if (std::fabs(quotient - nearest) < 0.001f)
		return (int)nearest;
	return (int)quotient;
}
} // namespace

int KEInputInit()
{
	KEInputReset();
	return 1;
}

void KEInputReset()
{
	memset(sKeyCurr, 0, sizeof(sKeyCurr));
	memset(sKeyPrev, 0, sizeof(sKeyPrev));
	sCursorPosX = sCursorPosY = 0;
	sCursorDeltaX = sCursorDeltaY = 0;
}

void KEInputUpdate()
{
	memcpy(sKeyPrev, sKeyCurr, sizeof(sKeyCurr));
	PlatformInputGetKeyTable(sKeyCurr);
	int x = 0, y = 0;
	PlatformInputGetCursor(&x, &y);
	sCursorDeltaX = x - sCursorPosX;
	sCursorDeltaY = y - sCursorPosY;
	sCursorPosX = x;
	sCursorPosY = y;
}

void KEInputExit()
{
}

bool KEInputCheckCurr(unsigned char key)
{
	return (sKeyCurr[key] & 0x80) != 0;
}

bool KEInputCheckPrev(unsigned char key)
{
	return (sKeyPrev[key] & 0x80) != 0;
}

bool KEInputCheckTriggered(unsigned char key)
{
	return (sKeyCurr[key] & ~sKeyPrev[key] & 0x80) != 0;
}

bool KEInputCheckReleased(unsigned char key)
{
	return (sKeyPrev[key] & ~sKeyCurr[key] & 0x80) != 0;
}

void KEInputGetCursorPosition(int* pX, int* pY)
{
	if (pX) *pX = Unscale(sCursorPosX, KESysGetFullScreenScaleX());
	if (pY) *pY = Unscale(sCursorPosY, KESysGetFullScreenScaleY());
}

void KEInputGetCursorPositionDelta(int* pX, int* pY)
{
	if (pX) *pX = Unscale(sCursorDeltaX, KESysGetFullScreenScaleX());
	if (pY) *pY = Unscale(sCursorDeltaY, KESysGetFullScreenScaleY());
}

void KEInputShowCursor(int show)
{
	PlatformShowCursor(show);
}
