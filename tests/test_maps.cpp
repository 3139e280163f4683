// The eight level maps against the level table: sizes, object cells, the guards'
// patrol walks, and what the player and the distracted guards must reach.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "BinaryMap.h"
#include "GameObject.h"
#include "GameStates.h"
#include "KEVec2.h"
#include "LevelData.h"

namespace
{
const float kTile = 40.0f;
const float kViewRange = 150.0f;   // a guard's sight radius
const float kGuardHalf = 20.0f;    // guards and the player are one cell wide
const float kAreaHalf = 100.0f;    // a lit area is 200 x 200

struct Cell
{
	int c, r;
};

KEVec2 Placed(Cell cell)
{
	return KEVec2{ MapCellCentre(cell.c), MapCellCentre(cell.r) };
}

AABB Box(KEVec2 centre, float half)
{
	return AABB{ { centre.x - half, centre.y - half }, { centre.x + half, centre.y + half } };
}

bool Overlap(KEVec2 a, float halfA, KEVec2 b, float halfB)
{
	const KEVec2 still = { 0.0f, 0.0f };
	return RectRectIntersect(Box(a, halfA), still, Box(b, halfB), still);
}

bool IsWall(int c, int r)
{
	return c >= 0 && r >= 0 && c < gMapWidth && r < gMapHeight && gMapSolid[r][c] == 1;
}

// Cells of one code in the order a level hands them out: columns left to
// right, and within a column rows from the bottom up.
std::vector<Cell> CellsOf(int code)
{
	std::vector<Cell> out;
	for (int c = 0; c < gMapWidth; ++c)
		for (int r = 0; r < gMapHeight; ++r)
			if (gMapCells[r][c] == code)
				out.push_back({ c, r });
	return out;
}

// Cells reachable from `from` by steps to the four neighbours over non-wall
// cells, as a guard's route search and a walking player move.
std::vector<std::vector<bool>> Flood(Cell from)
{
	std::vector<std::vector<bool>> seen(gMapHeight, std::vector<bool>(gMapWidth, false));
	std::deque<Cell> todo = { from };
	seen[from.r][from.c] = true;
	while (!todo.empty())
	{
		Cell at = todo.front();
		todo.pop_front();
		const Cell next[4] = { { at.c, at.r - 1 }, { at.c, at.r + 1 }, { at.c - 1, at.r }, { at.c + 1, at.r } };
		for (Cell n : next)
		{
			if (n.c < 0 || n.r < 0 || n.c >= gMapWidth || n.r >= gMapHeight)
				continue;
			if (IsWall(n.c, n.r) || seen[n.r][n.c])
				continue;
			seen[n.r][n.c] = true;
			todo.push_back(n);
		}
	}
	return seen;
}

bool Reaches(Cell from, Cell to)
{
	return Flood(from)[to.r][to.c];
}

// Where a body one cell wide fits: the 2 x 2 block of cells with `at` as its
// lower left corner is free of walls. Wherever the player or a guard stands,
// its probes reach into its own cell, the one to the right and the one above.
bool RoomAt(Cell at)
{
	return at.c >= 0 && at.r >= 0 && at.c + 1 < gMapWidth && at.r + 1 < gMapHeight && !IsWall(at.c, at.r) &&
	       !IsWall(at.c + 1, at.r) && !IsWall(at.c, at.r + 1) && !IsWall(at.c + 1, at.r + 1);
}

// Cells the player can get onto from its start through passages at least two
// cells wide: the cells of every roomy 2 x 2 block connected to one holding the
// start.
std::vector<std::vector<bool>> PlayerReach(Cell start)
{
	std::vector<std::vector<bool>> block(gMapHeight, std::vector<bool>(gMapWidth, false));
	std::deque<Cell> todo;
	for (Cell b : { Cell{ start.c, start.r }, Cell{ start.c - 1, start.r }, Cell{ start.c, start.r - 1 },
	                Cell{ start.c - 1, start.r - 1 } })
		if (RoomAt(b))
		{
			block[b.r][b.c] = true;
			todo.push_back(b);
		}
	std::vector<std::vector<bool>> cells(gMapHeight, std::vector<bool>(gMapWidth, false));
	while (!todo.empty())
	{
		Cell at = todo.front();
		todo.pop_front();
		cells[at.r][at.c] = cells[at.r][at.c + 1] = cells[at.r + 1][at.c] = cells[at.r + 1][at.c + 1] = true;
		const Cell next[4] = { { at.c, at.r - 1 }, { at.c, at.r + 1 }, { at.c - 1, at.r }, { at.c + 1, at.r } };
		for (Cell n : next)
			if (RoomAt(n) && !block[n.r][n.c])
			{
				block[n.r][n.c] = true;
				todo.push_back(n);
			}
	}
	return cells;
}

// A guard's view: the half-plane ahead within 150 units, hidden by any wall in
// the block of cells from the target's cell towards the guard.
bool Sees(KEVec2 guard, float facing, KEVec2 target)
{
	const KEVec2 ahead = { std::cos(facing), std::sin(facing) };
	const KEVec2 d = { target.x - guard.x, target.y - guard.y };
	if (KEVec2DotProduct(&ahead, &d) < 0.0f || KEVec2Distance(&guard, &target) > kViewRange)
		return false;
	const float fx = d.x / kTile, fy = d.y / kTile;
	const int nx = (int)std::fabs(fx), ny = (int)std::fabs(fy);
	const int pc = (int)target.x / (int)kTile, pr = (int)target.y / (int)kTile;
	for (int i = 0; std::abs(i) <= nx; i += (fx >= 0.0f ? 1 : -1))
		for (int j = 0; std::abs(j) <= ny; j += (fy >= 0.0f ? 1 : -1))
			if (IsWall(pc - i, pr - j))
				return false;
	return true;
}

struct Walk
{
	int laps = 0;
	int wallFlags = 0;   // CheckMapCollision at the step that hit a wall, else 0
	KEVec2 stoppedAt = { 0.0f, 0.0f };
};

// Walks a patrolling guard placed on `home` the way a guard patrols, at 1/60 s
// a frame: it heads for the next point whenever it comes within reach (30) of
// one, moves speed x dt, has its wall contact taken, and then moves once more by
// its unscaled velocity x dt. Two laps, or until a wall touches the guard (which
// would zero its velocity and leave it standing for good). `visit` sees every
// position with the heading. A guard starts on its placed position, and after a
// catch on the exact centre of its home cell (`fromCentre`).
Walk WalkPatrol(const GuardSetup& guard, Cell home, bool fromCentre,
                const std::function<void(KEVec2, float)>& visit)
{
	const float dt = 1.0f / 60.0f, speed = 100.0f, reach = 0.75f * kTile;
	const KEVec2 homePoint = { (home.c + 0.5f) * kTile, (home.r + 0.5f) * kTile };
	std::vector<KEVec2> route = guard.patrol;
	route.push_back(homePoint);

	Walk walk;
	KEVec2 position = fromCentre ? homePoint : Placed(home), velocity = { 0.0f, 0.0f };
	bool away = false;
	for (int frame = 0; frame < 60 * 600 && walk.laps < 2; ++frame)
	{
		KEVec2 toward = { 0.0f, 0.0f };
		bool turn = false;
		if (KEVec2Distance(&position, &homePoint) < reach)
		{
			walk.laps += away ? 1 : 0;
			away = false;
			toward = route[0];
			turn = true;
		}
		else
		{
			away = true;
			for (size_t i = 0; i + 1 < route.size(); ++i)
			{
				if (KEVec2Distance(&position, &route[i]) < reach)
				{
					toward = route[i + 1];
					turn = true;
					break;
				}
			}
		}
		if (turn)
		{
			KEVec2 d;
			KEVec2Sub(&d, &toward, &position);
			KEVec2Normalize(&velocity, &d);
		}
		position.x += velocity.x * dt * speed;
		position.y += velocity.y * dt * speed;
		visit(position, std::atan2(velocity.y, velocity.x));
		int flags = CheckMapCollision(position.x / kTile, position.y / kTile, 1.0f, 1.0f);
		if (flags != 0)
		{
			walk.wallFlags = flags;
			walk.stoppedAt = position;
			return walk;
		}
		position.x += velocity.x * dt;
		position.y += velocity.y * dt;
	}
	return walk;
}

// Loads each level's map in turn and hands it to `check`, with the map globals
// loaded for the duration.
void ForEachLevel(const std::function<void(const LevelSetup&)>& check)
{
	for (const LevelSetup& level : GetLevelSetups())
	{
		SCOPED_TRACE(level.mapFile);
		ASSERT_EQ(LoadBinaryMap(level.mapFile), 1);
		check(level);
		FreeBinaryMap();
	}
}

std::string Where(Cell cell)
{
	return "(" + std::to_string(cell.c) + ", " + std::to_string(cell.r) + ")";
}
}

TEST(LevelData, EveryPlayableStateHasItsSetUp)
{
	const unsigned int states[] = { STATE_SERVER_TUTORIAL, STATE_GUARD_TUTORIAL, STATE_BUSH_TUTORIAL,
		STATE_RADIO_TUTORIAL, STATE_LIGHT_TUTORIAL, STATE_LEVEL1, STATE_TARN_LEVEL, STATE_TARN_LEVEL2 };
	ASSERT_EQ(GetLevelSetups().size(), 8u);
	for (unsigned int id : states)
	{
		const LevelSetup* level = FindLevelSetup((int)id);
		ASSERT_NE(level, nullptr) << id;
		EXPECT_EQ(&GetLevelSetup((int)id), level);
		EXPECT_EQ((int)level->guardSetups.size(), level->guards) << id;
		EXPECT_EQ((int)level->areaLight.size(), level->areas) << id;
		for (int light : level->areaLight)
			EXPECT_TRUE(light >= 0 && light < level->lights) << id;
		for (const GuardSetup& g : level->guardSetups)
		{
			EXPECT_EQ(g.hasHome, !g.patrol.empty()) << id;
			if (g.link == LINK_RADIO)
				EXPECT_TRUE(g.linkIndex >= 0 && g.linkIndex < level->radios) << id;
			else if (g.link == LINK_AREA)
				EXPECT_TRUE(g.linkIndex >= 0 && g.linkIndex < level->areas) << id;
			else
				EXPECT_EQ(g.linkIndex, -1) << id;
		}
		// The win needs every server the level creates, and no more.
		EXPECT_EQ(level->serverGoal, level->servers) << id;

		// The object list holds each group once, those of the kinds the level
		// creates, with the guards before the player (a catch is tested against
		// the player's box of the frame before) and the sights after the guards.
		const int counts[] = { 1, 1, 1, level->lights, level->areas, level->radios, level->servers,
			                   level->bushes, level->guards, level->guards };
		std::vector<int> position(PART_SIGHTS + 1, -1);
		for (size_t i = 0; i < level->listOrder.size(); ++i)
		{
			const int part = level->listOrder[i];
			ASSERT_TRUE(part >= PART_PATH && part <= PART_SIGHTS) << id;
			EXPECT_EQ(position[part], -1) << id << ": part " << part << " twice";
			position[part] = (int)i;
		}
		for (int part = PART_PATH; part <= PART_SIGHTS; ++part)
			EXPECT_EQ(position[part] >= 0, counts[part] > 0) << id << ": part " << part;
		EXPECT_LT(position[PART_GUARDS], position[PART_PLAYER]) << id;
		EXPECT_LT(position[PART_GUARDS], position[PART_SIGHTS]) << id;
	}
	EXPECT_EQ(FindLevelSetup(STATE_MENU), nullptr);
	EXPECT_EQ(FindLevelSetup(STATE_WIN), nullptr);
	EXPECT_EQ(GetLevelSetup(42).guards, 0);

	// Spot values the levels are built around.
	const LevelSetup& level1 = GetLevelSetup(STATE_LEVEL1);
	EXPECT_EQ(level1.areaLight, (std::vector<int>{ 0, 2, 1 }));
	EXPECT_FLOAT_EQ(level1.guardSetups[0].patrol[0].x, 700.0f);
	EXPECT_FLOAT_EQ(level1.guardSetups[6].facing, 3.1415925f);
	EXPECT_FLOAT_EQ(GetLevelSetup(STATE_TARN_LEVEL2).guardSetups[7].facing, 1.5707963f);
	EXPECT_FLOAT_EQ(GetLevelSetup(STATE_TARN_LEVEL).camMaxY, 1239.5f);
	EXPECT_EQ(GetLevelSetup(STATE_RADIO_TUTORIAL).listOrder,
	          (std::vector<int>{ PART_PATH, PART_WALL, PART_RADIOS, PART_SERVERS, PART_GUARDS, PART_PLAYER,
	                             PART_BUSHES, PART_SIGHTS }));
}

TEST(Maps, SizeFollowsTheCameraClampAndABorderOfWalls)
{
	ForEachLevel([](const LevelSetup& level) {
		EXPECT_FLOAT_EQ(gMapTileSize, kTile);
		// Just big enough for the view at the clamp: right edge clamp + 400, top clamp + 300.
		const float right = level.camMaxX + 0.5f + 400.0f, top = level.camMaxY + 0.5f + 300.0f;
		EXPECT_EQ(gMapWidth, (int)std::ceil(right / kTile));
		EXPECT_EQ(gMapHeight, (int)std::ceil(top / kTile));
		for (int c = 0; c < gMapWidth; ++c)
			EXPECT_TRUE(IsWall(c, 0) && IsWall(c, gMapHeight - 1)) << "column " << c;
		for (int r = 0; r < gMapHeight; ++r)
			EXPECT_TRUE(IsWall(0, r) && IsWall(gMapWidth - 1, r)) << "row " << r;
	});
}

TEST(Maps, CellsMatchTheObjectsEachLevelCreates)
{
	ForEachLevel([](const LevelSetup& level) {
		// Extra cells would be ignored, except servers, which the HUD would count
		// as unhackable goals.
		EXPECT_EQ(CellsOf(CELL_PLAYER).size(), 1u);
		EXPECT_EQ((int)CellsOf(CELL_GUARD).size(), level.guards);
		EXPECT_EQ((int)CellsOf(CELL_BUSH).size(), level.bushes);
		EXPECT_EQ((int)CellsOf(CELL_RADIO).size(), level.radios);
		EXPECT_EQ((int)CellsOf(CELL_SERVER).size(), level.servers);
		EXPECT_EQ((int)CellsOf(CELL_LIGHT).size(), level.lights);
		EXPECT_EQ((int)CellsOf(CELL_LIGHT_AREA).size(), level.areas);
		for (int r = 0; r < gMapHeight; ++r)
			for (int c = 0; c < gMapWidth; ++c)
			{
				const int v = gMapCells[r][c];
				EXPECT_TRUE(v >= CELL_FLOOR && v <= CELL_LIGHT_AREA && v != 6)
					<< "code " << v << " at " << Where({ c, r });
			}
	});
}

TEST(Maps, ScanOrderGivesEachGuardItsPost)
{
	// Guard i of the table takes the i-th guard cell in scan order. A patrol's
	// first leg runs along the home cell's row or column (a swapped cell would
	// send the guard diagonally through the level), and a guard posted at a radio
	// or a lamp watches a server from where it stands.
	ForEachLevel([](const LevelSetup& level) {
		const std::vector<Cell> homes = CellsOf(CELL_GUARD);
		const std::vector<Cell> servers = CellsOf(CELL_SERVER);
		ASSERT_EQ((int)homes.size(), level.guards);
		for (int i = 0; i < level.guards; ++i)
		{
			const GuardSetup& g = level.guardSetups[i];
			const KEVec2 at = Placed(homes[i]);
			if (g.hasHome)
			{
				const KEVec2 first = g.patrol[0];
				EXPECT_TRUE(std::fabs(first.x - at.x) < kTile || std::fabs(first.y - at.y) < kTile)
					<< "G" << i << " at " << Where(homes[i]);
			}
			else if (g.link != LINK_NONE)
			{
				bool watches = false;
				for (Cell s : servers)
					watches = watches || Sees(at, g.facingSet ? g.facing : 0.0f, Placed(s));
				EXPECT_TRUE(watches) << "G" << i << " at " << Where(homes[i]) << " watches no server";
			}
		}
	});
}

TEST(Maps, PatrolsNeverTouchAWallAndLampGuardsCrossTheirAreas)
{
	ForEachLevel([](const LevelSetup& level) {
		const std::vector<Cell> homes = CellsOf(CELL_GUARD);
		const std::vector<Cell> areas = CellsOf(CELL_LIGHT_AREA);
		const std::vector<Cell> start = CellsOf(CELL_PLAYER);
		ASSERT_EQ((int)homes.size(), level.guards);
		ASSERT_EQ((int)areas.size(), level.areas);
		ASSERT_EQ(start.size(), 1u);
		const KEVec2 spawn = Placed(start[0]);
		EXPECT_EQ(CheckMapCollision(spawn.x / kTile, spawn.y / kTile, 1.0f, 1.0f), 0) << "the start touches a wall";
		for (int i = 0; i < level.guards; ++i)
		{
			const GuardSetup& g = level.guardSetups[i];
			const bool tendsLamp = g.link == LINK_AREA;
			const KEVec2 area = tendsLamp ? Placed(areas[g.linkIndex]) : KEVec2{ 0.0f, 0.0f };
			const KEVec2 at = Placed(homes[i]);
			// A caught player starts again here: no guard may see the spot.
			EXPECT_FALSE(Sees(at, g.facingSet ? g.facing : 0.0f, spawn)) << "G" << i << " sees the start";
			if (!g.hasHome)
			{
				// A post against a wall would push the guard off it every frame.
				const KEVec2 centre = { (homes[i].c + 0.5f) * kTile, (homes[i].r + 0.5f) * kTile };
				EXPECT_EQ(CheckMapCollision(at.x / kTile, at.y / kTile, 1.0f, 1.0f), 0) << "G" << i;
				EXPECT_EQ(CheckMapCollision(centre.x / kTile, centre.y / kTile, 1.0f, 1.0f), 0) << "G" << i;
				EXPECT_TRUE(!tendsLamp || Overlap(at, kGuardHalf, area, kAreaHalf))
					<< "G" << i << " stands outside its area";
				continue;
			}
			for (bool fromCentre : { false, true })
			{
				SCOPED_TRACE(fromCentre ? "after a catch" : "from the start");
				bool crossed = false, seesStart = false;
				Walk walk = WalkPatrol(g, homes[i], fromCentre, [&](KEVec2 p, float heading) {
					crossed = crossed || (tendsLamp && Overlap(p, kGuardHalf, area, kAreaHalf));
					seesStart = seesStart || Sees(p, heading, spawn);
				});
				EXPECT_EQ(walk.wallFlags, 0) << "G" << i << " from " << Where(homes[i]) << " touches a wall at ("
				                             << walk.stoppedAt.x << ", " << walk.stoppedAt.y << ")";
				EXPECT_EQ(walk.laps, 2) << "G" << i << " does not come home";
				EXPECT_FALSE(seesStart) << "G" << i << " sees the start on its rounds";
				EXPECT_TRUE(!tendsLamp || crossed) << "G" << i << " never enters lit area " << g.linkIndex;
			}
		}
	});
}

TEST(Maps, EverythingTheLevelNeedsIsWithinReach)
{
	ForEachLevel([](const LevelSetup& level) {
		const std::vector<Cell> start = CellsOf(CELL_PLAYER);
		ASSERT_EQ(start.size(), 1u);
		// The player is a cell wide, so a one-cell gap is no way through.
		const std::vector<std::vector<bool>> walkable = PlayerReach(start[0]);
		for (int code : { CELL_PLAYER, CELL_SERVER, CELL_RADIO, CELL_LIGHT, CELL_BUSH, CELL_GUARD })
			for (Cell cell : CellsOf(code))
				EXPECT_TRUE(walkable[cell.r][cell.c]) << "code " << code << " at " << Where(cell)
				                                      << " out of the player's reach";

		// A radio calls its guard from anywhere, and a dark lamp calls the guard
		// that stands in its area: both must have a way to walk.
		const std::vector<Cell> homes = CellsOf(CELL_GUARD);
		const std::vector<Cell> radios = CellsOf(CELL_RADIO);
		const std::vector<Cell> areas = CellsOf(CELL_LIGHT_AREA);
		const std::vector<Cell> lights = CellsOf(CELL_LIGHT);
		ASSERT_EQ((int)homes.size(), level.guards);
		ASSERT_EQ((int)radios.size(), level.radios);
		ASSERT_EQ((int)areas.size(), level.areas);
		ASSERT_EQ((int)lights.size(), level.lights);
		for (int i = 0; i < level.guards; ++i)
		{
			const GuardSetup& g = level.guardSetups[i];
			if (g.link == LINK_RADIO)
			{
				EXPECT_TRUE(Reaches(homes[i], radios[g.linkIndex])) << "G" << i << " cannot walk to its radio";
			}
			if (g.link == LINK_AREA)
			{
				EXPECT_TRUE(Reaches(areas[g.linkIndex], lights[level.areaLight[g.linkIndex]]))
					<< "G" << i << " cannot walk from its area to the lamp";
				EXPECT_TRUE(Reaches(homes[i], areas[g.linkIndex])) << "G" << i;
			}
		}
	});
}
