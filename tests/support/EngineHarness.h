#pragma once
// Drives the real engine and game in tests: one 800x600 window and GL context per process,
// a virtual frame clock of exactly 1/60 s per frame, input written into the pump's key table.

bool HarnessStartEngine();   // once per process; later calls return the first KESysInit result
void HarnessSetKey(unsigned char vk, bool down);   // sampled by the next KEInputUpdate
void HarnessSetCursor(int x, int y);               // client pixels, origin top-left

// The main loop's own steps (Source/GameLoop.h), so a test sees what the game sees.
void HarnessRegisterGameStates();          // the game's own states, once
void HarnessEnterState(unsigned int id);   // current = next = id; reset, load, init
int  HarnessRunFrames(int n);   // up to n frames, fewer when the state asks for another; the count
void HarnessLeaveState();       // free, next state's music, unload unless restart, prev = curr = next
