// Level grid loading, the wall-contact probes, and the boxes that meet.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "BinaryMap.h"
#include "GameObject.h"

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

std::vector<int> Cells(int** grid) {   // row 0 first
	std::vector<int> all;
	for (int r = 0; r < gMapHeight; ++r)
		all.insert(all.end(), grid[r], grid[r] + gMapWidth);
	return all;
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
		EXPECT_EQ(Cells(gMapCells), c.cells);
		for (size_t i = 0; i < c.cells.size(); ++i)
			EXPECT_EQ(Cells(gMapSolid)[i], c.cells[i] == CELL_WALL) << i;
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
