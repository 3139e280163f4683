// The controller: virtual devices inside SDL's own joystick layer, so their input takes the
// real way through SDL's mappings and the window's pump into the key table.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameStates.h"
#include "Gamepad.h"
#include "KEGameStateMgr.h"
#include "KEInput.h"
#include "KESystem.h"
#include "Keys.h"
#include "LevelState.h"
#include "Player.h"
#include "Replay.h"
#include "Window.h"

namespace
{
// Raw buttons as Linux reports them; dpad is the first of four buttons up, down, left,
// right, or -1 for the hat. Standard layouts are mapped by SDL itself, the rest by kMappings.
struct Layout
{
	const char* name;
	int         vendor, product;
	bool        standard;
	int         a, b, x, y, back, start, leftShoulder, rightShoulder, dpad;
};
const Layout kSdlOrder = {"Test Pad", 0x1209, 0x0001, true, 0, 1, 2, 3, 4, 6, 9, 10, 11};
const Layout kXbox360 = {"Xbox 360 Controller", 0x045e, 0x028e, false, 0, 1, 2, 3, 6, 7, 4, 5, -1};
const Layout kDualShock4 = {"PS4 Controller", 0x054c, 0x05c4, false, 0, 1, 3, 2, 8, 9, 4, 5, -1};

const char* const kMappings =
	"ff0000005e0400008e02000000007600,Xbox 360 Controller,a:b0,b:b1,x:b2,y:b3,leftshoulder:b4,"
	"rightshoulder:b5,back:b6,start:b7,guide:b8,leftstick:b9,rightstick:b10,leftx:a0,lefty:a1,"
	"lefttrigger:a2,rightx:a3,righty:a4,righttrigger:a5,dpup:h0.1,dpdown:h0.4,dpleft:h0.8,dpright:h0.2,"
	"platform:Linux,\n"
	"ff0000004c050000c405000000007600,PS4 Controller,a:b0,b:b1,x:b3,y:b2,leftshoulder:b4,"
	"rightshoulder:b5,back:b8,start:b9,guide:b10,leftstick:b11,rightstick:b12,leftx:a0,lefty:a1,"
	"lefttrigger:a2,rightx:a3,righty:a4,righttrigger:a5,dpup:h0.1,dpdown:h0.4,dpleft:h0.8,dpright:h0.2,"
	"platform:Linux,";

using Keys = std::set<int>;
const int kScanW = 26, kScanSpace = 44, kScanEsc = 41;

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

void DPad(const Layout& layout, int pad, int direction, bool down)   // 0 up, 1 down, 2 left, 3 right
{
	const int hat[4] = {1, 4, 8, 2};
	layout.dpad >= 0 ? PlatformTestPadButton(pad, layout.dpad + direction, down)
	                 : PlatformTestPadHat(pad, down ? hat[direction] : 0);
}

class Gamepad : public testing::Test
{
protected:
	void SetUp() override
	{
		// Xvfb has no window manager, so the window never has focus; SDL would drop the pad.
		setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
		setenv("SDL_GAMECONTROLLERCONFIG", kMappings, 1);
		ASSERT_TRUE(HarnessStartEngine());
	}
	void TearDown() override
	{
		for (int pad : pads)
			PlatformTestPadDetach(pad);
		Pump(), PlatformInputClearKeys();
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

TEST_F(Gamepad, EveryBindingOfThreeLayoutsReachesTheKeyTableAndNothingElse)
{
	for (const Layout* layout : {&kSdlOrder, &kXbox360, &kDualShock4})
	{
		SCOPED_TRACE(layout->name);
		const int pad = Attach(*layout);
		EXPECT_STREQ(PlatformGamepadName(), layout->name);
		const struct { int raw; Keys keys; } buttons[] = {
			{layout->a, {KEY_SPACE, KEY_ENTER}}, {layout->b, {KEY_ESCAPE}}, {layout->x, {KEY_E}}, {layout->y, {}},
			{layout->back, {KEY_BACKSPACE}}, {layout->start, {KEY_ESCAPE}},
			{layout->leftShoulder, {KEY_PAGE_DOWN}}, {layout->rightShoulder, {KEY_PAGE_UP}}};
		for (const auto& b : buttons)
			EXPECT_EQ(WhileHeld([&](bool down) { PlatformTestPadButton(pad, b.raw, down); }), b.keys) << b.raw;
		const int keys[4] = {KEY_W, KEY_S, KEY_A, KEY_D};
		for (int d = 0; d < 4; ++d)
		{
			EXPECT_EQ(WhileHeld([&](bool down) { DPad(*layout, pad, d, down); }), Keys{keys[d]}) << d;
			const int axis = d < 2 ? 1 : 0, value = d % 2 ? 20000 : -20000;   // left stick, y downwards
			EXPECT_EQ(WhileHeld([&](bool down) { PlatformTestPadAxis(pad, axis, down ? value : 0); }), Keys{keys[d]});
		}
		EXPECT_EQ(WhileHeld([&](bool down) {   // right stick and triggers: nothing
			for (int axis : {2, 3, 4, 5})
				PlatformTestPadAxis(pad, axis, down ? 32767 : 0);
		}), Keys{});
		PlatformTestPadDetach(pad), Pump();
	}
}

TEST_F(Gamepad, StickPressesPastItsDeadZoneAndDiagonalsHoldTwoKeys)
{
	const int pad = Attach(kSdlOrder);
	// Presses past the press point, holds until back in the dead zone; diagonals hold two keys.
	const struct { int x, y; Keys keys; } steps[] = {{7000, 0, {}}, {12000, 0, {}}, {17000, 0, {KEY_D}},
		{12000, 0, {KEY_D}}, {9000, 0, {KEY_D}}, {7000, 0, {}}, {-7000, 0, {}},
		{-23170, -23170, {KEY_W, KEY_A}}, {-32768, 32767, {KEY_S, KEY_A}}};
	for (const auto& step : steps)
	{
		PlatformTestPadAxis(pad, 0, step.x), PlatformTestPadAxis(pad, 1, step.y);
		EXPECT_EQ(Pump(), step.keys) << step.x << "," << step.y;
	}
}

TEST_F(Gamepad, KeyboardAndPadHoldingOneKeyReleaseItOnlyWhenBothLetGo)
{
	const int pad = Attach(kSdlOrder);
	// W on keyboard then D-pad; the keyboard lets go first.
	PlatformPushKeyEvent(kScanW, true), DPad(kSdlOrder, pad, 0, true), Pump();
	PlatformPushKeyEvent(kScanW, false), Pump();
	EXPECT_TRUE(KEInputCheckCurr(KEY_W) && !KEInputCheckReleased(KEY_W));
	DPad(kSdlOrder, pad, 0, false), Pump();
	EXPECT_TRUE(KEInputCheckReleased(KEY_W));
	// A on the pad, then Space, which is not triggered again; the pad lets go: Enter goes, Space stays.
	PlatformTestPadButton(pad, kSdlOrder.a, true), Pump();
	PlatformPushKeyEvent(kScanSpace, true), Pump();
	EXPECT_FALSE(KEInputCheckTriggered(KEY_SPACE));
	PlatformTestPadButton(pad, kSdlOrder.a, false);
	EXPECT_EQ(Pump(), Keys{KEY_SPACE});
	PlatformPushKeyEvent(kScanSpace, false);
	// Stick and D-pad on W; B, Start and the keyboard on Esc.
	PlatformTestPadAxis(pad, 1, -30000), DPad(kSdlOrder, pad, 0, true);
	PlatformTestPadButton(pad, kSdlOrder.b, true), PlatformTestPadButton(pad, kSdlOrder.start, true);
	PlatformPushKeyEvent(kScanEsc, true), Pump();
	PlatformTestPadAxis(pad, 1, 0), PlatformTestPadButton(pad, kSdlOrder.b, false), PlatformPushKeyEvent(kScanEsc, false);
	EXPECT_EQ(Pump(), (Keys{KEY_W, KEY_ESCAPE}));
	DPad(kSdlOrder, pad, 0, false), PlatformTestPadButton(pad, kSdlOrder.start, false);
	EXPECT_EQ(Pump(), Keys{});
}

TEST_F(Gamepad, OneControllerAtATimeAndUnpluggingReleasesWhatItHeld)
{
	const int first = Attach(kXbox360);
	PlatformTestPadButton(first, kXbox360.a, true), PlatformTestPadAxis(first, 0, 30000);
	ASSERT_EQ(Pump(), (Keys{KEY_SPACE, KEY_ENTER, KEY_D}));
	const int second = Attach(kDualShock4);   // waits while the first is in use
	EXPECT_STREQ(PlatformGamepadName(), kXbox360.name);
	PlatformTestPadButton(second, kDualShock4.x, true);
	EXPECT_FALSE(Pump().count(KEY_E));
	PlatformTestPadButton(second, kDualShock4.x, false);
	PlatformTestPadDetach(first);   // unplugged while held: released, the second takes over
	EXPECT_EQ(Pump(), Keys{});
	EXPECT_TRUE(KEInputCheckReleased(KEY_SPACE) && KEInputCheckReleased(KEY_D));
	EXPECT_STREQ(PlatformGamepadName(), kDualShock4.name);
	EXPECT_EQ(WhileHeld([&](bool down) { PlatformTestPadButton(second, kDualShock4.x, down); }), Keys{KEY_E});
	PlatformTestPadDetach(second), Pump();
	EXPECT_STREQ(PlatformGamepadName(), "");
	// Plugged in again it works; a removal whose releases never came still lets go.
	const int again = Attach(kXbox360);
	PlatformTestPadButton(again, kXbox360.back, true);
	EXPECT_EQ(Pump(), Keys{KEY_BACKSPACE});
	PlatformTestPadPushRemoval(again);
	EXPECT_EQ(Pump(), Keys{});
	EXPECT_STREQ(PlatformGamepadName(), "");
}

TEST_F(Gamepad, ADeviceSdlDoesNotKnowIsIgnoredWithOneLine)
{
	testing::internal::CaptureStdout();
	const int pad = Attach({"Mystery Stick", 0x1209, 0x7777, false, 0, 1, 2, 3, 4, 5, 6, 7, -1});
	fflush(stdout);
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "Gamepad: Mystery Stick is not a controller SDL knows; ignored\n");
	EXPECT_EQ(WhileHeld([&](bool down) {
		for (int button = 0; button < 13; ++button)
			PlatformTestPadButton(pad, button, down);
		PlatformTestPadAxis(pad, 0, down ? 30000 : 0);
		PlatformTestPadHat(pad, down ? 1 : 0);
	}), Keys{});
	EXPECT_STREQ(PlatformGamepadName(), "");
}

namespace
{
// Plays the replay through the real loop with the keyboard (pad < 0) or an Xbox 360 pad
// (one direction on the hat, two on the stick); one line per frame.
std::vector<std::string> Play(const Replay& script, int pad)
{
	static std::vector<float> kept;   // curtain timers: later curtains run shorter; every run starts as the first
	for (int i = 0; i < 8; ++i)
	{
		Transitation& c = gLevelTransitions[i];
		if ((int)kept.size() < 5 * 8)
			kept.insert(kept.end(), {c.slideTimer, c.holdTimer, (float)c.covered, (float)c.idle, (float)c.finished});
		const float* k = &kept[5 * i];
		c.slideTimer = k[0], c.holdTimer = k[1], c.covered = k[2], c.idle = k[3], c.finished = k[4];
	}
	KEGameStateMgrInit(script.start);
	GameBeginState();
	std::set<int> held;
	auto hold = [&](const std::set<int>& keys) {
		const int scans[][2] = {{KEY_W, 26}, {KEY_A, 4}, {KEY_S, 22}, {KEY_D, 7}, {KEY_SPACE, kScanSpace}, {KEY_E, 8}};
		for (const auto& s : scans)
			if (pad < 0 && keys.count(s[0]) != held.count(s[0]))
				PlatformPushKeyEvent(s[1], keys.count(s[0]));
		const int x = keys.count(KEY_D) - keys.count(KEY_A), y = keys.count(KEY_S) - keys.count(KEY_W);
		if (pad >= 0)
		{
			PlatformTestPadAxis(pad, 0, x && y ? x * 23170 : 0), PlatformTestPadAxis(pad, 1, x && y ? y * 23170 : 0);
			PlatformTestPadHat(pad, x && y ? 0 : (y < 0) * 1 + (x > 0) * 2 + (y > 0) * 4 + (x < 0) * 8);
			PlatformTestPadButton(pad, kXbox360.a, keys.count(KEY_SPACE));
			PlatformTestPadButton(pad, kXbox360.x, keys.count(KEY_E));
		}
		held = keys;
	};
	std::vector<std::string> frames;
	for (const ReplayStep& step : script.steps)
		for (int f = 0; f < step.frames; ++f)
		{
			hold(std::set<int>(step.keys.begin(), step.keys.end()));
			KESysUpdate(), HarnessSetCursor(0, 0), GameRunFrame();   // the cursor over nothing
			char line[200];
			const LevelModule* level = GetLevelModule(gKEGameStateCurr);
			const Player* p = level ? level->player : nullptr;
			std::snprintf(line, sizeof line, "state %u>%u player %.3f %.3f hack %d servers %d lives %d hidden %d",
			              gKEGameStateCurr, gKEGameStateNext, p ? p->position.x : 0, p ? p->position.y : 0,
			              p ? p->hackCounter : 0, p ? p->serversHacked : 0, p ? p->lives : 0, p ? (int)p->hidden : 0);
			frames.push_back(line);
			if (gKEGameStateCurr != gKEGameStateNext)
				GameEndState(), GameBeginState();
		}
	hold({});
	gKEGameStateNext = STATE_MENU;
	GameRunFrame(), GameEndState();   // the pump takes the last releases
	return frames;
}
} // namespace

TEST_F(Gamepad, TheLightTutorialIsWonFrameForFrameAsWithTheKeyboard)
{
	GameStartUp();
	Replay script;
	std::string error;
	ASSERT_TRUE(ReplayLoad("replays/lightTutorial.txt", &script, &error)) << error;
	const std::vector<std::string> keyboard = Play(script, -1), padded = Play(script, Attach(kXbox360));
	ASSERT_EQ(keyboard.size(), padded.size());
	for (size_t f = 0; f < keyboard.size(); ++f)
		ASSERT_EQ(padded[f], keyboard[f]) << "frame " << f;
	EXPECT_NE(keyboard.back().find(">" + std::to_string(script.expect) + " "), std::string::npos) << keyboard.back();
}
