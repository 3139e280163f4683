// The program entry: start the engine, run the states until one quits or the window is
// closed, shut down. With --replay FILE it plays a recorded game instead of the player.
#include <cstdio>
#include <cstring>
#include <string>

#include "GameLoop.h"
#include "KESystem.h"
#include "Replay.h"

int main(int argc, char** argv)
{
	// One line per report, visible at once even when the output goes to a file.
	setvbuf(stdout, nullptr, _IOLBF, 0);

	if (argc == 3 && std::strcmp(argv[1], "--replay") == 0)
	{
		Replay replay;
		std::string error;
		if (!ReplayLoad(argv[2], &replay, &error))
		{
			std::printf("replay: %s: %s\n", argv[2], error.c_str());
			return 2;
		}
		return ReplayRun(replay);
	}
	if (argc > 1)
	{
		std::printf("usage: nullvane [--replay FILE]\n");
		return 2;
	}

	// An 800x600 window, no console, at most 60 frames per second, the engine's own
	// window procedure. The game runs on even if graphics cannot start.
	KESysInit(nullptr, 1, 800, 600, 0, 60, nullptr);
	GameStartUp();
	GameRunLoop();
	GameShutDown();
	return 0;
}
