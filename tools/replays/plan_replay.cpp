// Turns a plan (where to walk, what to do there) into a replay that wins the level: it
// plays the real level update by update, and when a guard sees the player it waits longer
// before some step and tries again, until the whole plan goes through unseen.
//
// Plan lines:  level <state id>      the level or tutorial
//              go <column> <row>     walk there along a route on the map (the body stands
//                                    on a cell and reaches into the ones right and above: a
//                                    cell it cannot stand on is reached from its left or below)
//              pause                 stand still as long as the search finds it needs: put
//                                    it where no guard can see the player
//              hack                  hold Space until what the player stands on is done
//              press <key>           one frame with the key (E, Space …)
//              hold <key> <frames>   the key for that many frames
//              wait <frames>         no key for that many frames
//              seen-ok               from here on a guard may see and catch the player
//              until-free            no key until a caught player may move again
//              check <what> <value>  passed on to the replay, where the game tests it
//              expect <state id>     the state the plan must end in (the win screen if not given)
//              stop                  end here as if won (to try out the first part of a plan)
// Usage (under a display, from the repository root):
//   plan_replay PLAN OUT [max-wait-frames [wait-step-frames]]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>
#include "BinaryMap.h"
#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameObject.h"
#include "GameStates.h"
#include "Guard.h"
#include "KEFrameRateController.h"
#include "KEGameStateMgr.h"
#include "KEInput.h"
#include "Keys.h"
#include "LevelState.h"
#include "Player.h"
#include "Window.h"

namespace
{
struct Step
{
	std::string what;    // go, hack, press, hold, wait, pause, until-free, check, stop
	int         column = 0, row = 0, frames = 0;
	std::string key;     // a key, or what a check tests
	bool        seenOk = false;
};

struct Plan
{
	unsigned int      level = 0;
	unsigned int      expect = 10;   // the win screen
	std::vector<Step> steps;
};

const std::map<std::string, unsigned char> kKeyCodes = {
	{"W", KEY_W}, {"A", KEY_A}, {"S", KEY_S}, {"D", KEY_D}, {"E", KEY_E}, {"Space", KEY_SPACE}, {"P", KEY_P},
};

bool ReadPlan(const char* path, Plan* plan)
{
	std::ifstream file(path);
	std::string line;
	bool seenOk = false;
	while (std::getline(file, line))
	{
		std::istringstream words(line.substr(0, line.find('#')));
		Step s;
		if (!(words >> s.what))
			continue;
		if (s.what == "level")
			words >> plan->level;
		else if (s.what == "expect")
			words >> plan->expect;
		else if (s.what == "seen-ok")
			seenOk = true;
		else
		{
			if (s.what == "go")
				words >> s.column >> s.row;
			else if (s.what == "press" || s.what == "hold")
				words >> s.key >> s.frames;
			else if (s.what == "wait")
				words >> s.frames;
			else if (s.what == "check")
				words >> s.key >> s.frames;
			else if (s.what != "hack" && s.what != "pause" && s.what != "stop" && s.what != "until-free")
			{
				std::printf("plan: unknown step '%s'\n", s.what.c_str());
				return false;
			}
			s.seenOk = seenOk;
			plan->steps.push_back(s);
		}
	}
	return plan->level >= 1 && plan->level <= 8 && !plan->steps.empty();
}

// A body one cell wide stands on (c, r) and reaches into the cells right of and above it.
bool Room(int c, int r)
{
	for (int dc = 0; dc < 2; ++dc)
		for (int dr = 0; dr < 2; ++dr)
		{
			int x = c + dc, y = r + dr;
			if (x < 0 || y < 0 || x >= gMapWidth || y >= gMapHeight || gMapSolid[y][x] == 1)
				return false;
		}
	return true;
}

// Cells from (c0, r0) to (c1, r1), eight ways (a diagonal costs 1.5 straight steps),
// corners cut only through room.
std::vector<std::pair<int, int>> Route(int c0, int r0, int c1, int r1)
{
	using Cell = std::pair<int, int>;
	std::map<Cell, Cell> from;
	std::map<Cell, int> cost;
	std::set<std::pair<int, Cell>> todo = {{0, {c0, r0}}};
	cost[{c0, r0}] = 0;
	from[{c0, r0}] = {c0, r0};
	while (!todo.empty())
	{
		auto [d, at] = *todo.begin();
		todo.erase(todo.begin());
		auto [c, r] = at;
		if (c == c1 && r == r1)
			break;
		for (int dc = -1; dc <= 1; ++dc)
			for (int dr = -1; dr <= 1; ++dr)
			{
				if (!dc && !dr)
					continue;
				int nc = c + dc, nr = r + dr, nd = d + (dc && dr ? 3 : 2);
				if (!Room(nc, nr) || (dc && dr && (!Room(c + dc, r) || !Room(c, r + dr))))
					continue;
				if (cost.count({nc, nr}) && cost[{nc, nr}] <= nd)
					continue;
				todo.erase({cost.count({nc, nr}) ? cost[{nc, nr}] : -1, {nc, nr}});
				cost[{nc, nr}] = nd;
				from[{nc, nr}] = at;
				todo.insert({nd, {nc, nr}});
			}
	}
	std::vector<Cell> cells;
	if (!from.count({c1, r1}))
		return cells;
	for (Cell at = {c1, r1}; at != Cell(c0, r0); at = from[at])
		cells.insert(cells.begin(), at);
	return cells;
}

struct Trial
{
	std::vector<std::vector<unsigned char>> frames;   // keys fed before each frame
	std::vector<std::pair<size_t, const Step*>> checks;   // each after that many frames
	int  failedStep = -1;                               // the step during which the player was seen
	bool won = false;
};

unsigned int sLevel = 0;

void ResetLevel()
{
	gKEGameStateNext = STATE_MENU;
	HarnessLeaveState();
	// A fresh process starts every curtain unused; so must each try.
	Transitation& curtain = gLevelTransitions[sLevel - 1];
	curtain.covered = curtain.finished = false;
	curtain.idle = true;
	curtain.holdTimer = 0.0f;
	curtain.slideTimer = 1.5f;
	gDeltaTime = 0.0f;   // as at the start of a run: the first frame of the first state sees no time
	HarnessEnterState(sLevel);
}

Trial Play(const Plan& plan, const std::vector<int>& waits)
{
	Trial t;
	ResetLevel();
	LevelModule* level = GetLevelModule(sLevel);
	Player* player = level->player;
	int stepIndex = -1;
	bool failed = false;
	auto frame = [&](std::vector<unsigned char> keys)
	{
		PlatformInputClearKeys();
		for (unsigned char k : keys)
			PlatformInputSetKey(k, true);
		t.frames.push_back(keys);
		if (gKEGameStateCurr == gKEGameStateNext)
		{
			KEGameStateUpdate();
			KEInputUpdate();
			gDeltaTime = (float)KEFrameRateControllerGetFrameTime();   // as the main loop sets it
		}
		for (size_t i = 0; i < level->guards.size(); ++i)
		{
			BasicGuard* g = level->guards[i];
			if (g->state == GUARD_PURSUE && g->pursuitTarget == TARGET_PLAYER &&
			    !(stepIndex >= 0 && plan.steps[stepIndex].seenOk) && !failed)
			{
				failed = true;
				if (getenv("PLAN_DEBUG"))
					std::printf("  seen by G%zu at (%.0f, %.0f) facing %.2f, player at (%.0f, %.0f), step %d, frame %zu\n", i,
					            g->position.x, g->position.y, g->rotation, player->position.x, player->position.y,
					            stepIndex, t.frames.size());
			}
		}
		if (player->caught && !(stepIndex >= 0 && plan.steps[stepIndex].seenOk))
			failed = true;
	};
	for (stepIndex = 0; stepIndex < (int)plan.steps.size() && !failed; ++stepIndex)
	{
		const Step& s = plan.steps[stepIndex];
		if (s.what == "pause")
			for (int i = 0; i < waits[stepIndex] && !failed; ++i)
				frame({});
		else if (s.what == "go")
		{
			int c0 = (int)(player->position.x / 40.0f), r0 = (int)(player->position.y / 40.0f);
			// A cell the body cannot stand on: stand where it still covers that cell.
			int c1 = s.column, r1 = s.row;
			for (auto [dc, dr] : {std::pair{0, 0}, {-1, 0}, {0, -1}, {-1, -1}})
				if (Room(s.column + dc, s.row + dr))
				{
					c1 = s.column + dc, r1 = s.row + dr;
					break;
				}
			auto cells = Route(c0, r0, c1, r1);
			if (cells.empty() && !(c0 == c1 && r0 == r1))
			{
				std::printf("plan: no way from (%d, %d) to (%d, %d)\n", c0, r0, s.column, s.row);
				std::exit(1);
			}
			for (auto [c, r] : cells)
				for (int guard = 0; guard < 200 && !failed && !player->caught; ++guard)
				{
					// The keys fed last frame move the player in the next update: aim from there.
					KEVec2 next = player->position;
					if (!t.frames.empty())
					{
						const std::vector<unsigned char>& last = t.frames.back();
						auto held = [&](unsigned char k) { return std::count(last.begin(), last.end(), k) > 0; };
						float sx = (float)held(KEY_D) - (float)held(KEY_A), sy = (float)held(KEY_W) - (float)held(KEY_S);
						const float step = 0.99f * 200.0f / 60.0f * (sx && sy ? std::sqrt(0.5f) : 1.0f);
						next.x += sx * step;
						next.y += sy * step;
					}
					const float dx = MapCellCentre(c) - next.x, dy = MapCellCentre(r) - next.y;
					std::vector<unsigned char> keys;
					if (dx > 1.65f)
						keys.push_back(KEY_D);
					if (dx < -1.65f)
						keys.push_back(KEY_A);
					if (dy > 1.65f)
						keys.push_back(KEY_W);
					if (dy < -1.65f)
						keys.push_back(KEY_S);
					if (keys.empty())
						break;
					frame(keys);
					if (getenv("PLAN_TRACE"))
						std::printf("    to (%d, %d): at (%.1f, %.1f) flags %d\n", c, r, player->position.x, player->position.y,
						            player->collisionFlags);
				}
		}
		else if (s.what == "hack")
			for (int i = 0; i < 62 && !failed; ++i)
				frame({KEY_SPACE});
		else if (s.what == "press" || s.what == "hold")
			for (int i = 0; i < std::max(1, s.frames) && !failed; ++i)
				frame({kKeyCodes.at(s.key)});
		else if (s.what == "wait")
			for (int i = 0; i < s.frames && !failed; ++i)
				frame({});
		else if (s.what == "until-free")
			for (int i = 0; i < 900 && player->caught; ++i)
				frame({});
		else if (s.what == "check")
			t.checks.push_back({t.frames.size(), &s});
		else if (s.what == "stop" && !failed)
		{
			t.won = true;
			return t;
		}
	}
	if (failed)
	{
		t.failedStep = stepIndex - 1;
		return t;
	}
	for (int i = 0; i < 300 && gKEGameStateCurr == gKEGameStateNext; ++i)
		frame({});
	t.won = gKEGameStateNext == plan.expect;
	return t;
}

std::string KeyName(unsigned char key)
{
	for (auto& [name, code] : kKeyCodes)
		if (code == key)
			return name;
	return "?";
}

void WriteReplay(const char* path, const char* planPath, const Plan& plan, const Trial& t)
{
	FILE* out = std::fopen(path, "w");
	std::fprintf(out, "# Plays state %u to state %u; made by tools/replays/plan_replay from %s.\nstart %u\nexpect %u\n",
	             sLevel, plan.expect, planPath, sLevel, plan.expect);
	size_t check = 0;
	for (size_t i = 0; i < t.frames.size();)
	{
		for (; check < t.checks.size() && t.checks[check].first <= i; ++check)
			std::fprintf(out, "check %s %d\n", t.checks[check].second->key.c_str(), t.checks[check].second->frames);
		size_t j = i;
		while (j < t.frames.size() && t.frames[j] == t.frames[i] &&
		       !(check < t.checks.size() && t.checks[check].first == j && j > i))
			++j;
		std::fprintf(out, "%zu", j - i);
		if (t.frames[i].empty())
			std::fprintf(out, " -");
		for (unsigned char k : t.frames[i])
			std::fprintf(out, " %s", KeyName(k).c_str());
		std::fprintf(out, "\n");
		i = j;
	}
	for (; check < t.checks.size(); ++check)
		std::fprintf(out, "check %s %d\n", t.checks[check].second->key.c_str(), t.checks[check].second->frames);
	std::fclose(out);
}
} // namespace

int main(int argc, char** argv)
{
	Plan plan;
	if (argc < 3 || !ReadPlan(argv[1], &plan))
	{
		std::printf("usage: plan_replay PLAN OUT [max-wait-frames]\n");
		return 2;
	}
	const int maxWait = argc > 3 ? std::atoi(argv[3]) : 600, stride = argc > 4 ? std::atoi(argv[4]) : 5;
	sLevel = plan.level;
	HarnessStartEngine();
	GameStartUp();
	HarnessEnterState(sLevel);

	// An odometer over the pauses, turned at the last pause before the step that failed.
	std::vector<int> waits(plan.steps.size(), 0);
	auto pauseAtOrBefore = [&](int k)
	{
		while (k >= 0 && plan.steps[k].what != "pause")
			--k;
		return k;
	};
	for (int tries = 1; tries <= 20000; ++tries)
	{
		Trial t = Play(plan, waits);
		if (getenv("PLAN_DEBUG"))
		{
			LevelModule* level = GetLevelModule(sLevel);
			std::printf("try %d: step %d frames %zu player (%.1f, %.1f) hacked %d next %u\n", tries, t.failedStep,
			            t.frames.size(), level->player->position.x, level->player->position.y,
			            level->player->serversHacked, gKEGameStateNext);
		}
		if (t.won)
		{
			WriteReplay(argv[2], argv[1], plan, t);
			std::printf("plan: won after %d tries, %zu frames\n", tries, t.frames.size());
			GameShutDown();
			return 0;
		}
		int k = pauseAtOrBefore(t.failedStep >= 0 ? t.failedStep : (int)plan.steps.size() - 1);
		for (size_t j = k + 1; j < waits.size(); ++j)
			waits[j] = 0;
		while (k >= 0 && waits[k] + stride > maxWait)
			waits[k] = 0, k = pauseAtOrBefore(k - 1);
		if (k < 0)
			break;
		waits[k] += stride;
		if (tries % 50 == 0)
			std::printf("plan: try %d, step %d waits %d\n", tries, k, waits[k]);
	}
	std::printf("plan: no waits make this plan work\n");
	GameShutDown();
	return 1;
}
