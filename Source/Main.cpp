// The program entry: start the engine, run the states until one quits or the window is
// closed, shut down.
#include <cstdio>

#include "GameLoop.h"
#include "KESystem.h"

int main()
{
	// One line per report, visible at once even when the output goes to a file.
	setvbuf(stdout, nullptr, _IOLBF, 0);

	// An 800x600 window, no console, at most 60 frames per second, the engine's own
	// window procedure. The game runs on even if graphics cannot start.
	KESysInit(nullptr, 1, 800, 600, 0, 60, nullptr);
	GameStartUp();
	GameRunLoop();
	GameShutDown();
	return 0;
}
