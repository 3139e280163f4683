#pragma once
// What each playable level and tutorial creates, how its guards are tied to
// radios and lit areas, and where they patrol. The level states and the map
// checker read this one table.
#include <vector>
#include "KEVec2.h"

enum GuardLink
{
	LINK_NONE = 0,   // a plain guard
	LINK_RADIO = 1,  // follows the music of radio `linkIndex`
	LINK_AREA = 2    // tends the lamp of lit area `linkIndex`
};

// The groups of a level's object list, back to front. A group holds every
// object of its kind in index order (a sight group: one sight per guard).
enum LevelPart
{
	PART_PATH = 0,
	PART_WALL,
	PART_PLAYER,
	PART_LIGHTS,
	PART_AREAS,
	PART_RADIOS,
	PART_SERVERS,
	PART_BUSHES,
	PART_GUARDS,
	PART_SIGHTS
};

struct GuardSetup
{
	int link;                     // GuardLink
	int linkIndex;                // radio or lit-area number; -1 without a link
	bool facingSet;               // the level sets `rotation` to `facing`
	float facing;
	std::vector<KEVec2> patrol;   // points walked before returning home
	bool hasHome;                 // the home point closes the route (patrolling guards)
};

struct LevelSetup
{
	int stateId;
	const char* mapFile;
	int serverGoal;
	float camMaxX, camMaxY;       // camera limit: at or past it the camera stops half a unit short
	int lights, areas, radios, servers, bushes, guards;
	std::vector<int> areaLight;   // lit area i is lit by light areaLight[i]
	std::vector<int> listOrder;   // LevelPart groups, the order of every per-object call
	std::vector<GuardSetup> guardSetups;   // by guard index (map scan order)
};

// Every level in state-id order: 1 to 5 the tutorials, 6 to 8 the levels.
const std::vector<LevelSetup>& GetLevelSetups();

// The set-up of state `stateId` (1 to 8); nullptr for any other id.
const LevelSetup* FindLevelSetup(int stateId);

// The set-up of state `stateId`, which must be a level or tutorial id.
const LevelSetup& GetLevelSetup(int stateId);
