#pragma once
// The playable levels (states 6 to 8) and the tutorials (1 to 5), all from one template
// driven by the level table: objects placed on the map in scan order, a catch behind the
// curtain, win at the server goal, lose when the lives are spent.
#include <vector>
#include "GameObject.h"
#include "Transitation.h"

class Player;
class Path;
class Wall;
class Light;
class LightArea;
class Radio;
class Server;
class Bush;
class BasicGuard;
class Sight;
struct LevelSetup;

// The module data of one level state.
struct LevelModule
{
	const LevelSetup*        setup = nullptr;
	std::vector<GameObject*> objectList;
	Player*                  player = nullptr;
	Path*                    path = nullptr;
	Wall*                    wall = nullptr;
	std::vector<Light*>      lights;
	std::vector<LightArea*>  areas;
	std::vector<Radio*>      radios;
	std::vector<Server*>     servers;
	std::vector<Bush*>       bushes;
	std::vector<BasicGuard*> guards;
	std::vector<Sight*>      sights;
	bool                     catchPending = false;   // the reset waits for the covered screen
	double                   levelTimer = 0.0;       // since Init or the last catch
	double                   playTime = 0.0;         // since Init up to the win, pauses left out
	int                      catches = 0;            // lives lost since Init
	bool                     winRecorded = false;
	int                      winStarted = 0;
	int                      placed[10] = {};        // cells seen per cell code
	int                      mapRows = 0, mapColumns = 0;
	int**                    mapCells = nullptr;
	float                    cellSize = 0.0f;
	unsigned int             font = 0;               // the server tutorial's hint
};

// One curtain per playable state, 1 to 8 (index = state id - 1).
extern Transitation gLevelTransitions[8];

// The module of a level or tutorial state (1 to 8); null for any other id.
LevelModule* GetLevelModule(unsigned int stateId);

// Registers states 1 to 8 with the game-state manager, in id order.
void RegisterLevelStates();
