// Level grid loading and the wall-contact probes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "BinaryMap.h"

namespace
{
// Writes text to a fresh temporary file; the file is removed at teardown.
class BinaryMapTest : public ::testing::Test
{
protected:
	std::string Write(const std::string& text)
	{
		std::string path = ::testing::TempDir() + "nullvane_mapXXXXXX";
		std::vector<char> name(path.begin(), path.end());
		name.push_back('\0');
		int fd = mkstemp(name.data());
		EXPECT_NE(fd, -1);
		EXPECT_EQ(write(fd, text.data(), text.size()), (ssize_t)text.size());
		close(fd);
		files.push_back(name.data());
		return files.back();
	}

	// Loads and returns the result together with what was printed.
	int Load(const std::string& path, std::string* printed = nullptr)
	{
		::testing::internal::CaptureStdout();
		int result = LoadBinaryMap(path.c_str());
		std::string out = ::testing::internal::GetCapturedStdout();
		if (printed)
			*printed = out;
		return result;
	}

	std::vector<int> Row(int** grid, int r)
	{
		return std::vector<int>(grid[r], grid[r] + gMapWidth);
	}

	void ExpectEmpty()
	{
		EXPECT_EQ(gMapWidth, 0);
		EXPECT_EQ(gMapHeight, 0);
		EXPECT_EQ(gMapCells, nullptr);
		EXPECT_EQ(gMapSolid, nullptr);
		EXPECT_EQ(CheckMapCollision(0.5f, 0.5f, 1.0f, 1.0f), 0);
	}

	void TearDown() override
	{
		FreeBinaryMap();
		for (const std::string& f : files)
			remove(f.c_str());
	}

	std::vector<std::string> files;
};

using V = std::vector<int>;
}

TEST_F(BinaryMapTest, SmallLevelLoadsUpsideDown)
{
	std::string printed;
	ASSERT_EQ(Load(Write("Width 3\nHeight 2\nTileSize 40\n1 1 1\n0 2 0\n"), &printed), 1);
	EXPECT_EQ(printed, "");
	EXPECT_EQ(gMapWidth, 3);
	EXPECT_EQ(gMapHeight, 2);
	EXPECT_EQ(gMapTileSize, 40.0f);
	EXPECT_EQ(Row(gMapCells, 0), V({1, 1, 1}));   // first row in the file is the bottom
	EXPECT_EQ(Row(gMapCells, 1), V({0, 2, 0}));
	EXPECT_EQ(Row(gMapSolid, 0), V({1, 1, 1}));
	EXPECT_EQ(Row(gMapSolid, 1), V({0, 0, 0}));

	// The player's cell is column 1, row 1.
	EXPECT_EQ(MapCellCentre(1), 60.5f);
	EXPECT_EQ(MapCellCentre(0), 20.5f);

	// Standing on the player cell, the wall row lies below.
	EXPECT_EQ(CheckMapCollision(1.5f, 1.4f, 1.0f, 1.0f), MAP_HIT_BOTTOM);

	FreeBinaryMap();
	ExpectEmpty();
	FreeBinaryMap();   // twice is harmless
	ExpectEmpty();
}

TEST_F(BinaryMapTest, LabelsLineBreaksAndCrlf)
{
	// Any single word is a label; rows may span lines.
	ASSERT_EQ(Load(Write("columns 2\nROWS== 3\nx 32.5\n1\n1 0 7\n\n9 6\n")), 1);
	EXPECT_EQ(gMapWidth, 2);
	EXPECT_EQ(gMapHeight, 3);
	EXPECT_EQ(gMapTileSize, 32.5f);
	EXPECT_EQ(Row(gMapCells, 0), V({1, 1}));
	EXPECT_EQ(Row(gMapCells, 1), V({0, 7}));
	EXPECT_EQ(Row(gMapCells, 2), V({9, 6}));
	EXPECT_EQ(MapCellCentre(1), 48.5f);   // trunc(48.75) + 0.5

	// Windows line endings.
	ASSERT_EQ(Load(Write("Width 3\r\nHeight 2\r\nTileSize 40\r\n1 1 1\r\n0 2 0\r\n")), 1);
	EXPECT_EQ(gMapWidth, 3);
	EXPECT_EQ(gMapHeight, 2);
	EXPECT_EQ(Row(gMapCells, 0), V({1, 1, 1}));
	EXPECT_EQ(Row(gMapCells, 1), V({0, 2, 0}));
}

TEST_F(BinaryMapTest, OnlyCodeOneIsSolid)
{
	ASSERT_EQ(Load(Write("W 8\nH 1\nT 40\n0 1 6 10 -1 9 11 1\n")), 1);
	EXPECT_EQ(Row(gMapCells, 0), V({0, 1, 6, 10, -1, 9, 11, 1}));
	EXPECT_EQ(Row(gMapSolid, 0), V({0, 1, 0, 0, 0, 0, 0, 1}));
	EXPECT_EQ(CELL_FLOOR, 0);
	EXPECT_EQ(CELL_LIGHT_AREA, 9);
	EXPECT_EQ(MAP_HIT_LEFT | MAP_HIT_RIGHT | MAP_HIT_TOP | MAP_HIT_BOTTOM, 15);
}

TEST_F(BinaryMapTest, ProbesFollowTheEightPoints)
{
	// A lone wall to the right of the centre cell.
	ASSERT_EQ(Load(Write("W 3\nH 3\nT 40\n0 0 0\n0 0 1\n0 0 0\n")), 1);
	EXPECT_EQ(CheckMapCollision(1.5f, 1.5f, 1.0f, 1.0f), MAP_HIT_RIGHT);
	EXPECT_EQ(CheckMapCollision(0.5f, 1.5f, 1.0f, 1.0f), 0);
	// Lower and further right: one right and one top probe reach the wall.
	EXPECT_EQ(CheckMapCollision(1.9f, 0.9f, 1.0f, 1.0f), MAP_HIT_RIGHT | MAP_HIT_TOP);

	// Corridor between a bottom and a top wall row. Cells span [r, r + 1), so a
	// probe exactly on y = 2 sees the top row but one on y = 1 sees the corridor.
	ASSERT_EQ(Load(Write("W 3\nH 3\nT 40\n1 1 1\n0 0 0\n1 1 1\n")), 1);
	EXPECT_EQ(CheckMapCollision(1.5f, 1.5f, 1.0f, 1.0f), MAP_HIT_TOP);
	EXPECT_EQ(CheckMapCollision(1.5f, 1.49f, 1.0f, 1.0f), MAP_HIT_BOTTOM);
	// The right probes lie beyond the last column: nothing there blocks.
	EXPECT_EQ(CheckMapCollision(2.5f, 1.5f, 1.0f, 1.0f), MAP_HIT_TOP);
	EXPECT_EQ(CheckMapCollision(2.6f, 1.5f, 1.0f, 1.0f), MAP_HIT_TOP);
	// Boxes entirely outside the grid, or with unusable numbers, touch nothing.
	EXPECT_EQ(CheckMapCollision(10.0f, 10.0f, 1.0f, 1.0f), 0);
	EXPECT_EQ(CheckMapCollision(-5.0f, -5.0f, 1.0f, 1.0f), 0);
	EXPECT_EQ(CheckMapCollision(1e30f, -1e30f, 1.0f, 1.0f), 0);
	EXPECT_EQ(CheckMapCollision(NAN, 1.5f, 1.0f, 1.0f), 0);
	EXPECT_EQ(CheckMapCollision(INFINITY, INFINITY, 1.0f, 1.0f), 0);

	// Probes exactly on 0 count (cell 0); probes at -0.5 do not.
	ASSERT_EQ(Load(Write("W 1\nH 1\nT 40\n1\n")), 1);
	EXPECT_EQ(CheckMapCollision(0.5f, 0.5f, 1.0f, 1.0f), MAP_HIT_LEFT | MAP_HIT_BOTTOM);
	EXPECT_EQ(CheckMapCollision(0.0f, 0.5f, 1.0f, 1.0f), MAP_HIT_RIGHT | MAP_HIT_BOTTOM);
	EXPECT_EQ(CheckMapCollision(0.5f, 0.0f, 1.0f, 1.0f), MAP_HIT_LEFT | MAP_HIT_TOP);
}

TEST_F(BinaryMapTest, UnusableFilesLeaveAnEmptyGrid)
{
	const std::string good = Write("W 2\nH 2\nT 32\n1 1\n1 1\n");
	const std::vector<std::string> refused = {
		"",                                   // empty
		"   \n\n",                            // blank
		"W 2\nH 2\n",                         // no cell size
		"W two\nH 2\nT 40\n0 0 0 0\n",        // width not a number
		"W\n",                                // label without a value
		"W -3\nH 2\nT 40\n0 0 0 0 0 0\n",     // negative width
		"W 2\nH 0\nT 40\n",                   // zero height
		"W 2\nH -1\nT 40\n0 0\n",
		"W 1025\nH 2\nT 40\n",                // too large
		"W 2\nH 2000000000\nT 40\n",
		"W 99999999999999999999\nH 2\nT 40\n",
		"W 2\nH 2\nT 0\n0 0 0 0\n",           // cell size not positive and finite
		"W 2\nH 2\nT -40\n0 0 0 0\n",
		"W 2\nH 2\nT nan\n0 0 0 0\n",
		"W 2\nH 2\nT inf\n0 0 0 0\n",
		"W 2\nH 2\nT 1e39\n0 0 0 0\n",
	};
	for (const std::string& text : refused)
	{
		SCOPED_TRACE("file: " + text);
		ASSERT_EQ(Load(good), 1);
		std::string printed;
		EXPECT_EQ(Load(Write(text), &printed), 0);
		EXPECT_EQ(printed, "Error in opening File\n");
		ExpectEmpty();
		// The cell size of the last good map stays, so dividing by it is safe.
		EXPECT_EQ(gMapTileSize, 32.0f);
	}

	// Missing file: same message, and the previous map is released.
	ASSERT_EQ(Load(good), 1);
	std::string printed;
	EXPECT_EQ(Load("/nonexistent/dir/NoSuchMap.txt", &printed), 0);
	EXPECT_EQ(printed, "Error in opening File\n");
	ExpectEmpty();

	// A directory opens but cannot be read.
	EXPECT_EQ(Load(::testing::TempDir(), &printed), 0);
	EXPECT_EQ(printed, "Error in opening File\n");
	ExpectEmpty();

	// The largest accepted size still loads.
	ASSERT_EQ(Load(Write("W 1024\nH 1024\nT 40\n1\n")), 1);
	EXPECT_EQ(gMapCells[0][0], 1);
	EXPECT_EQ(gMapCells[1023][1023], 0);
}

TEST_F(BinaryMapTest, ShortGarbledAndLongFilesFillWithFloor)
{
	// Header only: every cell is floor.
	ASSERT_EQ(Load(Write("W 2\nH 2\nT 40\n")), 1);
	EXPECT_EQ(Row(gMapCells, 0), V({0, 0}));
	EXPECT_EQ(Row(gMapSolid, 1), V({0, 0}));

	// Fewer cells than announced.
	ASSERT_EQ(Load(Write("W 3\nH 2\nT 40\n1 2 1\n1")), 1);
	EXPECT_EQ(Row(gMapCells, 0), V({1, 2, 1}));
	EXPECT_EQ(Row(gMapCells, 1), V({1, 0, 0}));
	EXPECT_EQ(Row(gMapSolid, 1), V({1, 0, 0}));

	// Reading stops at the first thing that is not a number, even if numbers follow.
	ASSERT_EQ(Load(Write("W 3\nH 2\nT 40\n1 1 x 1 1 1\n")), 1);
	EXPECT_EQ(Row(gMapCells, 0), V({1, 1, 0}));
	EXPECT_EQ(Row(gMapCells, 1), V({0, 0, 0}));
	EXPECT_EQ(Row(gMapSolid, 0), V({1, 1, 0}));
	ASSERT_EQ(Load(Write("W 2\nH 1\nT 40\n1.5 1\n")), 1);
	EXPECT_EQ(Row(gMapCells, 0), V({1, 0}));

	// More cells than announced: the rest is ignored.
	ASSERT_EQ(Load(Write("W 2\nH 1\nT 40\n2 1 1 1 1 1 1 junk\n")), 1);
	EXPECT_EQ(Row(gMapCells, 0), V({2, 1}));
	EXPECT_EQ(gMapHeight, 1);
}
