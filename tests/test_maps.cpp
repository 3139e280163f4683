// The level grid: loading any file, the wall-contact probes and the boxes that meet; then the
// level maps against the level table: what the player and the lured guards must reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "BinaryMap.h"
#include "GameObject.h"
#include "GameStates.h"
#include "Guard.h"
#include "KEVec2.h"
#include "LevelData.h"
#include "Sight.h"

namespace {
std::string printed;   // what the last load printed

int Load(const std::string& text) {
	const std::string path = ::testing::TempDir() + "nullvane_map" + std::to_string(getpid()) + ".txt";
	std::ofstream(path, std::ios::binary) << text;
	::testing::internal::CaptureStdout();
	const int result = LoadBinaryMap(path.c_str());
	printed = ::testing::internal::GetCapturedStdout();
	remove(path.c_str());
	return result;
}

AABB Box(float minX, float minY, float maxX, float maxY) { return AABB{{minX, minY}, {maxX, maxY}}; }

std::vector<int> GridCells(int** grid) {   // row 0 first
	std::vector<int> all;
	for (int r = 0; r < gMapHeight; ++r)
		all.insert(all.end(), grid[r], grid[r] + gMapWidth);
	return all;
}

struct Cell { int c, r; };
using Grid = std::vector<std::vector<bool>>;
using Cells = std::vector<std::vector<Cell>>;   // by cell code
using Poses = std::vector<std::pair<KEVec2, float>>;
const float kTile = 40.0f;

KEVec2 Placed(Cell cell) { return KEVec2{ MapCellCentre(cell.c), MapCellCentre(cell.r) }; }
KEVec2 Centre(Cell cell) { return KEVec2{ (cell.c + 0.5f) * kTile, (cell.r + 0.5f) * kTile }; }
int Contact(KEVec2 p) { return CheckMapCollision(p.x / kTile, p.y / kTile, 1.0f, 1.0f); }
bool IsWall(int c, int r) { return c >= 0 && r >= 0 && c < gMapWidth && r < gMapHeight && gMapSolid[r][c] == 1; }
bool Open2(Cell b) { return !IsWall(b.c, b.r) && !IsWall(b.c + 1, b.r) && !IsWall(b.c, b.r + 1) && !IsWall(b.c + 1, b.r + 1); }

// Cells under the wall-free 2 x 2 blocks (the player's size) joined by steps to a block over `from`.
Grid Reach(Cell from) {
	Grid block(gMapHeight, std::vector<bool>(gMapWidth, false)), cells = block;
	std::function<void(int, int)> fill = [&](int c, int r) {
		if (c < 0 || r < 0 || c + 2 > gMapWidth || r + 2 > gMapHeight || block[r][c] || !Open2({ c, r }))
			return;
		block[r][c] = cells[r][c] = cells[r][c + 1] = cells[r + 1][c] = cells[r + 1][c + 1] = true;
		fill(c + 1, r), fill(c - 1, r), fill(c, r + 1), fill(c, r - 1);
	};
	for (int i = 0; i < 4; ++i)
		fill(from.c - i % 2, from.r - i / 2);
	return cells;
}

// A guard's view, by the game's own sight test.
bool Sees(KEVec2 g, float facing, KEVec2 t) {
	static BasicGuard guard(nullptr);
	static Sight sight(&guard, nullptr);
	guard.position = g, guard.rotation = facing, sight.cellSize = kTile;
	return sight.Looks(t) == SIGHT_SEEN;
}

// A guard's poses over two patrol laps at 1/60 s a frame (a post gives one pose); `laps` < 2 if a wall stopped it.
Poses Walk(const GuardSetup& g, Cell home, int& laps) {
	laps = 2;
	if (!g.hasHome)
		return { { Placed(home), g.facingSet ? g.facing : 0.0f } };
	std::vector<KEVec2> stops = { Centre(home) };
	stops.insert(stops.end(), g.patrol.begin(), g.patrol.end());
	stops.push_back(Centre(home));
	const float dt = 1.0f / 60.0f;
	KEVec2 p = Placed(home), v = { 0.0f, 0.0f }, d;
	Poses poses;
	laps = 0;
	for (int frame = 0, away = 0; frame < 60 * 600 && laps < 2; ++frame) {
		const bool atHome = KEVec2Distance(&p, &stops[0]) < 30.0f;
		laps += atHome && away, away = !atHome;
		for (size_t i = 0; i + 1 < stops.size(); ++i)
			if (KEVec2Distance(&p, &stops[i]) < 30.0f) {
				KEVec2Sub(&d, &stops[i + 1], &p), KEVec2Normalize(&v, &d);
				break;
			}
		p = { p.x + v.x * dt * 100.0f, p.y + v.y * dt * 100.0f };
		poses.push_back({ p, std::atan2(v.y, v.x) });
		if (Contact(p) != 0)
			break;   // a wall stops it for good
		p = { p.x + v.x * dt, p.y + v.y * dt };
	}
	return poses;
}

// Runs `check` on each level's map, with its cells by code, once the object counts match the level table.
void ForEachLevel(const std::function<void(const LevelSetup&, const Cells&)>& check) {
	for (const LevelSetup& level : GetLevelSetups()) {
		SCOPED_TRACE(level.mapFile);
		ASSERT_EQ(LoadBinaryMap(level.mapFile), 1);
		Cells m(CELL_LIGHT_AREA + 2);   // the last for codes the game does not know
		for (int c = 0; c < gMapWidth; ++c)
			for (int r = 0; r < gMapHeight; ++r)
				m[std::min((unsigned)gMapCells[r][c], CELL_LIGHT_AREA + 1u)].push_back({ c, r });
		std::vector<int> have, want = { 1, level.guards, level.bushes, level.radios, 0, level.servers, level.lights, level.areas, 0 };
		for (int code = CELL_PLAYER; code <= CELL_LIGHT_AREA + 1; ++code)
			have.push_back((int)m[code].size());
		EXPECT_EQ(have, want) << "cells of codes 2 to 9, then unknown codes";
		if (have == want && (int)level.guardSetups.size() == level.guards)
			check(level, m);
		FreeBinaryMap();
	}
}
}

TEST(BinaryMap, AnyFileLeavesASafeGrid) {
	// Refused, releasing the previous map: "Error in opening File" and an empty grid.
	const std::string refused[] = {"", "W 2\nH 2\n", "W 2\nH 0\nT 40\n", "W 1025\nH 2\nT 40\n",
		"W 99999999999999999999\nH 2\nT 40\n", "W 2\nH 2\nT 0\n0 0 0 0\n", "W 2\nH 2\nT nan\n0 0 0 0\n"};
	for (const std::string& text : refused) {
		SCOPED_TRACE(text);
		ASSERT_EQ(Load("W 2\nH 2\nT 32\n1 1\n1 1\n"), 1);
		EXPECT_EQ(Load(text), 0);
		EXPECT_EQ(printed, "Error in opening File\n");
		EXPECT_TRUE(gMapWidth == 0 && gMapHeight == 0 && gMapCells == nullptr && gMapSolid == nullptr);
		EXPECT_EQ(CheckMapCollision(0.5f, 0.5f, 1.0f, 1.0f), 0);
		EXPECT_EQ(gMapTileSize, 32.0f);   // the last good size stays: dividing by it is safe
	}
	// Any single word is a label; rows may span lines; only code 1 is a wall; the first file row is the bottom.
	struct Case { const char* text; int width; std::vector<int> cells; };
	const Case cases[] = {
		{"columns 4\nROWS== 2\nx 40\n0 1 6\n10\n\n-1 9 11 1\n", 4, {0, 1, 6, 10, -1, 9, 11, 1}},
		{"Width 3\r\nHeight 2\r\nTileSize 40\r\n1 1 1\r\n0 2 0\r\n", 3, {1, 1, 1, 0, 2, 0}},
		{"W 3\nH 2\nT 40\n1 2 1\n1 x 1", 3, {1, 2, 1, 1, 0, 0}},           // stops at garbage; the rest stays 0
		{"W 2\nH 1\nT 40\n2 1 1 1 1 1 1 junk\n", 2, {2, 1}},               // too many cells
	};
	for (const Case& c : cases) {
		SCOPED_TRACE(c.text);
		EXPECT_EQ(Load(c.text), 1);
		EXPECT_TRUE(gMapWidth == c.width && gMapHeight == (int)c.cells.size() / c.width);
		EXPECT_EQ(GridCells(gMapCells), c.cells);
		for (size_t i = 0; i < c.cells.size(); ++i)
			EXPECT_EQ(GridCells(gMapSolid)[i], c.cells[i] == CELL_WALL) << i;
	}
	ASSERT_EQ(Load("W 1024\nH 1024\nT 40\n1\n"), 1);   // the largest accepted size
	FreeBinaryMap();
	FreeBinaryMap();   // twice is harmless
}

TEST(BinaryMap, ProbesFollowTheEightPoints) {
	// A lone wall right of the centre cell; a cell's centre lies half a unit past its middle.
	ASSERT_EQ(Load("W 3\nH 3\nT 40\n0 0 0\n0 0 1\n0 0 0\n"), 1);
	EXPECT_EQ(MapCellCentre(1), 60.5f);
	EXPECT_EQ(CheckMapCollision(1.5f, 1.5f, 1.0f, 1.0f), MAP_HIT_RIGHT);
	// Corridor between wall rows: cells span [r, r + 1), and probes on 0 count, past the last column do not.
	ASSERT_EQ(Load("W 3\nH 3\nT 40\n1 1 1\n0 0 0\n1 1 1\n"), 1);
	EXPECT_EQ(CheckMapCollision(1.5f, 1.5f, 1.0f, 1.0f), MAP_HIT_TOP);
	EXPECT_EQ(CheckMapCollision(1.5f, 1.49f, 1.0f, 1.0f), MAP_HIT_BOTTOM);
	EXPECT_EQ(CheckMapCollision(2.6f, 1.5f, 1.0f, 1.0f), MAP_HIT_TOP);
	for (float v : {10.0f, -5.0f, NAN})   // outside the grid or unusable: no contact
		EXPECT_EQ(CheckMapCollision(v, v, 1.0f, 1.0f), 0) << v;
	ASSERT_EQ(Load("W 1\nH 1\nT 40\n1\n"), 1);
	EXPECT_EQ(CheckMapCollision(0.0f, 0.5f, 1.0f, 1.0f), MAP_HIT_RIGHT | MAP_HIT_BOTTOM);
	FreeBinaryMap();
}

TEST(RectRectIntersect, TouchingAndContainedBoxesOverlapSeparatedOnesNever) {
	const KEVec2 still = {0, 0}, right = {50, 0}, left = {-50, 0}, up = {0, 50}, down = {0, -50};
	const AABB a = Box(0, 0, 10, 10);
	struct Case { AABB b; KEVec2 va, vb; bool overlap; } cases[] = {
		{Box(10, 2, 20, 8), still, still, true},      // shared edge
		{Box(-5, -5, 0, 0), still, still, true},      // shared corner
		{Box(4, 4, 6, 6), still, still, true},        // contained
		{Box(9, 9, 19, 19), left, right, true},       // overlapping now, moving apart
		{Box(11, 0, 21, 10), right, left, false},     // velocities that would cross do not count
		{Box(0, 11, 10, 21), up, down, false},
		{Box(2, 10.5f, 8, 20), still, still, false},  // apart on one axis only
	};
	for (const Case& c : cases) {
		EXPECT_EQ(RectRectIntersect(a, c.va, c.b, c.vb), c.overlap) << c.b.min.x << ", " << c.b.min.y;
		EXPECT_EQ(RectRectIntersect(c.b, c.vb, a, c.va), c.overlap) << c.b.min.x << ", " << c.b.min.y;
	}
}

TEST(Maps, BordersHudRowReachAndPatrolsAreSound) {
	ForEachLevel([](const LevelSetup& level, const Cells& m) {
		// With the camera at its top clamp the 60-unit HUD covers the row below the top border too.
		for (int r = 0; r < gMapHeight; ++r)
			for (int c = 0; c < gMapWidth; ++c)
				EXPECT_TRUE(IsWall(c, r) || (c > 0 && r > 0 && c < gMapWidth - 1 && r < gMapHeight - 2)) << c << ", " << r;
		const Grid walkable = Reach(m[CELL_PLAYER][0]);   // a one-cell gap is no way for the player
		for (int code : { CELL_SERVER, CELL_RADIO, CELL_LIGHT, CELL_BUSH, CELL_GUARD })
			for (Cell cell : m[code])
				EXPECT_TRUE(walkable[cell.r][cell.c]) << "code " << code << " at " << cell.c << ", " << cell.r;
		EXPECT_EQ(Contact(Placed(m[CELL_PLAYER][0])), 0) << "the start touches a wall";
		for (int i = 0, laps; i < level.guards; ++i) {
			Walk(level.guardSetups[i], m[CELL_GUARD][i], laps);
			EXPECT_EQ(laps, 2) << "G" << i << " walks into a wall";
		}
		// The 200 x 200 lit square reaches two cells left of and below its cell and three right and above.
		for (Cell a : m[CELL_LIGHT_AREA])
			for (int r = a.r - 2; r <= a.r + 3; ++r)
				for (int c = a.c - 2; c <= a.c + 3; ++c)
					EXPECT_FALSE(IsWall(c, r) || c < 0 || r < 0) << "lit area at " << a.c << ", " << a.r;
	});
}

TEST(Maps, RadioAndLightTutorialsCannotBeWonWithoutTheirTool) {
	ForEachLevel([](const LevelSetup& level, const Cells& m) {
		const int taught = level.stateId == STATE_RADIO_TUTORIAL ? LINK_RADIO : level.stateId == STATE_LIGHT_TUTORIAL ? LINK_AREA : LINK_NONE;
		for (int i = 0, laps; taught != LINK_NONE && i < level.guards; ++i) {
			if (level.guardSetups[i].link != taught)
				continue;
			// Wherever the player stands to hack, the lured guard looks at it at least once a second (a hack's time).
			const Poses poses = Walk(level.guardSetups[i], m[CELL_GUARD][i], laps);
			const KEVec2 server = Placed(m[CELL_SERVER][0]);
			int worst = 0;
			for (float dx = -45.0f; dx <= 45.0f; dx += 5.0f)
				for (float dy = -45.0f; dy <= 45.0f; dy += 5.0f) {
					const KEVec2 spot = { server.x + dx, server.y + dy };
					int unseen = 0, longest = 0;
					for (const auto& pose : poses)
						longest = std::max(longest, unseen = Sees(pose.first, pose.second, spot) ? 0 : unseen + 1);
					if (Contact(spot) == 0)
						worst = std::max(worst, longest == (int)poses.size() ? 1 << 30 : longest);
				}
			EXPECT_LT(worst, 60) << "G" << i << " leaves a hacking spot unwatched";
		}
	});
}
