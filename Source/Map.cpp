#include "Map.h"

#include <algorithm>
#include <cmath>
#include "BinaryMap.h"
#include "KESystem.h"

void Map::Load()
{
	mesh = CreateUnitQuad(0xFF000000);
	if (!mesh)
		KEAssertReport("mesh", __LINE__, LoadName(), SourceName(), "fail to create object!!");
	texture = KEGfxTextureLoad(TileFile());
	mapWidth = gMapWidth;
	mapHeight = gMapHeight;
	mapCells = gMapCells;
	tileSize = gMapTileSize;
	// Cell (c, r) is drawn at translation (c + 1, r + 1) of this: centred on (c + 0.5, r + 0.5) cells.
	KEMtx33 scale, shift;
	KEMtx33Scale(&scale, tileSize, tileSize);
	KEMtx33Trans(&shift, -0.5f, -0.5f);
	KEMtx33Concat(&transform, &scale, &shift);
}

void Map::Draw()
{
	if (!mesh || tileSize <= 0.0f)
		return;
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);

	// Only the cells in view: the same pixels at a fraction of the draws on a large map.
	auto first = [&](float low) { return std::max(0, (int)std::floor(low / tileSize) - 1); };
	auto last = [&](float high, int count) { return std::min(count - 1, (int)std::floor(high / tileSize) + 1); };
	const int c0 = first(KEGfxGetWinMinX()), c1 = last(KEGfxGetWinMaxX(), mapWidth);
	const int r0 = first(KEGfxGetWinMinY()), r1 = last(KEGfxGetWinMaxY(), mapHeight);
	for (int c = c0; c <= c1; ++c)
		for (int r = r0; r <= r1; ++r)
		{
			if (!Paints(c, r))
				continue;
			KEMtx33 shift;
			KEMtx33Trans(&shift, (float)(c + 1), (float)(r + 1));
			KEMtx33Concat(&tileTransform, &transform, &shift);
			KEGfxSetTransform(&tileTransform);
			KEGfxTextureSet(texture, 0.0f, 0.0f);
			KEGfxMeshDraw(mesh, KE_MESH_DRAW_TRIANGLES);
		}
}

void Map::Unload()
{
	KEGfxTextureUnload(texture);
	texture = nullptr;
	KEGfxMeshFree(mesh);
	mesh = nullptr;
}
