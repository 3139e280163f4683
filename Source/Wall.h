#pragma once
// The wall layer: a tile on every wall cell.
#include "BinaryMap.h"
#include "Map.h"

class Wall : public Map
{
protected:
	const char* TileFile() const override { return "ArtAssets/Wall.png"; }
	bool Paints(int c, int r) const override
	{
		return r < gMapHeight && c < gMapWidth && gMapSolid && gMapSolid[r][c] == 1;
	}
	const char* LoadName() const override { return "Wall::Load"; }
	const char* SourceName() const override { return "Source/Wall"; }
};
