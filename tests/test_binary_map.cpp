// Level grid loading and the wall-contact probes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "BinaryMap.h"

namespace
{
using V = std::vector<int>;

// Writes maps to temporary files (removed at teardown) and loads them.
class BinaryMapTest : public ::testing::Test
{
protected:
	std::string Write(const std::string& text)
	{
		files.push_back(::testing::TempDir() + "nullvane_map" + std::to_string(getpid()) + "_" +
		                std::to_string(files.size()) + ".txt");
		std::ofstream(files.back(), std::ios::binary) << text;
		return files.back();
	}

	// Returns the result; what was printed goes to `printed`.
	int Load(const std::string& path)
	{
		::testing::internal::CaptureStdout();
		int result = LoadBinaryMap(path.c_str());
		printed = ::testing::internal::GetCapturedStdout();
		return result;
	}

	// Every cell, row 0 first.
	V Cells(int** grid)
	{
		V all;
		for (int r = 0; r < gMapHeight; ++r)
			all.insert(all.end(), grid[r], grid[r] + gMapWidth);
		return all;
	}

	void ExpectEmpty()
	{
		EXPECT_EQ(gMapWidth, 0); EXPECT_EQ(gMapHeight, 0);
		EXPECT_EQ(gMapCells, nullptr); EXPECT_EQ(gMapSolid, nullptr);
		EXPECT_EQ(CheckMapCollision(0.5f, 0.5f, 1.0f, 1.0f), 0);
	}

	void TearDown() override
	{
		FreeBinaryMap();
		for (const std::string& f : files)
			remove(f.c_str());
	}

	std::vector<std::string> files;
	std::string printed;
};
}

TEST_F(BinaryMapTest, SmallLevelLoadsUpsideDownAndFrees)
{
	ASSERT_EQ(Load(Write("Width 3\nHeight 2\nTileSize 40\n1 1 1\n0 2 0\n")), 1);
	EXPECT_EQ(printed, "");
	EXPECT_EQ(gMapWidth, 3);
	EXPECT_EQ(gMapHeight, 2);
	EXPECT_EQ(Cells(gMapCells), V({1, 1, 1, 0, 2, 0}));   // the first row in the file is the bottom
	EXPECT_EQ(Cells(gMapSolid), V({1, 1, 1, 0, 0, 0}));
	// The player's cell is column 1, row 1.
	EXPECT_EQ(MapCellCentre(1), 60.5f);
	EXPECT_EQ(CheckMapCollision(1.5f, 1.4f, 1.0f, 1.0f), MAP_HIT_BOTTOM);

	FreeBinaryMap();
	ExpectEmpty();
	FreeBinaryMap();   // twice is harmless
	ExpectEmpty();
}

TEST_F(BinaryMapTest, AnyFileLeavesASafeGrid)
{
	// width 0: refused ("Error in opening File", empty grid); otherwise the cells expected.
	struct Case { const char* text; int width; V cells; };
	const Case cases[] = {
		{"", 0, {}}, {"   \n\n", 0, {}}, {"W\n", 0, {}}, {"W 2\nH 2\n", 0, {}},
		{"W two\nH 2\nT 40\n0 0 0 0\n", 0, {}}, {"W -3\nH 2\nT 40\n0 0 0 0 0 0\n", 0, {}},
		{"W 2\nH 0\nT 40\n", 0, {}}, {"W 2\nH -1\nT 40\n0 0\n", 0, {}},
		{"W 1025\nH 2\nT 40\n", 0, {}}, {"W 2\nH 2000000000\nT 40\n", 0, {}},
		{"W 99999999999999999999\nH 2\nT 40\n", 0, {}},
		{"W 2\nH 2\nT 0\n0 0 0 0\n", 0, {}}, {"W 2\nH 2\nT -40\n0 0 0 0\n", 0, {}},
		{"W 2\nH 2\nT nan\n0 0 0 0\n", 0, {}}, {"W 2\nH 2\nT inf\n0 0 0 0\n", 0, {}},
		{"W 2\nH 2\nT 1e39\n0 0 0 0\n", 0, {}},
		// Any single word is a label; rows may span lines; only code 1 is a wall.
		{"columns 4\nROWS== 2\nx 40\n0 1 6\n10\n\n-1 9 11 1\n", 4, {0, 1, 6, 10, -1, 9, 11, 1}},
		{"Width 3\r\nHeight 2\r\nTileSize 40\r\n1 1 1\r\n0 2 0\r\n", 3, {1, 1, 1, 0, 2, 0}},
		{"W 2\nH 2\nT 40\n", 2, {0, 0, 0, 0}},                            // header only
		{"W 3\nH 2\nT 40\n1 2 1\n1", 3, {1, 2, 1, 1, 0, 0}},               // too few cells
		{"W 3\nH 2\nT 40\n1 1 x 1 1 1\n", 3, {1, 1, 0, 0, 0, 0}},          // stops at garbage
		{"W 2\nH 1\nT 40\n1.5 1\n", 2, {1, 0}},
		{"W 2\nH 1\nT 40\n2 1 1 1 1 1 1 junk\n", 2, {2, 1}},               // too many cells
	};
	const std::string good = Write("W 2\nH 2\nT 32\n1 1\n1 1\n");
	for (const Case& c : cases)
	{
		SCOPED_TRACE(std::string("file: ") + c.text);
		ASSERT_EQ(Load(good), 1);
		EXPECT_EQ(Load(Write(c.text)), c.width ? 1 : 0);
		if (!c.width)
		{
			EXPECT_EQ(printed, "Error in opening File\n");
			ExpectEmpty();
			EXPECT_EQ(gMapTileSize, 32.0f);   // the last good size stays: dividing by it is safe
			continue;
		}
		EXPECT_EQ(printed, "");
		EXPECT_EQ(gMapWidth, c.width);
		EXPECT_EQ(gMapHeight, (int)c.cells.size() / c.width);
		EXPECT_EQ(Cells(gMapCells), c.cells);
		V solid;
		for (int v : c.cells)
			solid.push_back(v == CELL_WALL);
		EXPECT_EQ(Cells(gMapSolid), solid);
	}

	// A missing file, or a directory that opens but cannot be read, releases the previous map.
	for (const std::string& path : {std::string("/nonexistent/dir/NoSuchMap.txt"), ::testing::TempDir()})
	{
		ASSERT_EQ(Load(good), 1);
		EXPECT_EQ(Load(path), 0);
		EXPECT_EQ(printed, "Error in opening File\n");
		ExpectEmpty();
	}

	// The largest accepted size still loads.
	ASSERT_EQ(Load(Write("W 1024\nH 1024\nT 40\n1\n")), 1);
	EXPECT_EQ(gMapCells[0][0], 1);
	EXPECT_EQ(gMapCells[1023][1023], 0);
}

TEST_F(BinaryMapTest, ProbesFollowTheEightPoints)
{
	// A lone wall to the right of the centre cell.
	ASSERT_EQ(Load(Write("W 3\nH 3\nT 40\n0 0 0\n0 0 1\n0 0 0\n")), 1);
	EXPECT_EQ(CheckMapCollision(1.5f, 1.5f, 1.0f, 1.0f), MAP_HIT_RIGHT);
	EXPECT_EQ(CheckMapCollision(1.9f, 0.9f, 1.0f, 1.0f), MAP_HIT_RIGHT | MAP_HIT_TOP);

	// Corridor between wall rows. Cells span [r, r + 1): a probe on y = 2 sees the top row.
	ASSERT_EQ(Load(Write("W 3\nH 3\nT 40\n1 1 1\n0 0 0\n1 1 1\n")), 1);
	EXPECT_EQ(CheckMapCollision(1.5f, 1.5f, 1.0f, 1.0f), MAP_HIT_TOP);
	EXPECT_EQ(CheckMapCollision(1.5f, 1.49f, 1.0f, 1.0f), MAP_HIT_BOTTOM);
	// The right probes lie beyond the last column: nothing there blocks.
	EXPECT_EQ(CheckMapCollision(2.6f, 1.5f, 1.0f, 1.0f), MAP_HIT_TOP);
	// Boxes outside the grid, or with unusable numbers, touch nothing.
	for (float v : {10.0f, -5.0f, 1e30f, -1e30f, NAN, INFINITY})
		EXPECT_EQ(CheckMapCollision(v, v, 1.0f, 1.0f), 0) << v;

	// Probes exactly on 0 count (cell 0); probes at -0.5 do not.
	ASSERT_EQ(Load(Write("W 1\nH 1\nT 40\n1\n")), 1);
	EXPECT_EQ(CheckMapCollision(0.5f, 0.5f, 1.0f, 1.0f), MAP_HIT_LEFT | MAP_HIT_BOTTOM);
	EXPECT_EQ(CheckMapCollision(0.0f, 0.5f, 1.0f, 1.0f), MAP_HIT_RIGHT | MAP_HIT_BOTTOM);
	EXPECT_EQ(CheckMapCollision(0.5f, 0.0f, 1.0f, 1.0f), MAP_HIT_LEFT | MAP_HIT_TOP);
}
