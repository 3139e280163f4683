#pragma once
// The program's start-up, main loop and shut-down, split into steps so that the entry
// and the tests run the very same code.

// Start-up after KESysInit: sound manager and its sounds, alarm channel ready and paused,
// shared font table, menu music, window title, background colour, state registration,
// initial state.
void GameStartUp();
// Registers every game state that exists (once per process; later calls do nothing).
void GameRegisterStates();
// Runs passes until a state asks to quit or the window is closed.
void GameRunLoop();
// One pass of the loop, in pieces: begin (reset, load unless restart, init), one frame,
// end (free, music for the next state, unload unless restart, prev = curr = next).
void GameBeginState();
void GameRunFrame();
void GameEndState();
// The pause menu, from start-up to shut-down (null outside).
class Pause;
Pause* GamePauseMenu();
// Shut-down after the loop: sounds released, font table released, engine stopped.
void GameShutDown();
