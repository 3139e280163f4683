// The guards' route search: its answers on hand-made cases, and the very routes of the slow
// literal search on many random grids.
#include <gtest/gtest.h>
#include <random>
#include <tuple>
#include "BinaryMap.h"
#include "Guard.h"
#include "ReferencePath.h"

namespace
{
std::vector<std::pair<int, int>> Cells(const std::vector<KEVec2>& route)
{
	std::vector<std::pair<int, int>> cells;
	for (const KEVec2& p : route)
		cells.push_back({(int)p.x, (int)p.y});
	return cells;
}
using CellList = std::vector<std::pair<int, int>>;
}

// What the random grids below cannot ask: the open cells before any search, a route read
// step by step, and no map at all.
TEST(FindPathTest, HandMadeCases)
{
	GridOnMap grid(8, 8);
	BasicGuard guard(nullptr);
	// Asked before its first search, as Init leaves it: every floor cell on the map is open.
	guard.mapWidth = guard.mapHeight = 8, guard.solidRows = gMapSolid;
	grid.At(4, 4) = 1;
	for (auto [c, r, open] : {std::tuple{3, 3, true}, {0, 7, true}, {4, 4, false}, {8, 3, false}, {3, -1, false}})
		EXPECT_EQ(guard.IsOpenCell(c, r), open) << c << ", " << r;
	grid.At(4, 4) = 0;
	EXPECT_TRUE(guard.FindPath({3, 3}, {3.7f, 3.2f}).empty());   // same cell
	// Fractional inputs are cut to their cells; the first step leaves through y - 1 when it can.
	EXPECT_EQ(Cells(guard.FindPath({3.9f, 5.2f}, {4.5f, 4.99f})), (CellList{{3, 4}, {4, 4}}));
	grid.At(5, 5) = 1;   // a wall start still leads out
	EXPECT_EQ(Cells(guard.FindPath({5, 5}, {5, 7})), (CellList{{5, 6}, {5, 7}}));
	GridOnMap none(0, 0);   // no map at all: nothing to walk
	EXPECT_TRUE(guard.FindPath({0, 0}, {2, 0}).empty());
}

TEST(FindPathTest, SameRoutesAsTheLiteralSearchOnRandomGrids)
{
	std::mt19937 random(20261206);
	BasicGuard guard(nullptr);
	int routes = 0;
	for (int map = 0; map < 300; ++map)
	{
		const int width = 1 + (int)(random() % 24), height = 1 + (int)(random() % 18);
		GridOnMap grid(width, height);
		const int density = (int)(random() % 45);
		for (int r = 0; r < height; ++r)
			for (int c = 0; c < width; ++c)
				grid.At(c, r) = (int)(random() % 100) < density;
		std::uniform_real_distribution<float> x(-2.0f, width + 2.0f), y(-2.0f, height + 2.0f);
		for (int search = 0; search < 20; ++search)
		{
			const KEVec2 start = {x(random), y(random)}, goal = {x(random), y(random)};
			const std::vector<KEVec2> expected = ReferencePath(start, goal);
			ASSERT_EQ(Cells(guard.FindPath(start, goal)), Cells(expected))
			    << "map " << map << " from (" << start.x << ", " << start.y << ") to (" << goal.x << ", " << goal.y
			    << ")";
			routes += !expected.empty();
		}
	}
	EXPECT_GT(routes, 1000);   // most searches found something to compare
}
