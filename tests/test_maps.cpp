// The level maps against the level table: what the player and the lured guards must reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "BinaryMap.h"
#include "GameStates.h"
#include "KEVec2.h"
#include "LevelData.h"

namespace
{
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

// A guard's view: the half-plane ahead within 150, hidden by any wall between the target's cell and the guard.
bool Sees(KEVec2 g, float facing, KEVec2 t) {
	const KEVec2 d = { t.x - g.x, t.y - g.y };
	if (d.x * std::cos(facing) + d.y * std::sin(facing) < 0.0f || std::hypot(d.x, d.y) > 150.0f)
		return false;
	const int nx = (int)std::fabs(d.x / kTile), ny = (int)std::fabs(d.y / kTile), sx = d.x >= 0 ? 1 : -1, sy = d.y >= 0 ? 1 : -1;
	for (int i = 0; i <= nx; ++i)
		for (int j = 0; j <= ny; ++j)
			if (IsWall((int)t.x / 40 - i * sx, (int)t.y / 40 - j * sy))
				return false;
	return true;
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
