#pragma once
// The win screen (state 10) and the lose screen (state 11): one full-window picture until
// Backspace is held, then the main menu.

// Registers states 10 and 11 with the game-state manager.
void RegisterEndScreenStates();
