#include "KEGameStateMgr.h"

#include <cstdio>
#include <cstdlib>

#include "KESystem.h"

unsigned int gKEGameStateInit = 0;
unsigned int gKEGameStateCurr = 0;
unsigned int gKEGameStatePrev = 0;
unsigned int gKEGameStateNext = 0;

namespace
{
void DoNothing()
{
}

struct GameState
{
	unsigned int  id;
	KEGameStateFn load, init, update, draw, free, unload;
};

GameState     sGameStates[GAME_STATE_NUM_MAX];
unsigned char sGameStateNum = 0;

KEGameStateFn OrDoNothing(KEGameStateFn fn)
{
	return fn ? fn : DoNothing;
}

[[noreturn]] void Quit()
{
	fflush(stdout);
	exit(1);
}
} // namespace

// Never null once a state has been selected: callers invoke them without checking.
KEGameStateFn KEGameStateLoad = DoNothing;
KEGameStateFn KEGameStateInit = DoNothing;
KEGameStateFn KEGameStateUpdate = DoNothing;
KEGameStateFn KEGameStateDraw = DoNothing;
KEGameStateFn KEGameStateFree = DoNothing;
KEGameStateFn KEGameStateUnload = DoNothing;

void KEGameStateMgrAdd(unsigned int id, KEGameStateFn load, KEGameStateFn init, KEGameStateFn update,
                       KEGameStateFn draw, KEGameStateFn free, KEGameStateFn unload)
{
	KE_ASSERT_MESG(sGameStateNum < GAME_STATE_NUM_MAX, "KEGameStateMgrAdd", "src/KEGameStateMgr",
	               "game state list is full. Cannot add new game state!!");
	for (unsigned int i = 0; i < sGameStateNum; ++i)
		if (sGameStates[i].id == id)
		{
			printf("KE_FATAL_ERROR: duplicate game state id (%d)", (int)id);
			Quit();
		}

	GameState& state = sGameStates[sGameStateNum++];
	state.id = id;
	state.load = OrDoNothing(load);
	state.init = OrDoNothing(init);
	state.update = OrDoNothing(update);
	state.draw = OrDoNothing(draw);
	state.free = OrDoNothing(free);
	state.unload = OrDoNothing(unload);
}

void KEGameStateMgrInit(unsigned int id)
{
	gKEGameStateInit = id;
	gKEGameStateNext = id;
	gKEGameStatePrev = id;
	gKEGameStateCurr = id;
	KEGameStateMgrUpdate();
}

void KEGameStateMgrUpdate()
{
	if (gKEGameStateCurr == GAME_STATE_RESTART || gKEGameStateCurr == GAME_STATE_QUIT)
	{
		KEGameStateLoad = KEGameStateInit = KEGameStateUpdate = DoNothing;
		KEGameStateDraw = KEGameStateFree = KEGameStateUnload = DoNothing;
		return;
	}
	for (unsigned int i = 0; i < sGameStateNum; ++i)
	{
		const GameState& state = sGameStates[i];
		if (state.id != gKEGameStateCurr)
			continue;
		KEGameStateLoad = state.load;
		KEGameStateInit = state.init;
		KEGameStateUpdate = state.update;
		KEGameStateDraw = state.draw;
		KEGameStateFree = state.free;
		KEGameStateUnload = state.unload;
		return;
	}
	printf("KE_FATAL_ERROR: invalid state");
	Quit();
}
