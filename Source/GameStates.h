#pragma once
// Ids of the game's screens (ids 9 and 12 upwards are never registered).
#include "KEGameStateMgr.h"

enum GameStateId : unsigned int
{
	STATE_MENU = 0,
	STATE_SERVER_TUTORIAL = 1,
	STATE_GUARD_TUTORIAL = 2,
	STATE_BUSH_TUTORIAL = 3,
	STATE_RADIO_TUTORIAL = 4,
	STATE_LIGHT_TUTORIAL = 5,
	STATE_LEVEL1 = 6,
	STATE_TARN_LEVEL = 7,
	STATE_TARN_LEVEL2 = 8,
	STATE_WIN = 10,
	STATE_LOSE = 11,
};

