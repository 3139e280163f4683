// Keyboard, mouse buttons and cursor: the sampled tables, the SDL event pump that fills
// them, and the cursor in full screen.
#include <gtest/gtest.h>

#include <string>

#include "EngineHarness.h"
#include "KEGraphics.h"
#include "KEInput.h"
#include "KESystem.h"
#include "Window.h"

TEST(Input, HeldKeyIsTriggeredOnceAndReleasedOnceAndEveryCodeIsAKey)
{
	ASSERT_TRUE(HarnessStartEngine());
	std::string seen;
	for (int frame = 0; frame < 8; ++frame)
	{
		HarnessSetKey('W', frame >= 1 && frame < 6);
		KEInputUpdate();
		seen += KEInputCheckTriggered('W') ? "T" : KEInputCheckReleased('W') ? "R" : KEInputCheckCurr('W') ? "C" : "-";
	}
	EXPECT_EQ(seen, "-TCCCCR-");

	for (int code = 0; code < 256; ++code)
	{
		HarnessSetKey((unsigned char)code, true);
		KEInputUpdate();
		int down = 0;
		for (int other = 0; other < 256; ++other)
			down += KEInputCheckCurr((unsigned char)other);
		EXPECT_TRUE(KEInputCheckTriggered((unsigned char)code) && down == 1) << code;
		HarnessSetKey((unsigned char)code, false);
		KEInputUpdate();
	}
}

TEST(Input, PumpMapsKeyPositionsAndButtonsToVirtualKeys)
{
	ASSERT_TRUE(HarnessStartEngine());
	// SDL scancode (USB usage) -> virtual key: W A 1 Return Esc Space F11 PgUp Up; negative:
	// mouse button (1 left, 2 middle, 3 right).
	int keys[][2] = {{26, 'W'}, {4, 'A'}, {30, '1'}, {40, 0x0D}, {41, 0x1B}, {44, 0x20}, {68, 0x7A},
	                 {75, 0x21}, {82, 0x26}, {-1, 0x01}, {-2, 0x04}, {-3, 0x02}};
	for (bool down : {true, false})
	{
		for (auto& key : keys)
			key[0] > 0 ? PlatformPushKeyEvent(key[0], down) : PlatformPushMouseButtonEvent(-key[0], down, 1, 1);
		KESysUpdate();
		KEInputUpdate();
		for (auto& key : keys)
			EXPECT_EQ(KEInputCheckCurr((unsigned char)key[1]), down) << key[0];
	}

	// A tap pressed and released between two frames is seen once, then released.
	std::string seen;
	for (int frame = 0; frame < 3; ++frame)
	{
		if (frame == 0)
			PlatformPushKeyEvent(44, true), PlatformPushKeyEvent(44, false), PlatformPushMouseButtonEvent(1, true, 1, 1),
			    PlatformPushMouseButtonEvent(1, false, 1, 1);
		KESysUpdate();
		KEInputUpdate();
		seen += KEInputCheckTriggered(0x20) && KEInputCheckTriggered(0x01) ? "T" : KEInputCheckReleased(0x20) ? "R" : "-";
	}
	EXPECT_EQ(seen, "TR-");
}

TEST(Input, ScriptedInputIgnoresTheRealKeyboardAndMouse)
{
	ASSERT_TRUE(HarnessStartEngine());
	PlatformInputSetCursor(10, 20);
	PlatformInputScripted(true);
	PlatformPushKeyEvent(44, true);
	PlatformPushMouseButtonEvent(1, true, 300, 400);
	KESysUpdate();
	KEInputUpdate();
	PlatformInputScripted(false);
	int x = 0, y = 0;
	KEInputGetCursorPosition(&x, &y);
	EXPECT_FALSE(KEInputCheckCurr(0x20) || KEInputCheckCurr(0x01));
	EXPECT_TRUE(x == 10 && y == 20) << x << "," << y;
}

TEST(Input, CursorIsScaledBackToWindowPixelsInFullScreen)
{
	ASSERT_TRUE(HarnessStartEngine());
	int width = 0, height = 0, x = 0, y = 0;
	PlatformScreenGetSize(&width, &height);
	if (width != 1920 || height != 1080)
		GTEST_SKIP() << "needs a 1920x1080 screen, have " << width << "x" << height;
	KEToogleFullScreen(true);
	EXPECT_FLOAT_EQ(KESysGetFullScreenScaleX(), 2.4f);
	EXPECT_FLOAT_EQ(KESysGetFullScreenScaleY(), 1.8f);
	HarnessSetCursor(960, 540);
	KEInputUpdate();
	KEInputGetCursorPosition(&x, &y);
	EXPECT_EQ(x, 400);
	EXPECT_EQ(y, 300);
	HarnessSetCursor(984, 550);   // 24 pixels at 2.4 across, 10 at 1.8 (5.55 truncates to 5) down
	KEInputUpdate();
	KEInputGetCursorPositionDelta(&x, &y);
	EXPECT_EQ(x, 10);
	EXPECT_EQ(y, 5);
	KEInputGetCursorPosition(&x, &y);
	EXPECT_EQ(x, 410);
	KEToogleFullScreen(false);
	EXPECT_FLOAT_EQ(KESysGetFullScreenScaleX(), 1.0f);
}
