#pragma once
// A layer of map tiles: one square picture on every cell of its kind. Walls block
// movement and sight through the grid itself, not through these objects.
#include "GameObject.h"

class Map : public GameObject
{
public:
	void Load() override;   // the map must be loaded first: the layer copies its size
	void Init() override {}
	void Update() override {}
	void Draw() override;
	void Free() override {}
	void Unload() override;

	// Tile by tile, the cells from column c0 to c1 and row r0 to r1 (clamped to the map) that
	// the layer paints: how the layer draws without its rectangles.
	void DrawTiles(int c0, int c1, int r0, int r1);

	int     mapWidth = 0, mapHeight = 0;
	int**   mapCells = nullptr;
	float   tileSize = 0.0f;
	KEMtx33 tileTransform{};
	// Every painted cell in a few rectangles of repeated tile picture, built at load; null
	// when the layer paints nothing or is too ragged for one mesh.
	KEGfxVertexList* rectangles = nullptr;

protected:
	void BuildRectangles();
	// The layer's picture, and whether it paints the cell at (column, row).
	virtual const char* TileFile() const = 0;
	virtual bool Paints(int column, int row) const = 0;
	// For the assertion report.
	virtual const char* LoadName() const = 0;
	virtual const char* SourceName() const = 0;
};
