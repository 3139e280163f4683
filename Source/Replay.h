#pragma once
// Recorded play: what a player pressed, frame by frame, played back through the real game
// on the virtual 1/60 s clock. Replays prove that every level can be won.
#include <string>
#include <vector>

struct ReplayStep
{
	int                        frames = 0;
	std::vector<unsigned char> keys;   // held during these frames; every other key is up
	bool                       moveCursor = false;
	int                        cursorX = 0, cursorY = 0;   // window pixels, kept until moved
};

// A test made after the steps before it: "check <what> <value>".
struct ReplayCheck
{
	int         afterStep = 0;   // number of steps played before it
	int         line = 0;
	std::string what;            // state, lives, hacked, left-lives, at-spawn, guards-home, winning
	int         value = 0;
};

struct Replay
{
	unsigned int             start = 0;    // state the game starts in
	unsigned int             expect = 0;   // state it must be in when the input ends
	std::vector<ReplayStep>  steps;
	std::vector<ReplayCheck> checks;
};

// Reads a replay; false with a one-line reason (naming the line) when it is not one.
bool ReplayParse(const std::string& text, Replay* replay, std::string* error);
bool ReplayLoad(const char* path, Replay* replay, std::string* error);

// Plays a replay in the real window from start-up to shut-down and prints one line
// "replay: <frames> frames, ended in state <id>, frame work median <ms> ms, max <ms> ms".
// Returns the process status: 0 when the expected state was reached and every check held.
// Watching paces the frames at 60 a second on the wall clock (the game still sees exactly
// 1/60 s per frame, so it plays the same), for a player to follow.
int ReplayRun(const Replay& replay, bool watch = false);
