// Virtual pads inside SDL's joystick layer: input goes through SDL's mappings and the pump to the key table.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "EngineHarness.h"
#include "Gamepad.h"
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
	void SetUp() override
	{
		// Xvfb has no window manager, so the window never has focus; SDL would drop the pad.
		setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
		setenv("SDL_GAMECONTROLLERCONFIG", kMapping, 1);
		ASSERT_TRUE(HarnessStartEngine());
	}
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
