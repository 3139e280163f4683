// The controller: virtual devices inside SDL's own joystick layer, so their input takes the
// real way through SDL's mappings, controller events and the window's pump into the key
// table; and the game played with the pad frame for frame as with the keyboard.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameObject.h"
#include "GameStates.h"
#include "Gamepad.h"
#include "KEGameStateMgr.h"
#include "KEInput.h"
#include "KESystem.h"
#include "Keys.h"
#include "LevelState.h"
#include "Menu.h"
#include "MenuState.h"
#include "Pause.h"
#include "Player.h"
#include "Replay.h"
#include "SoundManager.h"
#include "Window.h"

namespace
{
// A controller as Linux reports its raw buttons, axes and hat, and how SDL names it.
struct Layout
{
	const char* name;
	int         vendor, product;
	bool        standard;   // SDL's own order, mapped by SDL itself; else by a mapping line
	int         a, b, x, y, back, start, leftShoulder, rightShoulder;
	int         dpad;       // first of four buttons up, down, left, right; -1: the hat
};
const Layout kSdlOrder = {"Test Pad", 0x1209, 0x0001, true, 0, 1, 2, 3, 4, 6, 9, 10, 11};
const Layout kXbox360 = {"Xbox 360 Controller", 0x045e, 0x028e, false, 0, 1, 2, 3, 6, 7, 4, 5, -1};
const Layout kDualShock4 = {"PS4 Controller", 0x054c, 0x05c4, false, 0, 1, 3, 2, 8, 9, 4, 5, -1};

// Lines of SDL's mapping database for the two real layouts, keyed to the virtual devices'
// ids (bus "virtual", vendor, product), as a player would give them in SDL_GAMECONTROLLERCONFIG.
const char* const kMappings =
	"ff0000005e0400008e02000000007600,Xbox 360 Controller,a:b0,b:b1,x:b2,y:b3,leftshoulder:b4,"
	"rightshoulder:b5,back:b6,start:b7,guide:b8,leftstick:b9,rightstick:b10,leftx:a0,lefty:a1,"
	"lefttrigger:a2,rightx:a3,righty:a4,righttrigger:a5,dpup:h0.1,dpdown:h0.4,dpleft:h0.8,dpright:h0.2,"
	"platform:Linux,\n"
	"ff0000004c050000c405000000007600,PS4 Controller,a:b0,b:b1,x:b3,y:b2,leftshoulder:b4,"
	"rightshoulder:b5,back:b8,start:b9,guide:b10,leftstick:b11,rightstick:b12,leftx:a0,lefty:a1,"
	"lefttrigger:a2,rightx:a3,righty:a4,righttrigger:a5,dpup:h0.1,dpdown:h0.4,dpleft:h0.8,dpright:h0.2,"
	"platform:Linux,";

bool StartEngine()
{
	// Xvfb has no window manager, so the window never has the keyboard focus, and SDL drops
	// the presses of a pad that belongs to an unfocused program.
	setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
	setenv("SDL_GAMECONTROLLERCONFIG", kMappings, 1);
	return HarnessStartEngine();
}

void Pump()
{
	KESysUpdate();
	KEInputUpdate();
}

std::string KeysDown()
{
	std::string down;
	for (int vk = 0; vk < 256; ++vk)
		if (KEInputCheckCurr((unsigned char)vk))
			down += (down.empty() ? "" : " ") + std::to_string(vk);
	return down;
}

std::string Keys(std::set<unsigned char> keys)
{
	std::string text;
	for (unsigned char vk : keys)
		text += (text.empty() ? "" : " ") + std::to_string(vk);
	return text;
}

// D-pad direction 0 up, 1 down, 2 left, 3 right.
void DPad(const Layout& layout, int pad, int direction, bool down)
{
	static const int kHatBits[4] = {1, 4, 8, 2};
	if (layout.dpad >= 0)
		PlatformTestPadButton(pad, layout.dpad + direction, down);
	else
		PlatformTestPadHat(pad, down ? kHatBits[direction] : 0);
}

class Gamepad : public testing::Test
{
protected:
	void SetUp() override { ASSERT_TRUE(StartEngine()); }
	// Every device a test plugged in goes away with it.
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
	template <typename Press> std::string WhileHeld(Press press)
	{
		press(true);
		Pump();
		std::string down = KeysDown();
		press(false);
		Pump();
		EXPECT_EQ(KeysDown(), "") << "after holding " << down;
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
		auto button = [&](int raw) { return WhileHeld([&](bool down) { PlatformTestPadButton(pad, raw, down); }); };
		EXPECT_EQ(button(layout->a), Keys({KEY_SPACE, KEY_ENTER}));
		EXPECT_EQ(button(layout->b), Keys({KEY_ESCAPE}));
		EXPECT_EQ(button(layout->x), Keys({KEY_E}));
		EXPECT_EQ(button(layout->y), "");
		EXPECT_EQ(button(layout->back), Keys({KEY_BACKSPACE}));
		EXPECT_EQ(button(layout->start), Keys({KEY_ESCAPE}));
		EXPECT_EQ(button(layout->leftShoulder), Keys({KEY_PAGE_DOWN}));
		EXPECT_EQ(button(layout->rightShoulder), Keys({KEY_PAGE_UP}));
		const unsigned char keys[4] = {KEY_W, KEY_S, KEY_A, KEY_D};
		for (int d = 0; d < 4; ++d)
		{
			EXPECT_EQ(WhileHeld([&](bool down) { DPad(*layout, pad, d, down); }), Keys({keys[d]})) << d;
			// left stick: x is axis 0, y (growing downwards) axis 1
			const int axis = d < 2 ? 1 : 0, value = d % 2 ? 20000 : -20000;
			EXPECT_EQ(WhileHeld([&](bool down) { PlatformTestPadAxis(pad, axis, down ? value : 0); }), Keys({keys[d]}));
		}
		// The right stick and the triggers stand for nothing.
		EXPECT_EQ(WhileHeld([&](bool down) {
			for (int axis : {2, 3, 4, 5})
				PlatformTestPadAxis(pad, axis, down ? 32767 : 0);
		}), "");
		PlatformTestPadDetach(pad);
		Pump();
	}
}

TEST_F(Gamepad, StickPressesPastItsDeadZoneAndDiagonalsHoldTwoKeys)
{
	const int pad = Attach(kSdlOrder);
	// The left stick's x and whether D is held: a nudge inside the dead zone or short of the
	// press point does nothing; once pressed, D holds until the stick is back in the dead zone.
	const struct { int x; bool held; } steps[] = {
		{7000, false}, {12000, false}, {17000, true}, {12000, true}, {9000, true}, {7000, false}, {-7000, false}};
	for (const auto& step : steps)
	{
		PlatformTestPadAxis(pad, 0, step.x);
		Pump();
		EXPECT_EQ(KeysDown(), step.held ? Keys({KEY_D}) : "") << step.x;
	}
	PlatformTestPadAxis(pad, 0, -23170);   // up and left at 45 degrees
	PlatformTestPadAxis(pad, 1, -23170);
	Pump();
	EXPECT_EQ(KeysDown(), Keys({KEY_W, KEY_A}));
	PlatformTestPadAxis(pad, 0, -32768);   // both ends of the axes
	PlatformTestPadAxis(pad, 1, 32767);
	Pump();
	EXPECT_EQ(KeysDown(), Keys({KEY_S, KEY_A}));
}

TEST_F(Gamepad, KeyboardAndPadHoldingOneKeyReleaseItOnlyWhenBothLetGo)
{
	const int pad = Attach(kSdlOrder);
	const int kScanW = 26, kScanSpace = 44, kScanEsc = 41;

	// W on the keyboard, then on the D-pad; the keyboard lets go first.
	PlatformPushKeyEvent(kScanW, true);
	DPad(kSdlOrder, pad, 0, true);
	Pump();
	PlatformPushKeyEvent(kScanW, false);
	Pump();
	EXPECT_TRUE(KEInputCheckCurr(KEY_W) && !KEInputCheckReleased(KEY_W));
	DPad(kSdlOrder, pad, 0, false);
	Pump();
	EXPECT_TRUE(KEInputCheckReleased(KEY_W));

	// A on the pad, then Space on the keyboard; the pad lets go first: Enter goes, Space stays.
	PlatformTestPadButton(pad, kSdlOrder.a, true);
	Pump();
	PlatformPushKeyEvent(kScanSpace, true);
	Pump();
	EXPECT_FALSE(KEInputCheckTriggered(KEY_SPACE));   // already held
	PlatformTestPadButton(pad, kSdlOrder.a, false);
	Pump();
	EXPECT_EQ(KeysDown(), Keys({KEY_SPACE}));
	PlatformPushKeyEvent(kScanSpace, false);
	Pump();
	EXPECT_EQ(KeysDown(), "");

	// Several inputs on one key: stick and D-pad on W; B, Start and the keyboard on Esc.
	PlatformTestPadAxis(pad, 1, -30000);
	DPad(kSdlOrder, pad, 0, true);
	PlatformTestPadButton(pad, kSdlOrder.b, true);
	PlatformTestPadButton(pad, kSdlOrder.start, true);
	PlatformPushKeyEvent(kScanEsc, true);
	Pump();
	PlatformTestPadAxis(pad, 1, 0);
	PlatformTestPadButton(pad, kSdlOrder.b, false);
	PlatformPushKeyEvent(kScanEsc, false);
	Pump();
	EXPECT_EQ(KeysDown(), Keys({KEY_W, KEY_ESCAPE}));
	DPad(kSdlOrder, pad, 0, false);
	PlatformTestPadButton(pad, kSdlOrder.start, false);
	Pump();
	EXPECT_EQ(KeysDown(), "");
}

TEST_F(Gamepad, OneControllerAtATimeAndUnpluggingReleasesWhatItHeld)
{
	const int first = Attach(kXbox360);
	PlatformTestPadButton(first, kXbox360.a, true);
	PlatformTestPadAxis(first, 0, 30000);
	Pump();
	ASSERT_EQ(KeysDown(), Keys({KEY_SPACE, KEY_ENTER, KEY_D}));

	// A second controller waits while the first is in use.
	const int second = Attach(kDualShock4);
	EXPECT_STREQ(PlatformGamepadName(), kXbox360.name);
	PlatformTestPadButton(second, kDualShock4.x, true);
	Pump();
	EXPECT_FALSE(KEInputCheckCurr(KEY_E));
	PlatformTestPadButton(second, kDualShock4.x, false);

	// Unplugged with A and the stick held: nothing stays held, and the second one takes over.
	PlatformTestPadDetach(first);
	Pump();
	EXPECT_EQ(KeysDown(), "");
	EXPECT_TRUE(KEInputCheckReleased(KEY_SPACE) && KEInputCheckReleased(KEY_D));
	EXPECT_STREQ(PlatformGamepadName(), kDualShock4.name);
	EXPECT_EQ(WhileHeld([&](bool down) { PlatformTestPadButton(second, kDualShock4.x, down); }), Keys({KEY_E}));
	PlatformTestPadDetach(second);
	Pump();
	EXPECT_STREQ(PlatformGamepadName(), "");

	// Plugged in again, it works again; a removal whose releases never came still lets go.
	const int again = Attach(kXbox360);
	PlatformTestPadButton(again, kXbox360.back, true);
	Pump();
	EXPECT_EQ(KeysDown(), Keys({KEY_BACKSPACE}));
	PlatformTestPadPushRemoval(again);
	Pump();
	EXPECT_EQ(KeysDown(), "");
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
	}), "");
	EXPECT_STREQ(PlatformGamepadName(), "");
}

namespace
{
// What a frame of the game shows, enough to tell apart anything the input could change.
std::string Observe()
{
	char text[400];
	int n = std::snprintf(text, sizeof text, "state %u>%u paused %d muted %d volume %.3f", gKEGameStateCurr,
	                      gKEGameStateNext, (int)gPaused, (int)gMuted, gSoundManager->music.volume);
	if (const Pause* pause = GamePauseMenu(); gPaused)
		n += std::snprintf(text + n, sizeof text - n, " | pause %d %d %d %d %d", pause->page, pause->mainSelection,
		                   pause->howToPage, pause->confirmSelection, pause->optionSelection);
	if (gKEGameStateCurr == STATE_MENU && gMenu)
		n += std::snprintf(text + n, sizeof text - n, " | menu %d %d %d", gMenu->page, gMenu->selection,
		                   gMenu->levelSelection);
	if (const LevelModule* level = GetLevelModule(gKEGameStateCurr); level && level->player)
		std::snprintf(text + n, sizeof text - n, " | player %.3f %.3f hack %d servers %d lives %d hidden %d",
		              level->player->position.x, level->player->position.y, level->player->hackCounter,
		              level->player->serversHacked, level->player->lives, (int)level->player->hidden);
	return text;
}

// Holds a script's keys: on the keyboard (pushed key events) when pad < 0, else on an Xbox
// 360 pad: one direction on the D-pad, two on the stick, Esc on Start in play and on B in the
// pause menu.
void Hold(int pad, const std::set<unsigned char>& keys, std::set<unsigned char>& held)
{
	auto has = [&](unsigned char vk) { return keys.count(vk) != 0; };
	const struct { unsigned char vk; int scan, button; } kInputs[] = {
		{KEY_W, 26, -1}, {KEY_A, 4, -1}, {KEY_S, 22, -1}, {KEY_D, 7, -1}, {KEY_SPACE, 44, -1},
		{KEY_ENTER, 40, -1}, {KEY_E, 8, kXbox360.x}, {KEY_ESCAPE, 41, -1}, {KEY_BACKSPACE, 42, kXbox360.back},
		{KEY_PAGE_UP, 75, kXbox360.rightShoulder}, {KEY_PAGE_DOWN, 78, kXbox360.leftShoulder}};
	size_t known = 0;
	for (const auto& input : kInputs)
	{
		known += keys.count(input.vk);
		if (pad < 0 && has(input.vk) != (held.count(input.vk) != 0))
			PlatformPushKeyEvent(input.scan, has(input.vk));
		if (pad >= 0 && input.button >= 0)
			PlatformTestPadButton(pad, input.button, has(input.vk));
	}
	EXPECT_EQ(known, keys.size()) << "a key without a pad input";
	if (pad >= 0)
	{
		const int x = has(KEY_D) - has(KEY_A), y = has(KEY_S) - has(KEY_W);
		PlatformTestPadAxis(pad, 0, x && y ? x * 23170 : 0);
		PlatformTestPadAxis(pad, 1, x && y ? y * 23170 : 0);
		PlatformTestPadHat(pad, x && y ? 0 : (y < 0) * 1 + (x > 0) * 2 + (y > 0) * 4 + (x < 0) * 8);
		PlatformTestPadButton(pad, kXbox360.a, has(KEY_SPACE) || has(KEY_ENTER));
		static bool escOnB = false;
		if (has(KEY_ESCAPE) && !held.count(KEY_ESCAPE))
			escOnB = gPaused;
		PlatformTestPadButton(pad, kXbox360.b, has(KEY_ESCAPE) && escOnB);
		PlatformTestPadButton(pad, kXbox360.start, has(KEY_ESCAPE) && !escOnB);
	}
	held = keys;
}

// Plays a script through the real loop, as the program does, and records every frame.
std::vector<std::string> Play(const Replay& script, int pad)
{
	// What one run leaves for the next: the curtains keep their timers (later curtains are
	// shorter), the pause menu its option selection, the sound its volumes. Every run starts
	// where the first did.
	static std::vector<float> curtains;
	static const int option = GamePauseMenu()->optionSelection;
	for (int i = 0; i < 8; ++i)
	{
		Transitation& c = gLevelTransitions[i];
		if ((int)curtains.size() < 5 * 8)
			curtains.insert(curtains.end(), {c.slideTimer, c.holdTimer, (float)c.covered, (float)c.idle, (float)c.finished});
		const float* kept = &curtains[5 * i];
		c.slideTimer = kept[0], c.holdTimer = kept[1], c.covered = kept[2], c.idle = kept[3], c.finished = kept[4];
	}
	GamePauseMenu()->optionSelection = option;
	for (SoundSlot* slot : {&gSoundManager->music, &gSoundManager->spareA, &gSoundManager->alarm,
	                        &gSoundManager->effects, &gSoundManager->hack, &gSoundManager->spareB})
		slot->volume = slot->maxVolume;
	gSoundManager->ducked = gPaused = gMuted = false;
	gSplashDone = true;

	KEGameStateMgrInit(script.start);
	std::set<unsigned char> held;
	std::vector<std::string> frames;
	GameBeginState();
	for (const ReplayStep& step : script.steps)
		for (int f = 0; f < step.frames; ++f)
		{
			Hold(pad, std::set<unsigned char>(step.keys.begin(), step.keys.end()), held);
			// Pumped now, the keys count from this frame on, as a replay's do; the cursor lies
			// over nothing, wherever the X server's pointer is.
			KESysUpdate();
			HarnessSetCursor(0, 0);
			GameRunFrame();
			frames.push_back(Observe());
			if (gKEGameStateCurr != gKEGameStateNext)
				GameEndState(), GameBeginState();
		}
	Hold(pad, {}, held);
	gKEGameStateNext = STATE_MENU;
	GameRunFrame();   // the pump takes the last releases
	GameEndState();
	return frames;
}

// Plays the script with either hand; returns the keyboard's frames.
std::vector<std::string> ExpectSamePlay(const char* text, const char* file = nullptr)
{
	Replay script;
	std::string error;
	EXPECT_TRUE(file ? ReplayLoad(file, &script, &error) : ReplayParse(text, &script, &error)) << error;
	const std::vector<std::string> keyboard = Play(script, -1);
	const int pad = PlatformTestPadAttach(kXbox360.name, kXbox360.vendor, kXbox360.product, false);
	KESysUpdate();   // plugged in before the first frame
	const std::vector<std::string> padded = Play(script, pad);
	PlatformTestPadDetach(pad);
	EXPECT_EQ(keyboard.size(), padded.size());
	for (size_t f = 0; f < keyboard.size() && f < padded.size(); ++f)
		if (padded[f] != keyboard[f])
		{
			ADD_FAILURE() << "frame " << f << "\n  keyboard: " << keyboard[f] << "\n  pad:      " << padded[f];
			break;
		}
	// The last frame asks for the state the script expects.
	EXPECT_TRUE(!keyboard.empty() && keyboard.back().find(">" + std::to_string(script.expect) + " ") != std::string::npos);
	return keyboard;
}

class GamepadPlay : public testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(StartEngine());
		static bool started = (GameStartUp(), true);
		ASSERT_TRUE(started);
	}
};
} // namespace

TEST_F(GamepadPlay, TheLightTutorialIsWonFrameForFrameAsWithTheKeyboard)
{
	// Walking straight and diagonally, hacking, switching the lamp with E, to the win screen.
	ExpectSamePlay(nullptr, "replays/lightTutorial.txt");
}

TEST_F(GamepadPlay, MenusPauseAndVolumeAnswerThePadAsTheKeys)
{
	// The main menu to the level select and back, New game, a walk; the pause menu through its
	// option page to mute; volume down and up; Space, Backspace and E where they do nothing;
	// quit through the confirmation. The pause menu takes input once it has opened (60 frames).
	std::string script = "start 0|expect 0|20 -|1 S|10 -|1 Enter|30 -|1 D|10 -|1 Esc|30 -|1 W|10 -|1 Enter|60 -|"
	                     "20 D|10 D S|1 Esc|60 -|1 S|10 -|1 S|10 -|1 Enter|60 -|1 Enter|20 -|1 S|10 -|1 Enter|60 -|"
	                     "1 Esc|60 -|55 PageDown|30 -|10 PageUp|10 -|30 A|70 Space|1 Backspace|1 E|30 -|"
	                     "1 Esc|60 -|1 W|10 -|1 Enter|60 -|1 Enter|120 -|";
	for (char& c : script)
		c = c == '|' ? '\n' : c;
	const std::vector<std::string> frames = ExpectSamePlay(script.c_str());

	// The script does what it says, so the two runs agree on something.
	auto seen = [&](const char* text) {
		for (const std::string& frame : frames)
			if (frame.find(text) != std::string::npos)
				return true;
		return false;
	};
	EXPECT_TRUE(seen("| menu 1 1 0"));               // the level select
	EXPECT_TRUE(seen("state 6>6 paused 1"));         // New game, then paused
	EXPECT_TRUE(seen("paused 0 muted 1 volume 0.3"));   // muted in the pause menu, volume down
}
