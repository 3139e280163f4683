#include "EngineHarness.h"

#include "GameLoop.h"
#include "KEFrameRateController.h"
#include "KEGameStateMgr.h"
#include "KESystem.h"
#include "Window.h"

bool HarnessStartEngine()
{
	static int result = -1;
	if (result < 0)
	{
		result = KESysInit(nullptr, 1, 800, 600, 0, 60, nullptr);
		KEFrameRateControllerUseVirtualClock(true);
	}
	return result == 1;
}

void HarnessSetKey(unsigned char vk, bool down)
{
	PlatformInputSetKey(vk, down);
}

void HarnessSetCursor(int x, int y)
{
	PlatformInputSetCursor(x, y);
}

void HarnessRegisterGameStates()
{
	GameRegisterStates();
}

void HarnessEnterState(unsigned int id)
{
	gKEGameStateCurr = id;
	gKEGameStateNext = id;
	GameBeginState();
}

int HarnessRunFrames(int n)
{
	int frames = 0;
	while (frames < n && gKEGameStateCurr == gKEGameStateNext)
	{
		GameRunFrame();
		++frames;
	}
	return frames;
}

void HarnessLeaveState()
{
	GameEndState();
}
