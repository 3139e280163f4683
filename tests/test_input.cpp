// Keyboard, mouse buttons and cursor: the sampled tables, the SDL event pump that fills
// them, and the cursor in full screen.
#include <gtest/gtest.h>

#include "EngineHarness.h"
#include "KEGraphics.h"
#include "KEInput.h"
#include "KESystem.h"
#include "Window.h"

namespace
{
// SDL scancodes (USB usage ids) of the keys used below.
const int SCAN_A = 4;
const int SCAN_D = 7;
const int SCAN_W = 26;
const int SCAN_1 = 30;
const int SCAN_0 = 39;
const int SCAN_RETURN = 40;
const int SCAN_ESCAPE = 41;
const int SCAN_BACKSPACE = 42;
const int SCAN_SPACE = 44;
const int SCAN_F11 = 68;
const int SCAN_PAGEUP = 75;
const int SCAN_PAGEDOWN = 78;
const int SCAN_UP = 82;
const int SCAN_KP_ENTER = 88;
const int SCAN_LSHIFT = 225;
const int SCAN_RSHIFT = 229;

class Input : public testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		KESysUpdate();   // drop whatever the window system queued
		PlatformInputClearKeys();
		KESysReset();
	}
};

struct Seen
{
	int curr = 0, triggered = 0, released = 0;
};

void Sample(unsigned char key, Seen* seen)
{
	KEInputUpdate();
	seen->curr += KEInputCheckCurr(key);
	seen->triggered += KEInputCheckTriggered(key);
	seen->released += KEInputCheckReleased(key);
}
} // namespace

TEST_F(Input, HeldKeyIsTriggeredOnceAndReleasedOnce)
{
	Seen seen;
	Sample(0x57, &seen);
	HarnessSetKey(0x57, true);
	for (int i = 0; i < 5; ++i)
	{
		Sample(0x57, &seen);
		EXPECT_EQ(KEInputCheckPrev(0x57), i > 0);
	}
	HarnessSetKey(0x57, false);
	for (int i = 0; i < 3; ++i)
		Sample(0x57, &seen);
	EXPECT_EQ(seen.curr, 5);
	EXPECT_EQ(seen.triggered, 1);
	EXPECT_EQ(seen.released, 1);

	// Down and up again between two samples: never seen.
	Seen quick;
	HarnessSetKey(0x57, true);
	HarnessSetKey(0x57, false);
	Sample(0x57, &quick);
	EXPECT_EQ(quick.curr + quick.triggered + quick.released, 0);

	// Every code, 0 and 255 included, is a key of its own.
	for (int code : {0, 1, 2, 4, 27, 255})
	{
		HarnessSetKey((unsigned char)code, true);
		KEInputUpdate();
		for (int other = 0; other < 256; ++other)
			EXPECT_EQ(KEInputCheckCurr((unsigned char)other), other == code) << code << " " << other;
		HarnessSetKey((unsigned char)code, false);
		KEInputUpdate();
	}
}

TEST_F(Input, ResetClearsBothTablesSoAHeldKeyTriggersAgain)
{
	HarnessSetKey(0x20, true);
	KEInputUpdate();
	KEInputUpdate();
	EXPECT_TRUE(KEInputCheckCurr(0x20));
	EXPECT_TRUE(KEInputCheckPrev(0x20));

	KESysReset();
	EXPECT_FALSE(KEInputCheckCurr(0x20));
	EXPECT_FALSE(KEInputCheckPrev(0x20));
	EXPECT_FALSE(KEInputCheckTriggered(0x20));
	KEInputUpdate();
	EXPECT_TRUE(KEInputCheckTriggered(0x20));
	HarnessSetKey(0x20, false);
}

TEST_F(Input, PumpMapsKeyPositionsAndButtonsToVirtualKeys)
{
	struct { int scan; unsigned char vk; } keys[] = {
		{SCAN_W, 0x57}, {SCAN_A, 0x41}, {SCAN_D, 0x44}, {SCAN_1, 0x31}, {SCAN_0, 0x30},
		{SCAN_RETURN, 0x0D}, {SCAN_ESCAPE, 0x1B}, {SCAN_BACKSPACE, 0x08}, {SCAN_SPACE, 0x20},
		{SCAN_F11, 0x7A}, {SCAN_PAGEUP, 0x21}, {SCAN_PAGEDOWN, 0x22}, {SCAN_UP, 0x26},
	};
	for (const auto& key : keys)
	{
		PlatformPushKeyEvent(key.scan, true);
		KESysUpdate();
		KEInputUpdate();
		EXPECT_TRUE(KEInputCheckTriggered(key.vk)) << key.scan;
		PlatformPushKeyEvent(key.scan, false);
		KESysUpdate();
		KEInputUpdate();
		EXPECT_TRUE(KEInputCheckReleased(key.vk)) << key.scan;
	}

	// Two physical keys behind one code: the code stays down until both are up.
	PlatformPushKeyEvent(SCAN_LSHIFT, true);
	PlatformPushKeyEvent(SCAN_RSHIFT, true);
	PlatformPushKeyEvent(SCAN_LSHIFT, false);
	PlatformPushKeyEvent(SCAN_RETURN, true);
	PlatformPushKeyEvent(SCAN_KP_ENTER, true);
	PlatformPushKeyEvent(SCAN_RETURN, false);
	KESysUpdate();
	KEInputUpdate();
	EXPECT_TRUE(KEInputCheckCurr(0x10));
	EXPECT_FALSE(KEInputCheckCurr(0xA0));
	EXPECT_TRUE(KEInputCheckCurr(0xA1));
	EXPECT_TRUE(KEInputCheckCurr(0x0D));
	PlatformPushKeyEvent(SCAN_RSHIFT, false);
	PlatformPushKeyEvent(SCAN_KP_ENTER, false);
	KESysUpdate();
	KEInputUpdate();
	EXPECT_FALSE(KEInputCheckCurr(0x10));
	EXPECT_FALSE(KEInputCheckCurr(0x0D));

	// Mouse buttons: left 1, right 2, middle 4; a click also moves the cursor.
	PlatformPushMouseButtonEvent(1, true, 120, 80);
	PlatformPushMouseButtonEvent(3, true, 120, 80);
	PlatformPushMouseButtonEvent(2, true, 120, 80);
	KESysUpdate();
	KEInputUpdate();
	EXPECT_TRUE(KEInputCheckTriggered(1));
	EXPECT_TRUE(KEInputCheckTriggered(2));
	EXPECT_TRUE(KEInputCheckTriggered(4));
	int x = 0, y = 0;
	KEInputGetCursorPosition(&x, &y);
	EXPECT_EQ(x, 120);
	EXPECT_EQ(y, 80);
	PlatformPushMouseButtonEvent(1, false, 120, 80);
	PlatformPushMouseButtonEvent(3, false, 120, 80);
	PlatformPushMouseButtonEvent(2, false, 120, 80);
	KESysUpdate();
	KEInputUpdate();
	EXPECT_TRUE(KEInputCheckReleased(1));
	EXPECT_TRUE(KEInputCheckReleased(2));
	EXPECT_TRUE(KEInputCheckReleased(4));
}

TEST_F(Input, CursorIsScaledBackToWindowPixelsInFullScreen)
{
	int screenWidth = 0, screenHeight = 0;
	PlatformScreenGetSize(&screenWidth, &screenHeight);
	if (screenWidth != 1920 || screenHeight != 1080)
		GTEST_SKIP() << "needs a 1920x1080 screen, have " << screenWidth << "x" << screenHeight;

	KEToogleFullScreen(true);
	EXPECT_FLOAT_EQ(KESysGetFullScreenScaleX(), 2.4f);
	EXPECT_FLOAT_EQ(KESysGetFullScreenScaleY(), 1.8f);

	HarnessSetCursor(960, 540);
	KEInputUpdate();
	int x = 0, y = 0;
	KEInputGetCursorPosition(&x, &y);
	EXPECT_EQ(x, 400);
	EXPECT_EQ(y, 300);

	// 10 pixels down at a scale of 1.8: 5.55 truncates to 5.
	HarnessSetCursor(960, 550);
	KEInputUpdate();
	KEInputGetCursorPositionDelta(&x, &y);
	EXPECT_EQ(x, 0);
	EXPECT_EQ(y, 5);
	HarnessSetCursor(1920, 540);
	KEInputUpdate();
	KEInputGetCursorPosition(&x, &y);
	EXPECT_EQ(x, 800);
	EXPECT_EQ(y, 300);
	KEInputGetCursorPositionDelta(&x, &y);
	EXPECT_EQ(x, 400);
	EXPECT_EQ(y, -5);   // toward zero
	HarnessSetCursor(960, 550);
	KEInputUpdate();

	// Back to the window: scale 1, centred again at its own size.
	KEToogleFullScreen(false);
	KESysUpdate();
	EXPECT_FLOAT_EQ(KESysGetFullScreenScaleX(), 1.0f);
	EXPECT_FLOAT_EQ(KESysGetFullScreenScaleY(), 1.0f);
	KEInputGetCursorPosition(&x, &y);
	EXPECT_EQ(x, 960);
	EXPECT_EQ(y, 550);
	int width = 0, height = 0, left = 0, top = 0;
	PlatformWindowGetSize(&width, &height);
	PlatformWindowGetPosition(&left, &top);
	EXPECT_EQ(width, 800);
	EXPECT_EQ(height, 600);
	EXPECT_EQ(left, 560);
	EXPECT_EQ(top, 240);

	// Switching off twice does the same again.
	KEToogleFullScreen(false);
	EXPECT_FLOAT_EQ(KESysGetFullScreenScaleX(), 1.0f);
}

TEST_F(Input, ShowCursorKeepsACounter)
{
	ASSERT_TRUE(PlatformCursorVisible());
	KEInputShowCursor(0);
	EXPECT_FALSE(PlatformCursorVisible());
	KEInputShowCursor(0);
	KEInputShowCursor(1);
	EXPECT_FALSE(PlatformCursorVisible());   // still one hide too many
	KEInputShowCursor(1);
	EXPECT_TRUE(PlatformCursorVisible());
	KEInputShowCursor(1);
	KEInputShowCursor(0);
	EXPECT_TRUE(PlatformCursorVisible());
}
