// A replay is a text file of what a player pressed, read line by line:
//   # comment                    ignored, as are blank lines
//   start <state id>             the state the game starts in
//   expect <state id>            the state it must be in when the input ends
//   <frames> [keys] [@x,y]       hold exactly these keys for that many frames (none: "-"),
//                                optionally moving the cursor to window pixel (x, y) first;
//                                keys: W A S D E P Up Down Left Right Space Esc Enter
//                                Backspace F11 PageUp PageDown MouseLeft MouseRight
//   check <what> <value>         after the frames above: state, lives, hacked (servers),
//                                left-lives (lives when the last level ended), at-spawn (the
//                                player on its start), guards-home (each guard in its
//                                home cell) and winning (the level's win has begun), 1 when true
#include "Replay.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include "GameLoop.h"
#include "GameObject.h"
#include "Guard.h"
#include "KEFrameRateController.h"
#include "KEGameStateMgr.h"
#include "KESystem.h"
#include "Keys.h"
#include "LevelState.h"
#include "Player.h"
#include "Window.h"

namespace
{
struct KeyName
{
	const char*   name;
	unsigned char key;
};

const KeyName kKeys[] = {
	{"W", KEY_W},           {"A", KEY_A},           {"S", KEY_S},           {"D", KEY_D},
	{"E", KEY_E},           {"P", KEY_P},           {"Up", KEY_UP},         {"Down", 0x28},
	{"Left", 0x25},         {"Right", 0x27},        {"Space", KEY_SPACE},   {"Esc", KEY_ESCAPE},
	{"Enter", KEY_ENTER},   {"Backspace", KEY_BACKSPACE}, {"F11", KEY_F11}, {"PageUp", KEY_PAGE_UP},
	{"PageDown", KEY_PAGE_DOWN}, {"MouseLeft", KEY_MOUSE_LEFT}, {"MouseRight", KEY_MOUSE_RIGHT},
};

const char* const kChecks[] = {"state", "lives", "hacked", "left-lives", "at-spawn", "guards-home", "winning"};

bool ParseInt(const std::string& word, int* value)
{
	char* end = nullptr;
	long v = std::strtol(word.c_str(), &end, 10);
	if (word.empty() || *end || v < 0 || v > 10000000)
		return false;
	*value = (int)v;
	return true;
}

bool Fail(std::string* error, int line, const std::string& why)
{
	if (error)
		*error = "line " + std::to_string(line) + ": " + why;
	return false;
}
} // namespace

bool ReplayParse(const std::string& text, Replay* replay, std::string* error)
{
	*replay = Replay();
	bool haveStart = false, haveExpect = false;
	std::istringstream lines(text);
	std::string line;
	for (int number = 1; std::getline(lines, line); ++number)
	{
		std::istringstream words(line.substr(0, line.find('#')));
		std::string first;
		if (!(words >> first))
			continue;
		std::vector<std::string> rest;
		for (std::string w; words >> w;)
			rest.push_back(w);

		int value = 0;
		if (first == "start" || first == "expect")
		{
			if (rest.size() != 1 || !ParseInt(rest[0], &value))
				return Fail(error, number, first + " takes one state id");
			(first == "start" ? replay->start : replay->expect) = (unsigned int)value;
			(first == "start" ? haveStart : haveExpect) = true;
		}
		else if (first == "check")
		{
			if (rest.size() != 2 || !ParseInt(rest[1], &value) ||
			    std::find(std::begin(kChecks), std::end(kChecks), rest[0]) == std::end(kChecks))
				return Fail(error, number, "check takes a known name and a number");
			replay->checks.push_back({(int)replay->steps.size(), number, rest[0], value});
		}
		else if (ParseInt(first, &value))
		{
			ReplayStep step;
			step.frames = value;
			for (const std::string& word : rest)
			{
				if (word == "-")
					continue;
				if (word[0] == '@')
				{
					if (std::sscanf(word.c_str(), "@%d,%d", &step.cursorX, &step.cursorY) != 2)
						return Fail(error, number, "a cursor is written @x,y");
					step.moveCursor = true;
					continue;
				}
				auto key = std::find_if(std::begin(kKeys), std::end(kKeys),
				                        [&](const KeyName& k) { return word == k.name; });
				if (key == std::end(kKeys))
					return Fail(error, number, "unknown key '" + word + "'");
				step.keys.push_back(key->key);
			}
			replay->steps.push_back(step);
		}
		else
			return Fail(error, number, "expected start, expect, check or a frame count, not '" + first + "'");
	}
	if (!haveStart || !haveExpect)
		return Fail(error, 0, "a replay names its start and expect states");
	return true;
}

bool ReplayLoad(const char* path, Replay* replay, std::string* error)
{
	std::ifstream file(path);
	if (!file)
	{
		if (error)
			*error = std::string("cannot read ") + path;
		return false;
	}
	std::stringstream text;
	text << file.rdbuf();
	return ReplayParse(text.str(), replay, error);
}

namespace
{
struct Run
{
	const Replay&       replay;
	size_t              step = 0;
	int                 frameInStep = 0;
	int                 leftLives = -1;
	size_t              check = 0;
	bool                ok = true;
	std::vector<double> work;   // milliseconds per frame

	bool InputLeft() const { return step < replay.steps.size(); }

	// Runs every check that comes before the current step.
	void Checks()
	{
		for (; check < replay.checks.size() && replay.checks[check].afterStep <= (int)step; ++check)
		{
			const ReplayCheck& c = replay.checks[check];
			const int actual = Measure(c.what);
			if (actual != c.value)
			{
				std::printf("replay: check on line %d failed: %s is %d, expected %d\n", c.line, c.what.c_str(),
				            actual, c.value);
				ok = false;
			}
		}
	}

	int Measure(const std::string& what) const
	{
		LevelModule* level = GetLevelModule(gKEGameStateCurr);
		Player* player = level ? level->player : nullptr;
		if (what == "state")
			return (int)gKEGameStateCurr;
		if (what == "left-lives")
			return leftLives;
		if (!player)
			return -1;
		if (what == "lives")
			return player->lives;
		if (what == "hacked")
			return player->serversHacked;
		if (what == "winning")
			return level->winStarted;
		if (what == "at-spawn")
			return player->position.x == player->spawnPosition.x && player->position.y == player->spawnPosition.y;
		int home = 1;   // guards-home: every guard stands in its home cell
		for (BasicGuard* guard : level->guards)
			home &= (int)(guard->position.x / level->cellSize) == (int)guard->homeCell.x &&
			        (int)(guard->position.y / level->cellSize) == (int)guard->homeCell.y;
		return home;
	}

	// Holds this frame's keys (and every other key up), then moves on one frame.
	void Feed()
	{
		const ReplayStep& s = replay.steps[step];
		PlatformInputClearKeys();
		for (unsigned char key : s.keys)
			PlatformInputSetKey(key, true);
		if (s.moveCursor)
			PlatformInputSetCursor(s.cursorX, s.cursorY);
		if (++frameInStep >= s.frames)
			frameInStep = 0, ++step;
	}
};
} // namespace

int ReplayRun(const Replay& replay, bool watch)
{
	KESysInit(nullptr, 1, 800, 600, 0, 60, nullptr);
	KEFrameRateControllerUseVirtualClock(true);
	PlatformInputScripted(true);
	GameStartUp();
	KEGameStateMgrInit(replay.start);

	Run run{replay, 0, 0, -1, 0, true, {}};
	unsigned int ended = gKEGameStateCurr;
	const auto framePeriod = std::chrono::nanoseconds(1000000000 / 60);
	auto nextFrame = std::chrono::steady_clock::now();
	while (gKEGameStateCurr != GAME_STATE_QUIT)
	{
		GameBeginState();
		while (gKEGameStateCurr == gKEGameStateNext)
		{
			run.Checks();
			// Steps of zero frames only carry a cursor move.
			while (run.InputLeft() && replay.steps[run.step].frames == 0)
				run.Feed();
			if (!run.InputLeft())
			{
				ended = gKEGameStateCurr;
				gKEGameStateNext = GAME_STATE_QUIT;
				break;
			}
			run.Feed();
			auto begin = std::chrono::steady_clock::now();
			GameRunFrame();
			run.work.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
			if (watch)
			{
				// A slow frame is not made up for by rushing the next ones.
				nextFrame = std::max(nextFrame + framePeriod, std::chrono::steady_clock::now());
				std::this_thread::sleep_until(nextFrame);
			}
		}
		if (LevelModule* level = GetLevelModule(gKEGameStateCurr))
			if (level->player)
				run.leftLives = level->player->lives;
		if (gKEGameStateNext == GAME_STATE_QUIT && run.InputLeft())
			ended = GAME_STATE_QUIT;   // the game quit (or its window closed) before the input ended
		GameEndState();
	}
	GameShutDown();

	std::vector<double> work = run.work;
	std::sort(work.begin(), work.end());
	// Nearest rank: the frame that 99% of the frames do not exceed.
	auto percentile = [&](double p) {
		return work.empty() ? 0.0 : work[std::min(work.size() - 1, (size_t)std::ceil(p * work.size()) - 1)];
	};
	const double median = work.empty() ? 0.0 : work[work.size() / 2];
	const double most = work.empty() ? 0.0 : work.back();
	std::printf("replay: %zu frames, ended in state %d, frame work median %.2f ms, p99 %.2f ms, max %.2f ms\n",
	            run.work.size(), (int)ended, median, percentile(0.99), most);
	return run.ok && ended == replay.expect ? 0 : 1;
}
