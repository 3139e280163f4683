#pragma once
// The level grid read from BinaryMaps/*.txt. Row 0 is the bottom row of the
// level (world y points up); both grids are indexed [row][column].
//
// File format: three "label number" header lines (width, height, cell size),
// then width * height integer cell codes, row 0 first.
#include <cstddef>
#include <vector>
#include "KEVec2.h"

// Cell codes. 6 and anything above 9 are plain floor.
enum : int
{
	CELL_FLOOR = 0,
	CELL_WALL = 1,
	CELL_PLAYER = 2,
	CELL_GUARD = 3,
	CELL_BUSH = 4,
	CELL_RADIO = 5,
	CELL_SERVER = 7,
	CELL_LIGHT = 8,
	CELL_LIGHT_AREA = 9
};

// Sides of a box that touch a wall, as returned by CheckMapCollision.
enum : int
{
	MAP_HIT_LEFT = 1,
	MAP_HIT_RIGHT = 2,
	MAP_HIT_TOP = 4,
	MAP_HIT_BOTTOM = 8
};

extern int    gMapWidth;     // columns
extern int    gMapHeight;    // rows
extern float  gMapTileSize;  // world size of one cell
extern int**  gMapCells;     // [row][column] cell codes as read
extern int**  gMapSolid;     // [row][column] 1 on walls, else 0

// Reads a map into the globals, replacing (and freeing) any loaded one.
// Returns 1 on success. Prints "Error in opening File" and returns 0 when the
// file is missing or its header is unusable; the grid is then empty (sizes 0,
// tables null). Cells a short or garbled file does not supply are floor.
int LoadBinaryMap(const char* fileName);

// A map file as read, without touching the globals (the level select's preview).
struct MapGrid
{
	int              width = 0, height = 0;
	float            tileSize = 0.0f;
	std::vector<int> cells;   // width * height codes, row 0 (the bottom row) first
	int At(int row, int column) const { return cells[(std::size_t)row * width + column]; }
};

// Reads a map file as LoadBinaryMap does, silently; false when it is missing or its
// header is unusable (the grid is then empty).
bool ReadMapFile(const char* fileName, MapGrid* grid);

// Releases both grids; sizes become 0 and the tables null. Safe to repeat.
void FreeBinaryMap();

// Wall contact of a box centred on (x, y), all values in cells (world / T).
// Cells outside the grid never block.
int CheckMapCollision(float x, float y, float width, float height);

// Moves a world position back out of the walls CheckMapCollision reported: by `push`
// from the middle of the unit the coordinate lies in, toward the free side. When both
// sides of an axis touch, bottom and left win.
void PushOutOfWalls(KEVec2* position, int flags, double push);

// World coordinate at which an actor placed on cell index `cell` (column for
// x, row for y) starts: just off the cell centre, on a half unit.
float MapCellCentre(int cell);
