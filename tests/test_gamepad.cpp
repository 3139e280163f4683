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
	int         dpad[4];    // buttons up, down, left, right; -1: the hat
};
const Layout kSdlOrder = {"Test Pad", 0x1209, 0x0001, true, 0, 1, 2, 3, 4, 6, 9, 10, {11, 12, 13, 14}};
const Layout kXbox360 = {"Xbox 360 Controller", 0x045e, 0x028e, false, 0, 1, 2, 3, 6, 7, 4, 5, {-1, -1, -1, -1}};
const Layout kDualShock4 = {"PS4 Controller", 0x054c, 0x05c4, false, 0, 1, 3, 2, 8, 9, 4, 5, {-1, -1, -1, -1}};
const int    kHatBits[4] = {1, 4, 8, 2};   // up, down, left, right

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

std::string Keys(std::initializer_list<unsigned char> keys)
{
	std::set<unsigned char> sorted(keys);
	std::string text;
	for (unsigned char vk : sorted)
		text += (text.empty() ? "" : " ") + std::to_string(vk);
	return text;
}

void DPad(const Layout& layout, int pad, int direction, bool down)
{
	if (layout.dpad[direction] >= 0)
		PlatformTestPadButton(pad, layout.dpad[direction], down);
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
		int pad = PlatformTestPadAttach(layout.name, layout.vendor, layout.product, layout.standard);
		pads.push_back(pad);
		Pump();
		return pad;
	}

	std::vector<int> pads;
};
} // namespace

TEST_F(Gamepad, EveryBindingOfThreeLayoutsReachesTheKeyTableAndNothingElse)
{
	for (const Layout* layout : {&kSdlOrder, &kXbox360, &kDualShock4})
	{
		SCOPED_TRACE(layout->name);
		int pad = Attach(*layout);
		ASSERT_GE(pad, 0);
		EXPECT_STREQ(PlatformGamepadName(), layout->name);

		struct { int button; std::string keys; } buttons[] = {
			{layout->a, Keys({KEY_SPACE, KEY_ENTER})}, {layout->b, Keys({KEY_ESCAPE})},
			{layout->x, Keys({KEY_E})},                {layout->back, Keys({KEY_BACKSPACE})},
			{layout->start, Keys({KEY_ESCAPE})},       {layout->leftShoulder, Keys({KEY_PAGE_DOWN})},
			{layout->rightShoulder, Keys({KEY_PAGE_UP})},
		};
		for (const auto& b : buttons)
		{
			PlatformTestPadButton(pad, b.button, true);
			Pump();
			EXPECT_EQ(KeysDown(), b.keys) << "raw button " << b.button;
			PlatformTestPadButton(pad, b.button, false);
			Pump();
			EXPECT_EQ(KeysDown(), "") << "raw button " << b.button;
		}
		const unsigned char directions[4] = {KEY_W, KEY_S, KEY_A, KEY_D};
		for (int d = 0; d < 4; ++d)
		{
			DPad(*layout, pad, d, true);
			Pump();
			EXPECT_EQ(KeysDown(), Keys({directions[d]})) << "D-pad " << d;
			DPad(*layout, pad, d, false);
			Pump();
			EXPECT_EQ(KeysDown(), "") << "D-pad " << d;

			const int axis = d < 2 ? 1 : 0, sign = d % 2 ? 1 : -1;   // left stick: x is axis 0, y (down) 1
			PlatformTestPadAxis(pad, axis, sign * 20000);
			Pump();
			EXPECT_EQ(KeysDown(), Keys({directions[d]})) << "stick " << d;
			PlatformTestPadAxis(pad, axis, 0);
			Pump();
			EXPECT_EQ(KeysDown(), "") << "stick " << d;
		}
		// The right stick, the triggers and Y stand for nothing.
		for (int axis : {2, 3, 4, 5})
			PlatformTestPadAxis(pad, axis, 32767);
		PlatformTestPadButton(pad, layout->y, true);
		Pump();
		EXPECT_EQ(KeysDown(), "");
		PlatformTestPadDetach(pad);
		Pump();
	}
}

TEST_F(Gamepad, StickPressesPastItsDeadZoneAndDiagonalsHoldTwoKeys)
{
	int pad = Attach(kSdlOrder);
	// value of the left stick's x -> whether D is held: a nudge inside the dead zone or short of
	// the press point does nothing; once pressed it holds until back inside the dead zone.
	const struct { int x; bool held; } steps[] = {
		{7000, false}, {12000, false}, {17000, true}, {12000, true}, {9000, true}, {7000, false}, {-7000, false},
	};
	for (const auto& step : steps)
	{
		PlatformTestPadAxis(pad, 0, step.x);
		Pump();
		EXPECT_EQ(KEInputCheckCurr(KEY_D), step.held) << step.x;
		EXPECT_FALSE(KEInputCheckCurr(KEY_A)) << step.x;
	}
	PlatformTestPadAxis(pad, 0, -23170);   // up and left at 45 degrees
	PlatformTestPadAxis(pad, 1, -23170);
	Pump();
	EXPECT_EQ(KeysDown(), Keys({KEY_W, KEY_A}));
	PlatformTestPadAxis(pad, 0, -32768);   // the far end of the axis
	PlatformTestPadAxis(pad, 1, 32767);
	Pump();
	EXPECT_EQ(KeysDown(), Keys({KEY_S, KEY_A}));
}

TEST_F(Gamepad, KeyboardAndPadHoldingOneKeyReleaseItOnlyWhenBothLetGo)
{
	int pad = Attach(kSdlOrder);
	const int kScanW = 26, kScanSpace = 44, kScanEsc = 41;

	// Keyboard first, then the D-pad; the keyboard lets go first.
	PlatformPushKeyEvent(kScanW, true);
	PlatformTestPadButton(pad, kSdlOrder.dpad[0], true);
	Pump();
	PlatformPushKeyEvent(kScanW, false);
	Pump();
	EXPECT_TRUE(KEInputCheckCurr(KEY_W));
	EXPECT_FALSE(KEInputCheckReleased(KEY_W));
	PlatformTestPadButton(pad, kSdlOrder.dpad[0], false);
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

	// Two pad inputs on one key: the stick and the D-pad on W, B and Start on Esc, and Esc
	// on the keyboard too.
	PlatformTestPadAxis(pad, 1, -30000);
	PlatformTestPadButton(pad, kSdlOrder.dpad[0], true);
	PlatformTestPadButton(pad, kSdlOrder.b, true);
	PlatformTestPadButton(pad, kSdlOrder.start, true);
	PlatformPushKeyEvent(kScanEsc, true);
	Pump();
	PlatformTestPadAxis(pad, 1, 0);
	PlatformTestPadButton(pad, kSdlOrder.b, false);
	PlatformPushKeyEvent(kScanEsc, false);
	Pump();
	EXPECT_EQ(KeysDown(), Keys({KEY_W, KEY_ESCAPE}));
	PlatformTestPadButton(pad, kSdlOrder.dpad[0], false);
	PlatformTestPadButton(pad, kSdlOrder.start, false);
	Pump();
	EXPECT_EQ(KeysDown(), "");
}

TEST_F(Gamepad, OneControllerAtATimeAndUnpluggingReleasesWhatItHeld)
{
	int first = Attach(kXbox360);
	PlatformTestPadButton(first, kXbox360.a, true);
	PlatformTestPadAxis(first, 0, 30000);
	Pump();
	ASSERT_EQ(KeysDown(), Keys({KEY_SPACE, KEY_ENTER, KEY_D}));

	// A second controller waits while the first is in use.
	int second = Attach(kDualShock4);
	EXPECT_STREQ(PlatformGamepadName(), kXbox360.name);
	PlatformTestPadButton(second, kDualShock4.x, true);
	Pump();
	EXPECT_FALSE(KEInputCheckCurr(KEY_E));
	PlatformTestPadButton(second, kDualShock4.x, false);
	Pump();

	// Unplugged with A and the stick held: nothing stays held, and the second one takes over.
	PlatformTestPadDetach(first);
	Pump();
	EXPECT_EQ(KeysDown(), "");
	EXPECT_TRUE(KEInputCheckReleased(KEY_SPACE) && KEInputCheckReleased(KEY_D));
	EXPECT_STREQ(PlatformGamepadName(), kDualShock4.name);
	PlatformTestPadButton(second, kDualShock4.x, true);
	Pump();
	EXPECT_EQ(KeysDown(), Keys({KEY_E}));
	PlatformTestPadDetach(second);
	Pump();
	EXPECT_EQ(KeysDown(), "");
	EXPECT_STREQ(PlatformGamepadName(), "");

	// Plugged in again, it works again.
	int again = Attach(kXbox360);
	PlatformTestPadButton(again, kXbox360.back, true);
	Pump();
	EXPECT_EQ(KeysDown(), Keys({KEY_BACKSPACE}));

	// A removal whose releases never came still lets go.
	PlatformTestPadPushRemoval(again);
	Pump();
	EXPECT_EQ(KeysDown(), "");
	EXPECT_STREQ(PlatformGamepadName(), "");
}

TEST_F(Gamepad, ADeviceSdlDoesNotKnowIsIgnoredWithOneLine)
{
	testing::internal::CaptureStdout();
	int pad = Attach({"Mystery Stick", 0x1209, 0x7777, false, 0, 1, 2, 3, 4, 5, 6, 7, {-1, -1, -1, -1}});
	for (int button = 0; button < 13; ++button)
		PlatformTestPadButton(pad, button, true);
	PlatformTestPadAxis(pad, 0, 30000);
	PlatformTestPadHat(pad, 1);
	Pump();
	fflush(stdout);
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "Gamepad: Mystery Stick is not a controller SDL knows; ignored\n");
	EXPECT_EQ(KeysDown(), "");
	EXPECT_STREQ(PlatformGamepadName(), "");
}

namespace
{
// What a frame of the game shows, enough to tell apart anything the input could change.
std::string Observe()
{
	char text[400];
	int n = std::snprintf(text, sizeof text, "state %u>%u paused %d muted %d volume %.3f", gKEGameStateCurr,
	                      gKEGameStateNext, (int)gPaused, (int)gMuted, gSoundManager ? gSoundManager->music.volume : 0.0f);
	if (const Pause* pause = GamePauseMenu(); pause && gPaused)
		n += std::snprintf(text + n, sizeof text - n, " | pause page %d %d %d %d %d", pause->page, pause->mainSelection,
		                   pause->howToPage, pause->confirmSelection, pause->optionSelection);
	if (gKEGameStateCurr == STATE_MENU && gMenu)
		n += std::snprintf(text + n, sizeof text - n, " | menu page %d %d %d", gMenu->page, gMenu->selection,
		                   gMenu->levelSelection);
	if (const LevelModule* level = GetLevelModule(gKEGameStateCurr); level && level->player)
	{
		const Player* p = level->player;
		std::snprintf(text + n, sizeof text - n, " | player %.3f %.3f hack %d servers %d lives %d hidden %d",
		              p->position.x, p->position.y, p->hackCounter, p->serversHacked, p->lives, (int)p->hidden);
	}
	return text;
}

// Holds a script's keys on the keyboard (pushed key events) or on an Xbox 360 pad.
class Hands
{
public:
	explicit Hands(int pad) : pad(pad) {}

	void Hold(const std::set<unsigned char>& keys)
	{
		if (pad < 0)
			Keyboard(keys);
		else
			Pad(keys);
		held = keys;
	}

private:
	void Keyboard(const std::set<unsigned char>& keys)
	{
		static const struct { unsigned char vk; int scan; } kScans[] = {
			{KEY_W, 26}, {KEY_A, 4}, {KEY_S, 22}, {KEY_D, 7}, {KEY_SPACE, 44}, {KEY_ENTER, 40}, {KEY_E, 8},
			{KEY_ESCAPE, 41}, {KEY_BACKSPACE, 42}, {KEY_PAGE_UP, 75}, {KEY_PAGE_DOWN, 78}};
		for (const auto& k : kScans)
			if (keys.count(k.vk) != held.count(k.vk))
				PlatformPushKeyEvent(k.scan, keys.count(k.vk) != 0);
	}

	// One direction on the D-pad, two on the stick; Esc on Start in play, on B in the pause menu.
	void Pad(const std::set<unsigned char>& keys)
	{
		for (unsigned char vk : keys)
			if (!std::set<unsigned char>{KEY_W, KEY_A, KEY_S, KEY_D, KEY_SPACE, KEY_ENTER, KEY_E, KEY_ESCAPE,
			                             KEY_BACKSPACE, KEY_PAGE_UP, KEY_PAGE_DOWN}.count(vk))
				ADD_FAILURE() << "no pad input for key " << (int)vk;
		const int x = keys.count(KEY_D) - keys.count(KEY_A), y = keys.count(KEY_S) - keys.count(KEY_W);
		const bool diagonal = x && y;
		PlatformTestPadAxis(pad, 0, diagonal ? x * 23170 : 0);
		PlatformTestPadAxis(pad, 1, diagonal ? y * 23170 : 0);
		PlatformTestPadHat(pad, diagonal ? 0 : (y < 0) * 1 + (x > 0) * 2 + (y > 0) * 4 + (x < 0) * 8);

		if (keys.count(KEY_ESCAPE) && !held.count(KEY_ESCAPE))
			escButton = gPaused ? kXbox360.b : kXbox360.start;
		const struct { int button; bool down; } buttons[] = {
			{kXbox360.a, keys.count(KEY_SPACE) || keys.count(KEY_ENTER)}, {kXbox360.x, keys.count(KEY_E) != 0},
			{kXbox360.b, keys.count(KEY_ESCAPE) && escButton == kXbox360.b},
			{kXbox360.start, keys.count(KEY_ESCAPE) && escButton == kXbox360.start},
			{kXbox360.back, keys.count(KEY_BACKSPACE) != 0}, {kXbox360.rightShoulder, keys.count(KEY_PAGE_UP) != 0},
			{kXbox360.leftShoulder, keys.count(KEY_PAGE_DOWN) != 0}};
		for (const auto& b : buttons)
			PlatformTestPadButton(pad, b.button, b.down);
	}

	int                     pad;
	int                     escButton = -1;
	std::set<unsigned char> held;
};

// Plays a script through the real loop, as the program does, and records every frame.
std::vector<std::string> Play(const Replay& script, int pad)
{
	// What one run leaves for the next: the curtains keep their timers (later curtains are
	// shorter) and the pause menu its option selection. Every run starts where the first did.
	struct Kept { float slide, hold; bool covered, idle, finished; };
	static std::vector<Kept> curtains;
	static const int option = GamePauseMenu()->optionSelection;
	if (curtains.empty())
		for (const Transitation& c : gLevelTransitions)
			curtains.push_back({c.slideTimer, c.holdTimer, c.covered, c.idle, c.finished});
	for (int i = 0; i < (int)curtains.size(); ++i)
	{
		Transitation& c = gLevelTransitions[i];
		c.slideTimer = curtains[i].slide, c.holdTimer = curtains[i].hold;
		c.covered = curtains[i].covered, c.idle = curtains[i].idle, c.finished = curtains[i].finished;
	}
	GamePauseMenu()->optionSelection = option;
	gSplashDone = true;
	gPaused = gMuted = false;
	for (SoundSlot* slot : {&gSoundManager->music, &gSoundManager->spareA, &gSoundManager->alarm,
	                        &gSoundManager->effects, &gSoundManager->hack, &gSoundManager->spareB})
		slot->volume = slot->maxVolume;
	gSoundManager->ducked = false;
	KEGameStateMgrInit(script.start);
	Hands hands(pad);
	std::vector<std::string> frames;
	GameBeginState();
	for (const ReplayStep& step : script.steps)
	{
		EXPECT_FALSE(step.moveCursor) << "scripts here hold keys only";
		for (int f = 0; f < step.frames; ++f)
		{
			hands.Hold(std::set<unsigned char>(step.keys.begin(), step.keys.end()));
			// Pumped now, the keys count from this frame on, as a replay's do; the cursor lies
			// over nothing, wherever the X server's pointer is.
			KESysUpdate();
			HarnessSetCursor(0, 0);
			GameRunFrame();
			frames.push_back(Observe());
			if (gKEGameStateCurr != gKEGameStateNext)
			{
				GameEndState();
				GameBeginState();
			}
		}
	}
	hands.Hold({});
	gKEGameStateNext = STATE_MENU;
	GameRunFrame();   // the pump takes the last releases
	GameEndState();
	return frames;
}

// The keyboard's frames, after comparing them with the pad's.
std::vector<std::string> ExpectSamePlay(const Replay& script)
{
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
	// The script ends where it should (the last frame asks for the state it expects).
	EXPECT_TRUE(!keyboard.empty() && keyboard.back().find(">" + std::to_string(script.expect) + " ") != std::string::npos)
		<< (keyboard.empty() ? "" : keyboard.back());
	return keyboard;
}

bool Seen(const std::vector<std::string>& frames, const std::string& text)
{
	for (const std::string& frame : frames)
		if (frame.find(text) != std::string::npos)
			return true;
	return false;
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
	Replay replay;
	std::string error;
	ASSERT_TRUE(ReplayLoad("replays/lightTutorial.txt", &replay, &error)) << error;
	ExpectSamePlay(replay);
}

TEST_F(GamepadPlay, MenusPauseAndVolumeAnswerThePadAsTheKeys)
{
	// Main menu to the level select and back, New game, a walk, the pause menu through its
	// option page and mute, volume down and up, a hack attempt, Backspace and E where they
	// mean nothing, then quit through the confirmation.
	const char* script = R"(start 0
expect 0
20 -
1 S
10 -
1 Enter
30 -
1 D
10 -
1 Esc
30 -
1 W
10 -
1 Enter
60 -
20 D
10 D S
1 Esc
60 -
1 S
10 -
1 S
10 -
1 Enter
60 -
1 Enter
20 -
1 S
10 -
1 Enter
60 -
1 Esc
60 -
55 PageDown
30 -
10 PageUp
10 -
30 A
70 Space
1 Backspace
1 E
30 -
1 Esc
60 -
1 W
10 -
1 Enter
60 -
1 Enter
120 -
)";
	Replay replay;
	std::string error;
	ASSERT_TRUE(ReplayParse(script, &replay, &error)) << error;
	const std::vector<std::string> frames = ExpectSamePlay(replay);
	// The script does what it says, so the two runs agree on something.
	EXPECT_TRUE(Seen(frames, "| menu page 1"));
	EXPECT_TRUE(Seen(frames, "state 6>6 paused 1"));
	EXPECT_TRUE(Seen(frames, "muted 1"));
	EXPECT_TRUE(Seen(frames, "paused 0 muted 1 volume 0.3"));
}
