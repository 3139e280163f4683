#include "EngineHarness.h"

#include "GameLoop.h"
#include "KEFrameRateController.h"
#include "KEGameStateMgr.h"
#include "KESystem.h"
#include "Window.h"

bool HarnessStartEngine()
{
	static const int result = KESysInit(nullptr, 1, 800, 600, 0, 60, nullptr);
	KEFrameRateControllerUseVirtualClock(true);
	return result == 1;
}

void HarnessSetKey(unsigned char vk, bool down) { PlatformInputSetKey(vk, down); }
void HarnessSetCursor(int x, int y) { PlatformInputSetCursor(x, y); }
void HarnessRegisterGameStates() { GameRegisterStates(); }
void HarnessLeaveState() { GameEndState(); }

void HarnessEnterState(unsigned int id)
{
	gKEGameStateCurr = gKEGameStateNext = id;
	GameBeginState();
}

int HarnessRunFrames(int n)
{
	int frames = 0;
	for (; frames < n && gKEGameStateCurr == gKEGameStateNext; ++frames)
		GameRunFrame();
	return frames;
}
