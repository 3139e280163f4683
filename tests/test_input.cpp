// Keyboard, mouse buttons, cursor and gamepads: the key tables, the SDL pump, the full-screen
// cursor, and virtual pads inside SDL's joystick layer, whose input goes through SDL's mappings
// and the pump to the key table.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "EngineHarness.h"
#include "Gamepad.h"
#include "KEGraphics.h"
#include "KEInput.h"
#include "KESystem.h"
#include "Keys.h"
#include "Window.h"

namespace
{
// Raw Linux buttons; dpad is the first of four (up, down, left, right) or -1 for the hat.
struct Layout
{
	const char* name;
	int         vendor, product;
	bool        standard;
	int         a, b, x, y, back, start, leftShoulder, rightShoulder, dpad;
};
const Layout kSdlOrder = {"Test Pad", 0x1209, 0x0001, true, 0, 1, 2, 3, 4, 6, 9, 10, 11};
const Layout kXbox360 = {"Xbox 360 Controller", 0x045e, 0x028e, false, 0, 1, 2, 3, 6, 7, 4, 5, -1};

const char* const kMapping =
	"ff0000005e0400008e02000000007600,Xbox 360 Controller,a:b0,b:b1,x:b2,y:b3,leftshoulder:b4,"
	"rightshoulder:b5,back:b6,start:b7,guide:b8,leftstick:b9,rightstick:b10,leftx:a0,lefty:a1,"
	"lefttrigger:a2,rightx:a3,righty:a4,righttrigger:a5,dpup:h0.1,dpdown:h0.4,dpleft:h0.8,dpright:h0.2,"
	"platform:Linux,";

// Set before SDL starts: Xvfb has no window manager, so the window never has focus and SDL
// would drop the pad.
[[maybe_unused]] const bool kPadEnvironment =
	(setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1), setenv("SDL_GAMECONTROLLERCONFIG", kMapping, 1), true);

using Keys = std::set<int>;
const int kScanSpace = 44;

// Pumps the window's events into the key table; the keys then held.
Keys Pump()
{
	KESysUpdate();
	KEInputUpdate();
	Keys down;
	for (int vk = 0; vk < 256; ++vk)
		if (KEInputCheckCurr((unsigned char)vk))
			down.insert(vk);
	return down;
}

class Gamepad : public testing::Test
{
protected:
	void SetUp() override { ASSERT_TRUE(HarnessStartEngine()); }
	void TearDown() override
	{
		for (int pad : pads)
			PlatformTestPadDetach(pad);
		Pump();
		PlatformInputClearKeys();
	}
	int Attach(const Layout& layout)
	{
		pads.push_back(PlatformTestPadAttach(layout.name, layout.vendor, layout.product, layout.standard));
		Pump();
		return pads.back();
	}
	// The keys held while press(true) holds something; after press(false) none may be left.
	template <typename Press> Keys WhileHeld(Press press)
	{
		press(true);
		const Keys down = Pump();
		press(false);
		EXPECT_EQ(Pump(), Keys{}) << "after holding " << testing::PrintToString(down);
		return down;
	}
	std::vector<int> pads;
};
} // namespace

TEST(Input, HeldKeyIsTriggeredOnceAndReleasedOnceAStateChangeForgetsItAndEveryCodeIsAKey)
{
	ASSERT_TRUE(HarnessStartEngine());
	for (int code = 0; code < 256; ++code)
	{
		const unsigned char vk = (unsigned char)code;
		std::string seen;   // per frame: triggered, current, released or up; then how many keys are down
		for (int frame = 0; frame < 7; ++frame)
		{
			HarnessSetKey(vk, frame >= 1 && frame <= 4);
			KEInputUpdate();
			if (frame == 3)
				KEInputReset();   // a state change: a key held across it is new again, never released
			int down = 0;
			for (int other = 0; other < 256; ++other)
				down += KEInputCheckCurr((unsigned char)other);
			seen += KEInputCheckTriggered(vk) ? "T" : KEInputCheckReleased(vk) ? "R" : KEInputCheckCurr(vk) ? "C" : "-";
			seen += std::to_string(down);
		}
		EXPECT_EQ(seen, "-0T1C1-0T1R0-0") << code;
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

TEST_F(Gamepad, EveryBindingOfBothLayoutsReachesTheKeyTableAndNothingElse)
{
	for (const Layout* layout : {&kSdlOrder, &kXbox360})
	{
		SCOPED_TRACE(layout->name);
		const int pad = Attach(*layout);
		const struct { int raw; Keys keys; } buttons[] = {
			{layout->a, {KEY_SPACE, KEY_ENTER}}, {layout->b, {KEY_ESCAPE}}, {layout->x, {KEY_E}}, {layout->y, {}},
			{layout->back, {KEY_BACKSPACE}}, {layout->start, {KEY_ESCAPE}},
			{layout->leftShoulder, {KEY_PAGE_DOWN}}, {layout->rightShoulder, {KEY_PAGE_UP}}};
		for (const auto& b : buttons)
			EXPECT_EQ(WhileHeld([&](bool down) { PlatformTestPadButton(pad, b.raw, down); }), b.keys) << b.raw;
		const int keys[4] = {KEY_W, KEY_S, KEY_A, KEY_D}, hat[4] = {1, 4, 8, 2};   // up, down, left, right
		for (int d = 0; d < 4; ++d)
		{
			EXPECT_EQ(WhileHeld([&](bool down) {
				layout->dpad >= 0 ? PlatformTestPadButton(pad, layout->dpad + d, down) : PlatformTestPadHat(pad, down ? hat[d] : 0);
			}), Keys{keys[d]}) << d;
			const int axis = d < 2 ? 1 : 0, value = d % 2 ? 20000 : -20000;   // left stick, y downwards
			EXPECT_EQ(WhileHeld([&](bool down) { PlatformTestPadAxis(pad, axis, down ? value : 0); }), Keys{keys[d]});
		}
		EXPECT_EQ(WhileHeld([&](bool down) {   // a diagonal holds both of its keys
			PlatformTestPadAxis(pad, 0, down ? 23170 : 0), PlatformTestPadAxis(pad, 1, down ? -23170 : 0);
		}), (Keys{KEY_W, KEY_D}));
		PlatformTestPadDetach(pad);
		Pump();
	}
}

TEST_F(Gamepad, KeyboardOverlapDeadZoneOneControllerAtATimeAndUnplugging)
{
	const int first = Attach(kXbox360);
	// A on the pad, then Space, which is not triggered again; the pad lets go: Enter goes, Space stays.
	PlatformTestPadButton(first, kXbox360.a, true);
	Pump();
	PlatformPushKeyEvent(kScanSpace, true);
	Pump();
	EXPECT_FALSE(KEInputCheckTriggered(KEY_SPACE));
	PlatformTestPadButton(first, kXbox360.a, false);
	EXPECT_EQ(Pump(), Keys{KEY_SPACE});
	PlatformPushKeyEvent(kScanSpace, false);
	// The stick presses past its dead zone and holds until back inside it.
	PlatformTestPadButton(first, kXbox360.a, true);
	PlatformTestPadAxis(first, 0, 12000);
	ASSERT_EQ(Pump(), (Keys{KEY_SPACE, KEY_ENTER}));
	PlatformTestPadAxis(first, 0, 17000);
	ASSERT_EQ(Pump(), (Keys{KEY_SPACE, KEY_ENTER, KEY_D}));
	PlatformTestPadAxis(first, 0, 9000);
	ASSERT_EQ(Pump(), (Keys{KEY_SPACE, KEY_ENTER, KEY_D}));
	const int second = Attach(kSdlOrder);   // waits while the first is in use
	EXPECT_STREQ(PlatformGamepadName(), kXbox360.name);
	PlatformTestPadDetach(first);   // unplugged while held: released, the second takes over
	EXPECT_EQ(Pump(), Keys{});
	EXPECT_STREQ(PlatformGamepadName(), kSdlOrder.name);
	// A removal whose releases never came still lets go.
	PlatformTestPadButton(second, kSdlOrder.back, true);
	EXPECT_EQ(Pump(), Keys{KEY_BACKSPACE});
	PlatformTestPadPushRemoval(second);
	EXPECT_EQ(Pump(), Keys{});
	// A device SDL does not know is ignored, with one line.
	testing::internal::CaptureStdout();
	const int pad = Attach({"Mystery Stick", 0x1209, 0x7777, false, 0, 1, 2, 3, 4, 5, 6, 7, -1});
	fflush(stdout);
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "Gamepad: Mystery Stick is not a controller SDL knows; ignored\n");
	EXPECT_EQ(WhileHeld([&](bool down) { PlatformTestPadButton(pad, 0, down); }), Keys{});
	EXPECT_STREQ(PlatformGamepadName(), "");
}
