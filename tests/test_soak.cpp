// Every level and tutorial played for many frames of seeded random input through the real
// main loop on the virtual clock: held and tapped keys, the cursor, idle spells, the pause
// menu, catches, wins and losses, P back to the menu and in again. After every frame every
// object of the running level must have finite numbers, and the player and the guards must
// stand inside their level. The suite plays a short run; scripts/soak sets
// NULLVANE_SOAK_FRAMES (frames per level) and NULLVANE_SOAK_SEED for the long one.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameObject.h"
#include "GameStates.h"
#include "Guard.h"
#include "KEGameStateMgr.h"
#include "KESystem.h"
#include "Keys.h"
#include "LevelData.h"
#include "LevelState.h"
#include "Player.h"
#include "Window.h"

namespace
{
long EnvNumber(const char* name, long fallback)
{
	const char* text = std::getenv(name);
	char* end = nullptr;
	long value = text ? std::strtol(text, &end, 10) : 0;
	return text && *text && !*end && value > 0 ? value : fallback;
}

// How a key behaves: held keys go down with one chance in `on` per frame and up again with
// one in `off`; tapped keys (off = 0) are down for a single frame.
struct KeyHabit
{
	unsigned char key;
	int           on;
	int           off;
};

// F11 is left out: full screen on the virtual X server is slow and shows nothing new.
const KeyHabit kHabits[] = {
	{KEY_W, 40, 20},         {KEY_A, 40, 20},          {KEY_S, 40, 20},        {KEY_D, 40, 20},
	{0x25, 300, 20},         {KEY_UP, 300, 20},        {0x27, 300, 20},        {0x28, 300, 20},
	{KEY_SPACE, 120, 70},    {KEY_PAGE_UP, 900, 20},   {KEY_PAGE_DOWN, 900, 20},
	{KEY_BACKSPACE, 300, 30},
	{KEY_E, 90, 0},          {KEY_ENTER, 250, 0},      {KEY_ESCAPE, 500, 0},   {KEY_P, 2500, 0},
	{KEY_MOUSE_LEFT, 150, 0}, {KEY_MOUSE_RIGHT, 400, 0}, {KEY_O, 3000, 0},
};
const int kHabitCount = sizeof kHabits / sizeof kHabits[0];

bool Finite(const KEVec2& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

std::string Describe(const char* what, int index, const KEVec2& v)
{
	char text[160];
	std::snprintf(text, sizeof text, "%s %d at (%g, %g)", what, index, v.x, v.y);
	return text;
}

// What is wrong with the running level, or "" when nothing is.
std::string Fault(const LevelModule& level)
{
	for (size_t i = 0; i < level.objectList.size(); ++i)
	{
		const GameObject* o = level.objectList[i];
		if (!Finite(o->position) || !Finite(o->velocity) || !std::isfinite(o->rotation) ||
		    !Finite(o->boundingBox.min) || !Finite(o->boundingBox.max))
			return Describe("a number that is not finite: object", (int)i, o->position);
	}
	if (level.mapColumns == 0 || level.mapRows == 0)
		return "";   // no map: nothing to stand inside
	const float right = level.mapColumns * level.cellSize, top = level.mapRows * level.cellSize;
	auto inside = [&](const KEVec2& p) { return p.x >= 0.0f && p.y >= 0.0f && p.x <= right && p.y <= top; };
	if (!inside(level.player->position))
		return Describe("outside the level: the player", 0, level.player->position);
	for (size_t i = 0; i < level.guards.size(); ++i)
	{
		const BasicGuard* guard = level.guards[i];
		if (!inside(guard->position))
			return Describe("outside the level: guard", (int)i, guard->position);
		for (const KEVec2& point : guard->path)
			if (!Finite(point))
				return Describe("a route point that is not finite: guard", (int)i, point);
	}
	return "";
}

struct Tally
{
	long frames = 0, inLevel = 0, inMenu = 0, onEndScreens = 0, paused = 0;
	int  catches = 0, wins = 0, losses = 0, pauses = 0, menuVisits = 0, forcedReturns = 0;
};

class Soak : public testing::TestWithParam<unsigned int>
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		static bool started = false;
		if (!started)
		{
			GameStartUp(), started = true;
			// The soak looks for crashes and bad numbers, not pictures: every draw call still
			// runs, but the software rasterizer fills a few pixels instead of the window.
			glEnable(GL_SCISSOR_TEST);
			glScissor(0, 0, 4, 4);
		}
		PlatformInputClearKeys();
		gPaused = false;
	}

	unsigned Roll(unsigned n) { return (unsigned)(random() % n); }
	bool     Chance(int n) { return n > 0 && Roll((unsigned)n) == 0; }

	// This frame's keys and cursor.
	void Feed()
	{
		if (idle > 0)
		{
			--idle;
			PlatformInputClearKeys();
			return;
		}
		if (Chance(1500))
			idle = 30 + (int)Roll(570);   // the player looks away for a while
		for (int i = 0; i < kHabitCount; ++i)
		{
			const KeyHabit& h = kHabits[i];
			if (h.key == KEY_ESCAPE && gPaused)
				down[i] = Chance(120);   // the pause menu is left sooner than it is opened
			else if (h.off == 0)
				down[i] = Chance(h.on);
			else
				down[i] = down[i] ? !Chance(h.off) : Chance(h.on);
			PlatformInputSetKey(h.key, down[i]);
		}
		if (Chance(40))
			cursorX = (int)Roll(800), cursorY = (int)Roll(600);
		PlatformInputSetCursor(cursorX, cursorY);
	}

	// What a player could bring about but random keys seldom do: a guard's touch, the last
	// life lost, the server goal reached.
	void Provoke(LevelModule& level)
	{
		Player* player = level.player;
		const bool lastLife = Chance(3000);
		if ((Chance(600) || lastLife) && !level.guards.empty())
		{
			if (lastLife)
				player->lives = 1;
			const BasicGuard* guard = level.guards[Roll((unsigned)level.guards.size())];
			player->position = guard->position;
			player->boundingBox = guard->boundingBox;
		}
		if (Chance(3000))
			player->serversHacked = level.setup->serverGoal;
	}

	std::mt19937 random;
	bool         down[kHabitCount] = {};
	int          idle = 0;
	int          cursorX = 400, cursorY = 300;
};

TEST_P(Soak, EveryActorStaysFiniteAndInsideItsLevel)
{
	const unsigned int home = GetParam();
	const long frames = EnvNumber("NULLVANE_SOAK_FRAMES", 3000);
	const long seed = EnvNumber("NULLVANE_SOAK_SEED", 1);
	random.seed((uint32_t)(seed * 100 + home));

	Tally tally;
	std::string fault;
	int away = 0, patience = 0;   // frames outside the home state, and how many it may stay
	const auto begin = std::chrono::steady_clock::now();
	gKEGameStateCurr = gKEGameStateNext = home;
	while (tally.frames < frames && fault.empty())
	{
		GameBeginState();
		const unsigned int state = gKEGameStateCurr;
		tally.menuVisits += state == STATE_MENU;
		tally.wins += state == STATE_WIN;
		tally.losses += state == STATE_LOSE;
		LevelModule* level = GetLevelModule(state);
		while (gKEGameStateCurr == gKEGameStateNext && tally.frames < frames && fault.empty())
		{
			Feed();
			const bool wasPaused = gPaused;
			const int lives = level ? level->player->lives : 0;
			if (level && !gPaused)
				Provoke(*level);
			GameRunFrame();
			++tally.frames;

			tally.pauses += gPaused && !wasPaused;
			tally.paused += gPaused;
			tally.inLevel += level != nullptr;
			tally.inMenu += state == STATE_MENU;
			tally.onEndScreens += state == STATE_WIN || state == STATE_LOSE;
			if (level)
			{
				tally.catches += level->player->lives < lives;
				fault = Fault(*level);
			}
			if (!KESysDoesWindowExist())
				fault = "the window went away";

			// Elsewhere for a while, then back to the menu and in again, as a player would.
			if (state != home && ++away > patience && !gPaused && gKEGameStateCurr == gKEGameStateNext)
			{
				gKEGameStateNext = state == STATE_MENU ? home : STATE_MENU;
				tally.forcedReturns += 1;
			}
		}
		if (gKEGameStateNext == GAME_STATE_QUIT)
			gKEGameStateNext = home;   // the menu's quit: the player starts the game again
		if (gKEGameStateCurr == gKEGameStateNext)
		{
			gKEGameStateNext = STATE_MENU;   // the run is over; leave as P would
			gPaused = false;
		}
		if (gKEGameStateNext != home)
			away = 0, patience = 60 + (int)Roll(840);
		GameEndState();
	}
	PlatformInputClearKeys();
	const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();

	EXPECT_EQ(fault, "") << "state " << gKEGameStatePrev << ", frame " << tally.frames << ", seed " << seed;
	EXPECT_EQ(tally.frames, frames);
	std::printf("soak: state %u, seed %ld, %ld frames in %.1f s: %ld in levels, %ld in the menu, %ld on end screens, "
	            "%ld paused; %d catches, %d pauses, %d wins, %d losses, %d menu visits, %d returns\n",
	            home, seed, tally.frames, seconds, tally.inLevel, tally.inMenu, tally.onEndScreens, tally.paused,
	            tally.catches, tally.pauses, tally.wins, tally.losses, tally.menuVisits, tally.forcedReturns);
	// A run long enough to matter must have gone through the ways in and out of a level.
	if (frames >= 1500)
	{
		EXPECT_GT(tally.catches + tally.wins + tally.losses, 0);
		EXPECT_GT(tally.pauses, 0);
		EXPECT_GT(tally.menuVisits, 0);
	}
}

INSTANTIATE_TEST_SUITE_P(Levels, Soak, testing::Range(1u, 9u),
                         [](const testing::TestParamInfo<unsigned int>& info) {
	                         return "State" + std::to_string(info.param);
                         });
} // namespace
