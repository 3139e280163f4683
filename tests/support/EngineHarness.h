#pragma once
// Drives the real engine and game in tests: one 800x600 window and GL context per test
// process, a virtual frame clock of exactly 1/60 s per frame (no spinning), and input
// injected into the same key table the event pump fills.

// Starts the engine once per process (KESysInit with an 800x600 window, GL context,
// input, frame clock on the virtual clock). Later calls return the first result.
bool HarnessStartEngine();

// Key and cursor as the pump would see them; KEInputUpdate samples them in the next frame.
void HarnessSetKey(unsigned char vk, bool down);
void HarnessSetCursor(int x, int y);   // client pixels, origin top-left

// Runs states through the main loop's own steps (Source/GameLoop.h), so a test sees
// exactly what the game sees. The state must be registered with KEGameStateMgrAdd
// (HarnessRegisterGameStates registers the game's own states once).
void HarnessRegisterGameStates();
// Makes id the current state and begins its pass: reset, load, init.
void HarnessEnterState(unsigned int id);
// Runs up to n frames of the current state; stops early when the state asks for
// another one. Returns the number of frames run.
int  HarnessRunFrames(int n);
// Ends the pass as the loop does: free, music of the next state, unload (unless restart),
// previous = current, current = next.
void HarnessLeaveState();
