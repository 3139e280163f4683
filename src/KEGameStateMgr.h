#pragma once
// The game-state manager: a table of registered states and the six functions of the
// current one. The game changes state only by writing gKEGameStateNext.

#define GAME_STATE_NUM_MAX 64
#define GAME_STATE_QUIT    0xFFFFFFFFu   // free and unload the current state, then leave the loop
#define GAME_STATE_RESTART 0xFFFFFFFEu   // free and init the current state again (no unload/load)

typedef void (*KEGameStateFn)();

extern unsigned int gKEGameStateInit;
extern unsigned int gKEGameStateCurr;
extern unsigned int gKEGameStatePrev;
extern unsigned int gKEGameStateNext;

extern KEGameStateFn KEGameStateLoad;
extern KEGameStateFn KEGameStateInit;
extern KEGameStateFn KEGameStateUpdate;
extern KEGameStateFn KEGameStateDraw;
extern KEGameStateFn KEGameStateFree;
extern KEGameStateFn KEGameStateUnload;

// Appends a state; null functions become do-nothing functions. A full table or a
// duplicate id ends the process with exit code 1.
void KEGameStateMgrAdd(unsigned int id, KEGameStateFn load, KEGameStateFn init, KEGameStateFn update,
                       KEGameStateFn draw, KEGameStateFn free, KEGameStateFn unload);
// Sets the initial, current, previous and next ids, then selects the functions.
void KEGameStateMgrInit(unsigned int id);
// Loads the six function pointers for gKEGameStateCurr; an unregistered id ends the process.
void KEGameStateMgrUpdate();
