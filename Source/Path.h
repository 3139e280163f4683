#pragma once
// The floor layer: a tile on every cell that is not a wall.
#include "BinaryMap.h"
#include "Map.h"

class Path : public Map
{
protected:
	const char* TileFile() const override { return "ArtAssets/BasicTile.png"; }
	bool Paints(int c, int r) const override
	{
		return r >= gMapHeight || c >= gMapWidth || !gMapSolid || gMapSolid[r][c] == 0;
	}
	const char* LoadName() const override { return "Path::Load"; }
	const char* SourceName() const override { return "Source/Path"; }
};
