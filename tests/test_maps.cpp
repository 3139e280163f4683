// The eight level maps against the level table: sizes, object cells, the guards'
// patrol walks, and what the player and the distracted guards must reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <string>
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
const float kTile = 40.0f;

KEVec2 Placed(Cell cell) { return KEVec2{ MapCellCentre(cell.c), MapCellCentre(cell.r) }; }
KEVec2 Centre(Cell cell) { return KEVec2{ (cell.c + 0.5f) * kTile, (cell.r + 0.5f) * kTile }; }
int Contact(KEVec2 p) { return CheckMapCollision(p.x / kTile, p.y / kTile, 1.0f, 1.0f); }
std::string Where(Cell cell) { return "(" + std::to_string(cell.c) + ", " + std::to_string(cell.r) + ")"; }
bool IsWall(int c, int r) { return c >= 0 && r >= 0 && c < gMapWidth && r < gMapHeight && gMapSolid[r][c] == 1; }
float Facing(const GuardSetup& g) { return g.facingSet ? g.facing : 0.0f; }
// A guard, 40 wide, touches the 200 x 200 lit area centred on `a`.
bool InArea(KEVec2 g, KEVec2 a) { return std::fabs(g.x - a.x) <= 120.0f && std::fabs(g.y - a.y) <= 120.0f; }

// Cells under the wall-free w x w blocks joined by steps to the four neighbours to a block over `from`.
// w = 1: a guard's route search; w = 2: where the player fits, probing the cells to its right and above.
// Cells marked in `avoid` count as walls.
Grid Reach(Cell from, int w, const Grid* avoid = nullptr)
{
	Grid block(gMapHeight, std::vector<bool>(gMapWidth, false)), cells = block;
	std::deque<Cell> todo;
	auto visit = [&](Cell b) {
		for (int i = 0; i < w * w; ++i)
			if (b.c < 0 || b.r < 0 || b.c + w > gMapWidth || b.r + w > gMapHeight || IsWall(b.c + i % w, b.r + i / w) ||
			    (avoid && (*avoid)[b.r + i / w][b.c + i % w]))
				return;
		if (!block[b.r][b.c])
			todo.push_back(b);
		block[b.r][b.c] = true;
	};
	for (int i = 0; i < w * w; ++i)
		visit({ from.c - i % w, from.r - i / w });
	for (; !todo.empty(); todo.pop_front())
	{
		const Cell at = todo.front();
		for (int i = 0; i < w * w; ++i)
			cells[at.r + i / w][at.c + i % w] = true;
		for (Cell n : { Cell{ at.c, at.r - 1 }, Cell{ at.c, at.r + 1 }, Cell{ at.c - 1, at.r }, Cell{ at.c + 1, at.r } })
			visit(n);
	}
	return cells;
}
bool Reaches(Cell from, Cell to) { return Reach(from, 1)[to.r][to.c]; }

// A guard's view: the half-plane ahead within 150 units, hidden by any wall in
// the block of cells from the target's cell towards the guard.
bool Sees(KEVec2 g, float facing, KEVec2 t)
{
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

// Walks a guard from `p` round home -> points -> home as a guard patrols at 1/60 s a frame: it heads
// for the next stop whenever within reach (30) of one, moves 100 x dt, has its wall contact taken,
// then moves by its unscaled velocity x dt. Returns the laps, up to two, stopping where a wall touches
// it (it would stand there for good); `visit` sees every position with the heading.
int WalkPatrol(const GuardSetup& guard, Cell home, KEVec2 p, const std::function<void(KEVec2, float)>& visit)
{
	std::vector<KEVec2> stops = { Centre(home) };
	stops.insert(stops.end(), guard.patrol.begin(), guard.patrol.end());
	stops.push_back(Centre(home));
	const float dt = 1.0f / 60.0f;
	KEVec2 v = { 0.0f, 0.0f }, d;
	int laps = 0;
	for (int frame = 0, away = 0; frame < 60 * 600 && laps < 2; ++frame)
	{
		const bool atHome = KEVec2Distance(&p, &stops[0]) < 30.0f;
		laps += atHome && away;
		away = !atHome;
		for (size_t i = 0; i + 1 < stops.size(); ++i)
			if (KEVec2Distance(&p, &stops[i]) < 30.0f)
			{
				KEVec2Sub(&d, &stops[i + 1], &p);
				KEVec2Normalize(&v, &d);
				break;
			}
		p = { p.x + v.x * dt * 100.0f, p.y + v.y * dt * 100.0f };
		visit(p, std::atan2(v.y, v.x));
		if (Contact(p) != 0)
			return laps;
		p = { p.x + v.x * dt, p.y + v.y * dt };
	}
	return laps;
}

// Runs `check` on each level with its map loaded and its cells by code in the order the level hands
// them out (columns left to right, each from the bottom up), once the counts it leans on are right.
void ForEachLevel(const std::function<void(const LevelSetup&, const Cells&)>& check)
{
	for (const LevelSetup& level : GetLevelSetups())
	{
		SCOPED_TRACE(level.mapFile);
		ASSERT_EQ(LoadBinaryMap(level.mapFile), 1);
		Cells m(CELL_LIGHT_AREA + 2);   // the last for codes the game does not know
		for (int c = 0; c < gMapWidth; ++c)
			for (int r = 0; r < gMapHeight; ++r)
				m[std::min((unsigned)gMapCells[r][c], CELL_LIGHT_AREA + 1u)].push_back({ c, r });
		// Code 6 is no object; extra servers would be unhackable goals on the HUD.
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

TEST(LevelData, EveryPlayableStateHasAConsistentSetUp)
{
	ASSERT_EQ(GetLevelSetups().size(), 8u);
	for (int id = STATE_SERVER_TUTORIAL; id <= (int)STATE_TARN_LEVEL2; ++id)
	{
		const LevelSetup* level = FindLevelSetup(id);
		ASSERT_NE(level, nullptr) << id;
		EXPECT_EQ(level->serverGoal, level->servers) << id;   // the win needs every server, no more
		EXPECT_TRUE((int)level->guardSetups.size() == level->guards && (int)level->areaLight.size() == level->areas) << id;
		for (int light : level->areaLight)
			EXPECT_TRUE(light >= 0 && light < level->lights) << id;
		for (const GuardSetup& g : level->guardSetups)
		{
			const int links = g.link == LINK_RADIO ? level->radios : g.link == LINK_AREA ? level->areas : 0;
			EXPECT_TRUE(links ? g.linkIndex >= 0 && g.linkIndex < links : g.linkIndex == -1) << id;
			EXPECT_EQ(g.hasHome, !g.patrol.empty()) << id;
		}
		// Each group once if made; guards before the player (a catch uses its box of the frame before) and sights.
		const int counts[] = { 1, 1, 1, level->lights, level->areas, level->radios, level->servers,
			                   level->bushes, level->guards, level->guards };
		const std::vector<int>& order = level->listOrder;
		for (int part = PART_PATH; part <= PART_SIGHTS; ++part)
			EXPECT_EQ(std::count(order.begin(), order.end(), part), counts[part] > 0 ? 1 : 0) << id << ": part " << part;
		auto at = [&](int part) { return std::find(order.begin(), order.end(), part); };
		EXPECT_TRUE(!level->guards || (at(PART_GUARDS) < at(PART_PLAYER) && at(PART_GUARDS) < at(PART_SIGHTS))) << id;
	}
}

TEST(Maps, SizeFollowsTheCameraClampWithAWallBorderAndEverythingWithinThePlayersReach)
{
	ForEachLevel([](const LevelSetup& level, const Cells& m) {
		EXPECT_FLOAT_EQ(gMapTileSize, kTile);
		// Just big enough for the view at the clamp: right edge clamp + 400, top clamp + 300.
		EXPECT_EQ(gMapWidth, (int)std::ceil((level.camMaxX + 400.0f) / kTile));
		EXPECT_EQ(gMapHeight, (int)std::ceil((level.camMaxY + 300.0f) / kTile));
		// With the camera at its top clamp the 60-unit HUD covers the row below the top border too.
		for (int r = 0; r < gMapHeight; ++r)
			for (int c = 0; c < gMapWidth; ++c)
				EXPECT_TRUE(IsWall(c, r) || (c > 0 && r > 0 && c < gMapWidth - 1 && r < gMapHeight - 2))
					<< "border gap or floor under the HUD at " << Where({ c, r });
		// Walkable at all, and through passages two cells wide: a one-cell gap is no way for the player.
		for (int w : { 1, 2 })
		{
			const Grid walkable = Reach(m[CELL_PLAYER][0], w);
			for (int code : { CELL_PLAYER, CELL_SERVER, CELL_RADIO, CELL_LIGHT, CELL_BUSH, CELL_GUARD })
				for (Cell cell : m[code])
					EXPECT_TRUE(walkable[cell.r][cell.c])
						<< "code " << code << " at " << Where(cell) << " out of reach at width " << w;
		}
	});
}

TEST(Maps, GuardsTakeTheirPostsInScanOrderPatrolClearOfWallsAndCanAnswerACall)
{
	ForEachLevel([](const LevelSetup& level, const Cells& m) {
		const KEVec2 spawn = Placed(m[CELL_PLAYER][0]);
		EXPECT_EQ(Contact(spawn), 0) << "the start touches a wall";
		for (int i = 0; i < level.guards; ++i)
		{
			const GuardSetup& g = level.guardSetups[i];
			const Cell home = m[CELL_GUARD][i];
			const int a = g.link == LINK_AREA ? g.linkIndex : -1;
			const KEVec2 at = Placed(home), first = g.hasHome ? g.patrol[0] : at;
			const KEVec2 area = a < 0 ? at : Placed(m[CELL_LIGHT_AREA][a]);
			// A radio calls its guard from anywhere, and a dark lamp the guard in its area.
			EXPECT_TRUE(g.link != LINK_RADIO || Reaches(home, m[CELL_RADIO][g.linkIndex])) << "G" << i << " and its radio";
			EXPECT_TRUE(a < 0 || (Reaches(home, m[CELL_LIGHT_AREA][a]) &&
			                      Reaches(m[CELL_LIGHT_AREA][a], m[CELL_LIGHT][level.areaLight[a]])))
				<< "G" << i << " cannot walk from its post through its area to the lamp";
			// Guard i takes the i-th guard cell: a patrol's first leg runs along its row or column (a swapped
			// cell sends it diagonally through the level); a guard posted at a radio or lamp watches a server.
			bool watches = g.hasHome || g.link == LINK_NONE;
			for (Cell s : m[CELL_SERVER])
				watches = watches || Sees(at, Facing(g), Placed(s));
			EXPECT_TRUE(watches && (std::fabs(first.x - at.x) < kTile || std::fabs(first.y - at.y) < kTile))
				<< "G" << i << " at " << Where(home) << " leaves off its row and column or watches no server";
			// A caught player starts again there, unseen; a post at a wall would push its guard off every frame.
			EXPECT_FALSE(Sees(at, Facing(g), spawn)) << "G" << i << " sees the start";
			EXPECT_TRUE(g.hasHome || (Contact(at) == 0 && Contact(Centre(home)) == 0 && InArea(at, area)))
				<< "G" << i << " posted at a wall or outside its area";
			if (!g.hasHome)
				continue;
			// From its placed start, and after a catch from the exact centre of its home cell.
			for (KEVec2 start : { at, Centre(home) })
			{
				bool crossed = a < 0, seesStart = false;
				KEVec2 last = start;
				const int laps = WalkPatrol(g, home, start, [&](KEVec2 p, float heading) {
					crossed = crossed || InArea(p, area);
					seesStart = seesStart || Sees(p, heading, spawn);
					last = p;
				});
				EXPECT_EQ(laps, 2) << "G" << i << " from " << Where(home) << " stopped at (" << last.x << ", " << last.y << ")";
				EXPECT_FALSE(seesStart) << "G" << i << " sees the start on its rounds";
				EXPECT_TRUE(crossed) << "G" << i << " never enters lit area " << a;
			}
		}
	});
}

namespace
{
// Where a guard stands and looks: its post, or every frame of two laps of its rounds.
std::vector<std::pair<KEVec2, float>> Poses(const GuardSetup& g, Cell home)
{
	std::vector<std::pair<KEVec2, float>> poses;
	if (!g.hasHome)
		poses.push_back({ Placed(home), Facing(g) });
	else
		WalkPatrol(g, home, Placed(home), [&](KEVec2 p, float heading) { poses.push_back({ p, heading }); });
	return poses;
}

// Cells whose centre the guard sees from some pose (at most four cells away).
Grid SeenCells(const std::vector<std::pair<KEVec2, float>>& poses)
{
	Grid seen(gMapHeight, std::vector<bool>(gMapWidth, false));
	for (size_t k = 0; k < poses.size(); k += 5)
	{
		const Cell at = { (int)(poses[k].first.x / kTile), (int)(poses[k].first.y / kTile) };
		for (int r = std::max(0, at.r - 4); r <= std::min(gMapHeight - 1, at.r + 4); ++r)
			for (int c = std::max(0, at.c - 4); c <= std::min(gMapWidth - 1, at.c + 4); ++c)
				seen[r][c] = seen[r][c] || (!IsWall(c, r) && Sees(poses[k].first, poses[k].second, Centre({ c, r })));
	}
	return seen;
}

// Distance in cells from (x, y) to the segment a-b.
float ToLeg(float x, float y, KEVec2 a, KEVec2 b)
{
	const float dx = b.x - a.x, dy = b.y - a.y, len = dx * dx + dy * dy;
	const float t = len > 0.0f ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / len, 0.0f, 1.0f) : 0.0f;
	return std::hypot(x - a.x - t * dx, y - a.y - t * dy);
}
}

TEST(Maps, LuresShareAScreenWithWhatTheyMoveAndPullAGuardOffSomethingWorthGuarding)
{
	ForEachLevel([](const LevelSetup& level, const Cells& m) {
		// A player standing at the lure sees the post or lit area it works on: within 380 across and
		// 230 up or down, the view less a margin and the HUD.
		auto onOneScreen = [](Cell a, Cell b) { return std::abs(a.c - b.c) * kTile <= 380.0f && std::abs(a.r - b.r) * kTile <= 230.0f; };
		for (int a = 0; a < level.areas; ++a)
			EXPECT_TRUE(onOneScreen(m[CELL_LIGHT][level.areaLight[a]], m[CELL_LIGHT_AREA][a])) << "lamp of lit area " << a;
		for (int i = 0; i < level.guards; ++i)
		{
			const GuardSetup& g = level.guardSetups[i];
			if (g.link == LINK_NONE)
				continue;
			const Cell home = m[CELL_GUARD][i];
			EXPECT_TRUE(g.link != LINK_RADIO || onOneScreen(m[CELL_RADIO][g.linkIndex], home)) << "radio of G" << i;
			// Worth luring: the guard sees a server, or sees every way from the start to one.
			const Grid seen = SeenCells(Poses(g, home));
			const Grid open = Reach(m[CELL_PLAYER][0], 2, &seen);
			bool guards = false;
			for (Cell s : m[CELL_SERVER])
				guards = guards || seen[s.r][s.c] || !open[s.r][s.c];
			EXPECT_TRUE(guards) << "G" << i << " guards nothing a lure could open";
		}
		// The 200 x 200 lit square reaches two cells left of and below its cell and three right and above.
		for (Cell a : m[CELL_LIGHT_AREA])
		{
			int walls = 0;
			for (int r = a.r - 2; r <= a.r + 3; ++r)
				for (int c = a.c - 2; c <= a.c + 3; ++c)
					walls += IsWall(c, r) || c < 0 || r < 0;
			EXPECT_EQ(walls, 0) << "lit area " << Where(a) << " paints over walls";
		}
	});
}

TEST(Maps, RadioAndLightTutorialsCannotBeWonWithoutTheirTool)
{
	ForEachLevel([](const LevelSetup& level, const Cells& m) {
		const int taught = level.stateId == STATE_RADIO_TUTORIAL ? LINK_RADIO : level.stateId == STATE_LIGHT_TUTORIAL ? LINK_AREA : LINK_NONE;
		for (int i = 0; taught != LINK_NONE && i < level.guards; ++i)
		{
			if (level.guardSetups[i].link != taught)
				continue;
			// Wherever the player stands to hack the server, the guard on the taught lure looks at it
			// within every second, the time a hack takes: the lure must take it away first.
			const std::vector<std::pair<KEVec2, float>> poses = Poses(level.guardSetups[i], m[CELL_GUARD][i]);
			const KEVec2 server = Placed(m[CELL_SERVER][0]);
			int worst = 0;
			KEVec2 where = server;
			for (float dx = -45.0f; dx <= 45.0f; dx += 5.0f)
				for (float dy = -45.0f; dy <= 45.0f; dy += 5.0f)
				{
					const KEVec2 spot = { server.x + dx, server.y + dy };
					if (Contact(spot) != 0)
						continue;
					int unseen = 0, longest = 0;
					for (const auto& pose : poses)
						longest = std::max(longest, unseen = Sees(pose.first, pose.second, spot) ? 0 : unseen + 1);
					if (longest == (int)poses.size())
						longest = 1 << 30;   // never seen: a post that looks away, or rounds that never come by
					if (longest > worst)
						worst = longest, where = spot;
				}
			EXPECT_LT(worst, 60) << "G" << i << " leaves (" << where.x << ", " << where.y << ") unwatched for " << worst << " frames";
		}
	});
}

TEST(Maps, LittleFloorLiesFarFromEveryObjectAndPatrol)
{
	ForEachLevel([](const LevelSetup& level, const Cells& m) {
		std::vector<std::pair<KEVec2, KEVec2>> legs;   // in cells
		for (int code = CELL_PLAYER; code <= CELL_LIGHT_AREA; ++code)
			for (Cell o : m[code])
				legs.push_back({ { o.c + 0.5f, o.r + 0.5f }, { o.c + 0.5f, o.r + 0.5f } });
		for (int i = 0; i < level.guards; ++i)
		{
			const GuardSetup& g = level.guardSetups[i];
			KEVec2 from = { m[CELL_GUARD][i].c + 0.5f, m[CELL_GUARD][i].r + 0.5f }, home = from;
			for (size_t k = 0; g.hasHome && k <= g.patrol.size(); ++k)
			{
				const KEVec2 to = k < g.patrol.size() ? KEVec2{ g.patrol[k].x / kTile, g.patrol[k].y / kTile } : home;
				legs.push_back({ from, to });
				from = to;
			}
		}
		// Long walks through empty rooms: at most 30% of the floor more than 5 cells from everything.
		int floor = 0, far = 0;
		for (int r = 0; r < gMapHeight; ++r)
			for (int c = 0; c < gMapWidth; ++c)
			{
				if (IsWall(c, r))
					continue;
				float nearest = 1e9f;
				for (const auto& leg : legs)
					nearest = std::min(nearest, ToLeg(c + 0.5f, r + 0.5f, leg.first, leg.second));
				++floor;
				far += nearest > 5.0f;
			}
		EXPECT_LE(far * 10, floor * 3) << far << " of " << floor << " floor cells lie far from everything";
	});
}
