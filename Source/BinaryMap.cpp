#include "BinaryMap.h"

#include <cmath>
#include <cstdio>

int    gMapWidth = 0;
int    gMapHeight = 0;
// Every map uses 40; starting there (and keeping the last good value when a
// load fails) means code that divides by the cell size never divides by 0.
float  gMapTileSize = 40.0f;
int**  gMapCells = nullptr;
int**  gMapSolid = nullptr;

namespace
{
// Nothing we ship comes close; the cap only keeps a broken file from asking
// for gigabytes.
const int kMaxMapSide = 1024;

int** AllocateGrid(int width, int height)
{
	int** rows = new int*[height];
	for (int r = 0; r < height; ++r)
		rows[r] = new int[width]();   // zero: floor
	return rows;
}

void FreeGrid(int**& rows, int height)
{
	if (!rows)
		return;
	for (int r = 0; r < height; ++r)
		delete[] rows[r];
	delete[] rows;
	rows = nullptr;
}

// Reads the three labelled header numbers; false when any is missing or unusable.
bool ReadHeader(FILE* file, int* width, int* height, float* tileSize)
{
	if (fscanf(file, "%*s %d", width) != 1 ||
	    fscanf(file, "%*s %d", height) != 1 ||
	    fscanf(file, "%*s %f", tileSize) != 1)
		return false;
	return *width > 0 && *width <= kMaxMapSide &&
	       *height > 0 && *height <= kMaxMapSide &&
	       std::isfinite(*tileSize) && *tileSize > 0.0f;
}
}

bool ReadMapFile(const char* fileName, MapGrid* grid)
{
	*grid = MapGrid();
	FILE* file = fileName ? fopen(fileName, "r") : nullptr;
	int width = 0, height = 0;
	float tileSize = 0.0f;
	if (!file || !ReadHeader(file, &width, &height, &tileSize))
	{
		if (file)
			fclose(file);
		return false;
	}
	grid->width = width;
	grid->height = height;
	grid->tileSize = tileSize;
	// A short or garbled file keeps floor in every cell it does not supply;
	// numbers past the last cell are ignored.
	grid->cells.assign((size_t)width * height, CELL_FLOOR);
	for (int& cell : grid->cells)
		if (fscanf(file, "%d", &cell) != 1)
			break;
	fclose(file);
	return true;
}

int LoadBinaryMap(const char* fileName)
{
	// Only one map lives at a time; never leak the previous one.
	FreeBinaryMap();

	MapGrid grid;
	if (!ReadMapFile(fileName, &grid))
	{
		printf("Error in opening File\n");
		return 0;
	}
	gMapWidth = grid.width;
	gMapHeight = grid.height;
	gMapTileSize = grid.tileSize;
	gMapCells = AllocateGrid(grid.width, grid.height);
	gMapSolid = AllocateGrid(grid.width, grid.height);
	for (int r = 0; r < grid.height; ++r)
		for (int c = 0; c < grid.width; ++c)
		{
			gMapCells[r][c] = grid.At(r, c);
			gMapSolid[r][c] = grid.At(r, c) == CELL_WALL ? 1 : 0;
		}
	return 1;
}

void FreeBinaryMap()
{
	FreeGrid(gMapCells, gMapHeight);
	FreeGrid(gMapSolid, gMapHeight);
	gMapWidth = 0;
	gMapHeight = 0;
}

int CheckMapCollision(float x, float y, float width, float height)
{
	struct Probe { float px, py; int flag; };
	const Probe probes[8] = {
		{x + width / 2, y + height / 4, MAP_HIT_RIGHT},
		{x + width / 2, y - height / 4, MAP_HIT_RIGHT},
		{x + width / 4, y - height / 2, MAP_HIT_BOTTOM},
		{x - width / 4, y - height / 2, MAP_HIT_BOTTOM},
		{x - width / 2, y - height / 4, MAP_HIT_LEFT},
		{x - width / 2, y + height / 4, MAP_HIT_LEFT},
		{x - width / 4, y + height / 2, MAP_HIT_TOP},
		{x + width / 4, y + height / 2, MAP_HIT_TOP},
	};

	int result = 0;
	for (const Probe& p : probes)
	{
		// Outside the grid never blocks. Comparing before converting also
		// keeps NaN and huge values away from the int conversion.
		if (!(p.px >= 0.0f && p.py >= 0.0f))
			continue;
		if (p.px >= (float)gMapWidth || p.py >= (float)gMapHeight)
			continue;
		int column = (int)p.px;
		int row = (int)p.py;
		if (gMapSolid[row][column] == 1)
			result |= p.flag;
	}
	return result;
}

void PushOutOfWalls(KEVec2* position, int flags, double push)
{
	const double x = (double)(int)position->x + 0.5, y = (double)(int)position->y + 0.5;
	if (flags & MAP_HIT_TOP)
		position->y = (float)(y - push);
	if (flags & MAP_HIT_BOTTOM)
		position->y = (float)(y + push);
	if (flags & MAP_HIT_RIGHT)
		position->x = (float)(x - push);
	if (flags & MAP_HIT_LEFT)
		position->x = (float)(x + push);
}

float MapCellCentre(int cell)
{
	return (float)std::trunc((cell + 0.5) * gMapTileSize) + 0.5f;
}
