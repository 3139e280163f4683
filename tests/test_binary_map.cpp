// Level grid loading and the wall-contact probes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "BinaryMap.h"

namespace {
using V = std::vector<int>;
std::string printed;   // what the last load printed

// Loads `text` from a temporary file; text starting with '/' names the file to load instead.
int Load(const std::string& text) {
	const bool isPath = !text.empty() && text[0] == '/';
	const std::string path = isPath ? text : ::testing::TempDir() + "nullvane_map" + std::to_string(getpid()) + ".txt";
	if (!isPath) std::ofstream(path, std::ios::binary) << text;
	::testing::internal::CaptureStdout();
	const int result = LoadBinaryMap(path.c_str());
	printed = ::testing::internal::GetCapturedStdout();
	if (!isPath) remove(path.c_str());
	return result;
}

V Cells(int** grid) {   // row 0 first
	V all;
	for (int r = 0; r < gMapHeight; ++r)
		all.insert(all.end(), grid[r], grid[r] + gMapWidth);
	return all;
}

void ExpectEmpty() {
	EXPECT_TRUE(gMapWidth == 0 && gMapHeight == 0 && gMapCells == nullptr && gMapSolid == nullptr);
	EXPECT_EQ(CheckMapCollision(0.5f, 0.5f, 1.0f, 1.0f), 0);
}
}

TEST(BinaryMap, AnyFileLeavesASafeGrid) {
	// Refused, releasing the previous map: "Error in opening File" and an empty grid. A missing file, or a
	// directory that opens but cannot be read, likewise.
	const std::string refused[] = {"/nonexistent/dir/NoSuchMap.txt", ::testing::TempDir(), "", "   \n\n", "W\n", "W 2\nH 2\n",
		"W two\nH 2\nT 40\n0 0 0 0\n", "W -3\nH 2\nT 40\n0 0 0 0 0 0\n",
		"W 2\nH 0\nT 40\n", "W 2\nH -1\nT 40\n0 0\n", "W 1025\nH 2\nT 40\n", "W 2\nH 2000000000\nT 40\n",
		"W 99999999999999999999\nH 2\nT 40\n", "W 2\nH 2\nT 0\n0 0 0 0\n", "W 2\nH 2\nT -40\n0 0 0 0\n",
		"W 2\nH 2\nT nan\n0 0 0 0\n", "W 2\nH 2\nT inf\n0 0 0 0\n", "W 2\nH 2\nT 1e39\n0 0 0 0\n"};
	const std::string good = "W 2\nH 2\nT 32\n1 1\n1 1\n";
	for (const std::string& text : refused) {
		SCOPED_TRACE(text);
		ASSERT_EQ(Load(good), 1);
		EXPECT_EQ(Load(text), 0);
		EXPECT_EQ(printed, "Error in opening File\n");
		ExpectEmpty();
		EXPECT_EQ(gMapTileSize, 32.0f);   // the last good size stays: dividing by it is safe
	}
	// Any single word is a label; rows may span lines; only code 1 is a wall; the first file row is the bottom.
	struct Case { const char* text; int width; V cells; };
	const Case cases[] = {
		{"columns 4\nROWS== 2\nx 40\n0 1 6\n10\n\n-1 9 11 1\n", 4, {0, 1, 6, 10, -1, 9, 11, 1}},
		{"Width 3\r\nHeight 2\r\nTileSize 40\r\n1 1 1\r\n0 2 0\r\n", 3, {1, 1, 1, 0, 2, 0}},
		{"W 2\nH 2\nT 40\n", 2, {0, 0, 0, 0}},                            // header only
		{"W 3\nH 2\nT 40\n1 2 1\n1", 3, {1, 2, 1, 1, 0, 0}},               // too few cells
		{"W 3\nH 2\nT 40\n1 1 x 1 1 1\n", 3, {1, 1, 0, 0, 0, 0}},          // stops at garbage
		{"W 2\nH 1\nT 40\n1.5 1\n", 2, {1, 0}},
		{"W 2\nH 1\nT 40\n2 1 1 1 1 1 1 junk\n", 2, {2, 1}},               // too many cells
	};
	for (const Case& c : cases) {
		SCOPED_TRACE(c.text);
		EXPECT_EQ(Load(c.text), 1);
		EXPECT_EQ(printed, "");
		EXPECT_TRUE(gMapWidth == c.width && gMapHeight == (int)c.cells.size() / c.width);
		EXPECT_EQ(Cells(gMapCells), c.cells);
		for (size_t i = 0; i < c.cells.size(); ++i)
			EXPECT_EQ(Cells(gMapSolid)[i], c.cells[i] == CELL_WALL) << i;
	}
	ASSERT_EQ(Load("W 1024\nH 1024\nT 40\n1\n"), 1);   // the largest accepted size
	EXPECT_TRUE(gMapCells[0][0] == 1 && gMapCells[1023][1023] == 0);
	FreeBinaryMap();
	ExpectEmpty();
	FreeBinaryMap();   // twice is harmless
	ExpectEmpty();
}

TEST(BinaryMap, ProbesFollowTheEightPoints) {
	// A lone wall to the right of the centre cell, whose centre lies half a unit past the middle.
	ASSERT_EQ(Load("W 3\nH 3\nT 40\n0 0 0\n0 0 1\n0 0 0\n"), 1);
	EXPECT_EQ(MapCellCentre(1), 60.5f);
	EXPECT_EQ(CheckMapCollision(1.5f, 1.5f, 1.0f, 1.0f), MAP_HIT_RIGHT);
	EXPECT_EQ(CheckMapCollision(1.9f, 0.9f, 1.0f, 1.0f), MAP_HIT_RIGHT | MAP_HIT_TOP);
	// Corridor between wall rows. Cells span [r, r + 1): a probe on y = 2 sees the top row.
	ASSERT_EQ(Load("W 3\nH 3\nT 40\n1 1 1\n0 0 0\n1 1 1\n"), 1);
	EXPECT_EQ(CheckMapCollision(1.5f, 1.5f, 1.0f, 1.0f), MAP_HIT_TOP);
	EXPECT_EQ(CheckMapCollision(1.5f, 1.49f, 1.0f, 1.0f), MAP_HIT_BOTTOM);
	EXPECT_EQ(CheckMapCollision(2.6f, 1.5f, 1.0f, 1.0f), MAP_HIT_TOP);   // right probes past the last column block nothing
	for (float v : {10.0f, -5.0f, 1e30f, -1e30f, NAN, INFINITY})   // outside the grid or unusable: no contact
		EXPECT_EQ(CheckMapCollision(v, v, 1.0f, 1.0f), 0) << v;
	// Probes exactly on 0 count (cell 0); probes at -0.5 do not.
	ASSERT_EQ(Load("W 1\nH 1\nT 40\n1\n"), 1);
	EXPECT_EQ(CheckMapCollision(0.5f, 0.5f, 1.0f, 1.0f), MAP_HIT_LEFT | MAP_HIT_BOTTOM);
	EXPECT_EQ(CheckMapCollision(0.0f, 0.5f, 1.0f, 1.0f), MAP_HIT_RIGHT | MAP_HIT_BOTTOM);
	EXPECT_EQ(CheckMapCollision(0.5f, 0.0f, 1.0f, 1.0f), MAP_HIT_LEFT | MAP_HIT_TOP);
	FreeBinaryMap();
}
