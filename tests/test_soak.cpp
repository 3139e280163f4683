// Every level under seeded random input through the real main loop; after every frame the level's
// objects must be finite and the player and guards inside it. scripts/soak sets
// NULLVANE_SOAK_FRAMES (frames per level) and NULLVANE_SOAK_SEED for the long run.
#include <gtest/gtest.h>
#include <GL/glew.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameStates.h"
#include "Guard.h"
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
	const long value = text ? std::atol(text) : 0;
	return value > 0 ? value : fallback;
}

// Held keys go down with one chance in `on` per frame and up with one in `off`; off = 0 taps.
// F11 is left out: full screen on the virtual X server is slow and shows nothing new.
const struct { unsigned char key; int on, off; } kHabits[] = {
	{KEY_W, 40, 20}, {KEY_A, 40, 20}, {KEY_S, 40, 20}, {KEY_D, 40, 20}, {0x25, 300, 20}, {KEY_UP, 300, 20},
	{0x27, 300, 20}, {0x28, 300, 20}, {KEY_SPACE, 120, 70}, {KEY_PAGE_UP, 900, 20}, {KEY_PAGE_DOWN, 900, 20},
	{KEY_BACKSPACE, 300, 30}, {KEY_E, 90, 0}, {KEY_ENTER, 250, 0}, {KEY_ESCAPE, 500, 0}, {KEY_P, 2500, 0},
	{KEY_MOUSE_LEFT, 150, 0}, {KEY_MOUSE_RIGHT, 400, 0}, {KEY_O, 3000, 0},
};
const int kHabitCount = (int)std::size(kHabits);

// What is wrong with the running level, or "" when nothing is.
std::string Fault(const LevelModule& level)
{
	auto finite = [](const KEVec2& v) { return std::isfinite(v.x) && std::isfinite(v.y); };
	auto at = [](const KEVec2& v) { return " at (" + std::to_string(v.x) + ", " + std::to_string(v.y) + ")"; };
	for (const GameObject* o : level.objectList)
		if (!finite(o->position) || !finite(o->velocity) || !std::isfinite(o->rotation) || !finite(o->boundingBox.min) ||
		    !finite(o->boundingBox.max))
			return "a number that is not finite: object" + at(o->position);
	std::vector<const GameObject*> actors(level.guards.begin(), level.guards.end());
	actors.push_back(level.player);
	for (const GameObject* a : actors)
		if (!(a->position.x >= 0.0f && a->position.y >= 0.0f && a->position.x <= level.mapColumns * level.cellSize &&
		      a->position.y <= level.mapRows * level.cellSize))
			return "outside the level: an actor" + at(a->position);
	return "";
}

struct Soak : testing::TestWithParam<unsigned int>
{
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		// Every draw call runs, but the scissor leaves only a few pixels to fill.
		[[maybe_unused]] static bool started = (GameStartUp(), glEnable(GL_SCISSOR_TEST), glScissor(0, 0, 4, 4), true);
		PlatformInputClearKeys();
		gPaused = false;
	}
	unsigned Roll(unsigned n) { return (unsigned)(random() % n); }
	bool     Chance(int n) { return n > 0 && Roll((unsigned)n) == 0; }

	void Feed()   // this frame's keys and cursor
	{
		if (idle > 0)
			return --idle, PlatformInputClearKeys();
		if (Chance(1500))
			idle = 30 + (int)Roll(570);   // the player looks away for a while
		for (int i = 0; i < kHabitCount; ++i)
		{
			const auto& h = kHabits[i];
			if (h.key == KEY_ESCAPE && gPaused)
				down[i] = Chance(120);   // the pause menu is left sooner than it is opened
			else
				down[i] = h.off == 0 ? Chance(h.on) : down[i] ? !Chance(h.off) : Chance(h.on);
			PlatformInputSetKey(h.key, down[i]);
		}
		if (Chance(40))
			cursorX = (int)Roll(800), cursorY = (int)Roll(600);
		PlatformInputSetCursor(cursorX, cursorY);
	}
	void Provoke(LevelModule& level)   // a guard's touch, the last life, the server goal
	{
		const bool lastLife = Chance(3000);
		if ((Chance(600) || lastLife) && !level.guards.empty())
		{
			level.player->lives = lastLife ? 1 : level.player->lives;
			const BasicGuard* guard = level.guards[Roll((unsigned)level.guards.size())];
			level.player->position = guard->position;
			level.player->boundingBox = guard->boundingBox;
		}
		if (Chance(3000))
			level.player->serversHacked = level.setup->serverGoal;
	}

	std::mt19937 random;
	bool         down[kHabitCount] = {};
	int          idle = 0, cursorX = 400, cursorY = 300;
};

TEST_P(Soak, EveryActorStaysFiniteAndInsideItsLevel)
{
	const unsigned int home = GetParam();
	const long frames = EnvNumber("NULLVANE_SOAK_FRAMES", 3000), seed = EnvNumber("NULLVANE_SOAK_SEED", 1);
	random.seed((unsigned)(seed * 100 + home));
	long n = 0;
	int catches = 0, wins = 0, losses = 0, pauses = 0, menuVisits = 0;
	std::string fault;
	int away = 0, patience = 0;   // frames outside the home state, and how many it may stay
	const auto begin = std::chrono::steady_clock::now();
	gKEGameStateCurr = gKEGameStateNext = home;
	while (n < frames && fault.empty())
	{
		GameBeginState();
		const unsigned int state = gKEGameStateCurr;
		menuVisits += state == STATE_MENU, wins += state == STATE_WIN, losses += state == STATE_LOSE;
		LevelModule* level = GetLevelModule(state);
		while (gKEGameStateCurr == gKEGameStateNext && n < frames && fault.empty())
		{
			Feed();
			const bool wasPaused = gPaused;
			const int lives = level ? level->player->lives : 0;
			if (level && !gPaused)
				Provoke(*level);
			GameRunFrame();
			++n, pauses += gPaused && !wasPaused;
			if (level)
				catches += level->player->lives < lives, fault = Fault(*level);
			// Elsewhere for a while, then back to the menu and in again, as a player would.
			if (state != home && ++away > patience && !gPaused && gKEGameStateCurr == gKEGameStateNext)
				gKEGameStateNext = state == STATE_MENU ? home : STATE_MENU;
			// Half way with no trip to the menu yet (the dice may never roll P): leave as P would.
			if (state == home && n >= frames / 2 && menuVisits == 0 && !gPaused && gKEGameStateCurr == gKEGameStateNext)
				gKEGameStateNext = STATE_MENU;
		}
		if (gKEGameStateNext == GAME_STATE_QUIT)
			gKEGameStateNext = home;   // the menu's quit: the player starts the game again
		if (gKEGameStateCurr == gKEGameStateNext)
			gKEGameStateNext = STATE_MENU, gPaused = false;   // the run is over; leave as P would
		if (gKEGameStateNext != home)
			away = 0, patience = 60 + (int)Roll(840);
		GameEndState();
	}
	PlatformInputClearKeys();
	const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
	EXPECT_EQ(fault, "") << "state " << gKEGameStatePrev << ", frame " << n << ", seed " << seed;
	EXPECT_EQ(n, frames);
	std::printf("soak: state %u, seed %ld, %ld frames in %.1f s: %d catches, %d pauses, %d wins, %d losses, %d menu visits\n",
	            home, seed, n, seconds, catches, pauses, wins, losses, menuVisits);
	if (frames >= 1500)   // a run that long must have gone in and out of a level every way
	{
		EXPECT_GT(catches + wins + losses, 0);
		EXPECT_GT(pauses, 0);
		EXPECT_GT(menuVisits, 0);
	}
}

INSTANTIATE_TEST_SUITE_P(Levels, Soak, testing::Range(1u, 9u),
                         [](const testing::TestParamInfo<unsigned int>& info) { return "State" + std::to_string(info.param); });
} // namespace
