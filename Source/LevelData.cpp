#include "LevelData.h"

#include "GameStates.h"

namespace
{
const float kFacingLeft = 3.1415925f;
const float kFacingUp = 1.5707963f;

GuardSetup Standing(int link, int linkIndex)
{
	return GuardSetup{ link, linkIndex, false, 0.0f, {}, false };
}

GuardSetup StandingFacing(int link, int linkIndex, float facing)
{
	return GuardSetup{ link, linkIndex, true, facing, {}, false };
}

GuardSetup Patrol(int link, int linkIndex, std::vector<KEVec2> points)
{
	return GuardSetup{ link, linkIndex, false, 0.0f, points, true };
}

// stateId, map, goal, camera clamp, lights, areas, radios, servers, bushes,
// guards, area -> light; then the object list order and the guards by index.
std::vector<LevelSetup> MakeLevels()
{
	return {
		{ STATE_SERVER_TUTORIAL, "BinaryMaps/serverTutorial.txt", 1, 600.0f, 560.0f, 0, 0, 0, 1, 0, 1, {},
		  { PART_PATH, PART_SERVERS, PART_GUARDS, PART_PLAYER, PART_WALL, PART_SIGHTS },
		  {
			  Standing(LINK_NONE, -1),
		  } },
		{ STATE_GUARD_TUTORIAL, "BinaryMaps/guardTutorial.txt", 1, 600.0f, 720.0f, 0, 0, 0, 1, 0, 2, {},
		  { PART_PATH, PART_SERVERS, PART_GUARDS, PART_PLAYER, PART_WALL, PART_SIGHTS },
		  {
			  Patrol(LINK_NONE, -1, { { 340, 700 } }),
			  Patrol(LINK_NONE, -1, { { 660, 300 } }),
		  } },
		{ STATE_BUSH_TUTORIAL, "BinaryMaps/bushTutorial.txt", 1, 560.0f, 720.0f, 0, 0, 0, 1, 2, 2, {},
		  { PART_PATH, PART_SERVERS, PART_GUARDS, PART_PLAYER, PART_BUSHES, PART_WALL, PART_SIGHTS },
		  {
			  Patrol(LINK_NONE, -1, { { 340, 300 } }),
			  Patrol(LINK_NONE, -1, { { 570, 700 } }),
		  } },
		{ STATE_RADIO_TUTORIAL, "BinaryMaps/radioTutorial.txt", 1, 600.0f, 640.0f, 0, 0, 1, 1, 2, 2, {},
		  { PART_PATH, PART_WALL, PART_RADIOS, PART_SERVERS, PART_GUARDS, PART_PLAYER, PART_BUSHES, PART_SIGHTS },
		  {
			  Standing(LINK_RADIO, 0),
			  Patrol(LINK_NONE, -1, { { 250, 380 } }),
		  } },
		{ STATE_LIGHT_TUTORIAL, "BinaryMaps/lightTutorial.txt", 1, 600.0f, 640.0f, 1, 1, 1, 1, 2, 2, { 0 },
		  { PART_PATH, PART_LIGHTS, PART_WALL, PART_RADIOS, PART_SERVERS, PART_GUARDS, PART_PLAYER, PART_AREAS,
		    PART_BUSHES, PART_SIGHTS },
		  {
			  Patrol(LINK_AREA, 0, { { 900, 580 } }),
			  Patrol(LINK_RADIO, 0, { { 330, 380 } }),
		  } },
		{ STATE_LEVEL1, "BinaryMaps/Level1.txt", 3, 1000.0f, 1000.0f, 3, 3, 3, 3, 6, 7, { 0, 2, 1 },
		  { PART_PATH, PART_LIGHTS, PART_WALL, PART_RADIOS, PART_SERVERS, PART_GUARDS, PART_PLAYER, PART_BUSHES,
		    PART_AREAS, PART_SIGHTS },
		  {
			  Patrol(LINK_AREA, 0, { { 700, 700 } }),
			  Patrol(LINK_NONE, -1, { { 100, 700 } }),
			  StandingFacing(LINK_RADIO, 0, kFacingLeft),
			  Standing(LINK_AREA, 1),
			  Patrol(LINK_AREA, 2, { { 1100, 500 } }),
			  Patrol(LINK_RADIO, 1, { { 500, 260 } }),
			  StandingFacing(LINK_RADIO, 2, kFacingLeft),
		  } },
		{ STATE_TARN_LEVEL, "BinaryMaps/TarnLevel.txt", 4, 2000.0f, 1240.0f, 1, 1, 2, 4, 4, 10, { 0 },
		  { PART_PATH, PART_LIGHTS, PART_WALL, PART_RADIOS, PART_GUARDS, PART_SERVERS, PART_PLAYER, PART_BUSHES,
		    PART_AREAS, PART_SIGHTS },
		  {
			  Patrol(LINK_NONE, -1, { { 380, 500 } }),
			  Standing(LINK_RADIO, 1),
			  Patrol(LINK_NONE, -1, { { 1800, 1380 } }),
			  StandingFacing(LINK_RADIO, 0, kFacingLeft),
			  Patrol(LINK_NONE, -1, { { 1200, 780 } }),
			  Patrol(LINK_AREA, 0, { { 2140, 100 }, { 2140, 500 }, { 1780, 500 } }),
			  Patrol(LINK_AREA, 0, { { 1780, 100 }, { 2140, 100 }, { 2140, 500 } }),
			  Patrol(LINK_NONE, -1, { { 2220, 780 } }),
			  Patrol(LINK_AREA, 0, { { 2140, 500 }, { 1780, 500 }, { 1780, 100 } }),
			  Patrol(LINK_AREA, 0, { { 1780, 500 }, { 1780, 100 }, { 2140, 100 } }),
		  } },
		{ STATE_TARN_LEVEL2, "BinaryMaps/TarnLevel2.txt", 6, 2280.0f, 1120.0f, 2, 2, 2, 6, 5, 8, { 0, 1 },
		  { PART_PATH, PART_LIGHTS, PART_WALL, PART_RADIOS, PART_SERVERS, PART_GUARDS, PART_PLAYER, PART_AREAS,
		    PART_BUSHES, PART_SIGHTS },
		  {
			  Patrol(LINK_AREA, 0, { { 820, 375 } }),
			  Patrol(LINK_AREA, 0, { { 535, 100 } }),
			  StandingFacing(LINK_RADIO, 0, kFacingLeft),
			  StandingFacing(LINK_RADIO, 1, kFacingLeft),
			  Patrol(LINK_NONE, -1, { { 1030, 1220 } }),
			  Patrol(LINK_NONE, -1, { { 2180, 400 } }),
			  Patrol(LINK_NONE, -1, { { 1940, 1020 } }),
			  StandingFacing(LINK_AREA, 1, kFacingUp),
		  } },
	};
}
}

const std::vector<LevelSetup>& GetLevelSetups()
{
	static const std::vector<LevelSetup> levels = MakeLevels();
	return levels;
}

const LevelSetup* FindLevelSetup(int stateId)
{
	for (const LevelSetup& level : GetLevelSetups())
		if (level.stateId == stateId)
			return &level;
	return nullptr;
}

const LevelSetup& GetLevelSetup(int stateId)
{
	// An unknown id gets an empty level rather than a crash.
	static const LevelSetup empty = { 0, "", 0, 1000.0f, 1000.0f, 0, 0, 0, 0, 0, 0, {}, {}, {} };
	const LevelSetup* level = FindLevelSetup(stateId);
	return level ? *level : empty;
}
