// Keyboard, mouse buttons and cursor: the key tables, the SDL pump, the full-screen cursor.
#include <gtest/gtest.h>

#include <string>

#include "EngineHarness.h"
#include "KEGraphics.h"
#include "KEInput.h"
#include "KESystem.h"
#include "Window.h"

TEST(Input, HeldKeyIsTriggeredOnceAndReleasedOnceAStateChangeForgetsItAndEveryCodeIsAKey)
{
	ASSERT_TRUE(HarnessStartEngine());
	for (int code = 0; code < 256; ++code)
	{
		const unsigned char vk = (unsigned char)code;
		std::string seen;   // per frame: triggered, current, released or up; then how many keys are down
		for (int frame = 0; frame < 6; ++frame)
		{
			HarnessSetKey(vk, frame >= 1 && frame <= 3);
			KEInputUpdate();
			if (frame == 2)
				KEInputReset();   // a state change: a key held across it is new again, never released
			int down = 0;
			for (int other = 0; other < 256; ++other)
				down += KEInputCheckCurr((unsigned char)other);
			seen += KEInputCheckTriggered(vk) ? "T" : KEInputCheckReleased(vk) ? "R" : KEInputCheckCurr(vk) ? "C" : "-";
			seen += std::to_string(down);
		}
		EXPECT_EQ(seen, "-0T1-0T1R0-0") << code;
	}
}

TEST(Input, PumpMapsKeysAndButtonsLatchesQuickTapsAndIgnoresRealInputWhenScripted)
{
	ASSERT_TRUE(HarnessStartEngine());
	// scancode -> virtual key: W A 1 Return Esc Space F11 PgUp Up, right Shift and left Alt as
	// their generic codes; negative: mouse button.
	int keys[][2] = {{26, 'W'}, {4, 'A'}, {30, '1'}, {40, 0x0D}, {41, 0x1B}, {44, 0x20}, {68, 0x7A},
	                 {75, 0x21}, {82, 0x26}, {229, 0x10}, {226, 0x12}, {-1, 0x01}, {-2, 0x04}, {-3, 0x02}};
	for (bool down : {true, false})
	{
		for (auto& key : keys)
			key[0] > 0 ? PlatformPushKeyEvent(key[0], down) : PlatformPushMouseButtonEvent(-key[0], down, 1, 1);
		KESysUpdate(), KEInputUpdate();
		for (auto& key : keys)
			EXPECT_EQ(KEInputCheckCurr((unsigned char)key[1]), down) << key[0];
	}
	// Pressed and released between two frames: seen once, then released.
	PlatformPushKeyEvent(44, true), PlatformPushKeyEvent(44, false);
	PlatformPushMouseButtonEvent(1, true, 1, 1), PlatformPushMouseButtonEvent(1, false, 1, 1);
	KESysUpdate(), KEInputUpdate();
	std::string seen;
	for (int frame = 0; frame < 3; ++frame, KESysUpdate(), KEInputUpdate())
		seen += KEInputCheckTriggered(0x20) && KEInputCheckTriggered(0x01) ? "T" : KEInputCheckReleased(0x20) ? "R" : "-";
	EXPECT_EQ(seen, "TR-");
	PlatformInputSetCursor(10, 20);
	PlatformInputScripted(true);
	PlatformPushKeyEvent(44, true);
	PlatformPushMouseButtonEvent(1, true, 300, 400);
	KESysUpdate(), KEInputUpdate();
	PlatformInputScripted(false);
	int x = 0, y = 0;   // scripted: the real keyboard and mouse change nothing
	KEInputGetCursorPosition(&x, &y);
	EXPECT_TRUE(!KEInputCheckCurr(0x20) && !KEInputCheckCurr(0x01) && x == 10 && y == 20) << x << "," << y;
}

TEST(Input, CursorIsScaledBackToWindowPixelsInFullScreen)
{
	ASSERT_TRUE(HarnessStartEngine());
	int width = 0, height = 0, x = 0, y = 0;
	PlatformScreenGetSize(&width, &height);
	if (width != 1920 || height != 1080)
		GTEST_SKIP() << "needs a 1920x1080 screen, have " << width << "x" << height;
	KEToogleFullScreen(true);   // 800x600 shown at 2.4 x 1.8
	HarnessSetCursor(960, 540);
	KEInputUpdate();
	KEInputGetCursorPosition(&x, &y);
	EXPECT_TRUE(x == 400 && y == 300) << x << "," << y;
	HarnessSetCursor(984, 550);   // 24 / 2.4 across, 10 / 1.8 = 5.55 truncated down
	KEInputUpdate();
	KEInputGetCursorPositionDelta(&x, &y);
	EXPECT_TRUE(x == 10 && y == 5) << x << "," << y;
	KEToogleFullScreen(false);   // windowed again: read as they are, both ways
	KEInputUpdate();
	KEInputGetCursorPosition(&x, &y);
	EXPECT_TRUE(x == 984 && y == 550) << x << "," << y;
}
