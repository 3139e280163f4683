#include "Map.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>
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
	BuildCache();
}

// The layer never changes while the level runs, so its hundreds of tile draws a frame become
// one mesh of a few rectangles: on a software renderer each draw costs far more than its pixels.
void Map::BuildCache()
{
	if (!mesh || !texture || tileSize <= 0.0f || mapWidth <= 0 || mapHeight <= 0)
		return;
	// The picture is shown only where the layer paints: a software renderer pays for every
	// pixel a quad covers, transparent or not. Runs of painted cells in a row, each joined
	// with the same run in the rows above it, keep the rectangles few.
	struct Cells { int c0, c1, r0, r1; };
	std::vector<Cells> rectangles;
	std::vector<int> open(mapWidth * mapWidth, -1);   // (first, last) column run -> first row
	std::vector<std::pair<int, int>> runs, previous;
	for (int r = 0; r <= mapHeight; ++r)
	{
		runs.clear();
		for (int c = 0; r < mapHeight && c < mapWidth; ++c)
		{
			if (!Paints(c, r))
				continue;
			const int first = c;
			while (c + 1 < mapWidth && Paints(c + 1, r))
				++c;
			runs.push_back({first, c});
		}
		// A run that does not go on in this row ends its rectangle in the row below.
		for (const auto& run : previous)
			if (std::find(runs.begin(), runs.end(), run) == runs.end())
			{
				int& start = open[run.first * mapWidth + run.second];
				rectangles.push_back({run.first, run.second, start, r - 1});
				start = -1;
			}
		for (const auto& run : runs)
		{
			int& start = open[run.first * mapWidth + run.second];
			if (start < 0)
				start = r;
		}
		previous.swap(runs);
	}
	// A map too ragged for one mesh shows the whole picture, transparent where it paints nothing.
	const bool whole = rectangles.size() * 6 > KE_MESH_VERTEX_MAX;
	if (whole)
		rectangles = {{0, mapWidth - 1, 0, mapHeight - 1}};

	// One cache pixel per tile-picture pixel: the screen samples the same picture pixel
	// either way, at any camera position and full-screen scale.
	const float width = mapWidth * tileSize, height = mapHeight * tileSize;
	cache = KEGfxTargetCreate(mapWidth * texture->width, mapHeight * texture->height);
	if (!KEGfxTargetBegin(cache, 0.0f, 0.0f, width, height))
	{
		KEGfxTextureUnload(cache);
		cache = nullptr;
		return;
	}
	// Copied, not blended, so the cache keeps the tiles' own colour and alpha. Behind the
	// rectangles every cell holds the tile too: at a camera on a half pixel a pixel on a
	// rectangle's edge may sample the picture pixel across it, which must be a tile's.
	KEGfxSetBlendMode(KE_BLEND_MODE_NONE);
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
	KEGfxSetTransparency(1.0f);
	DrawTiles(0, mapWidth - 1, 0, mapHeight - 1, !whole);
	KEGfxTargetEnd();   // puts blending and the programs' values back (the first-frame look included)

	KEGfxMeshStart();
	for (const Cells& cells : rectangles)
	{
		const float x0 = cells.c0 * tileSize, x1 = (cells.c1 + 1) * tileSize;
		const float y0 = cells.r0 * tileSize, y1 = (cells.r1 + 1) * tileSize;
		// Texture row 0 is the map's bottom edge.
		const float u0 = x0 / width, u1 = x1 / width, v0 = y0 / height, v1 = y1 / height;
		KEGfxTriAdd(x0, y0, 0xFF000000, u0, v0, x1, y0, 0xFF000000, u1, v0, x0, y1, 0xFF000000, u0, v1);
		KEGfxTriAdd(x1, y0, 0xFF000000, u1, v0, x1, y1, 0xFF000000, u1, v1, x0, y1, 0xFF000000, u0, v1);
	}
	cacheQuad = KEGfxMeshEnd();
	if (cacheQuad && cacheQuad->vertexNum == 0)
	{
		// Nothing to paint (a map of only walls has no floor).
		KEGfxMeshFree(cacheQuad);
		cacheQuad = nullptr;
	}
}

void Map::Draw()
{
	if (!mesh || tileSize <= 0.0f)
		return;
	// The transparency stays whatever the texture program holds, as the tiles always had it.
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
	if (cache)
	{
		if (!cacheQuad)
			return;
		KEGfxSetPosition(0.0f, 0.0f);
		KEGfxTextureSet(cache, 0.0f, 0.0f);
		KEGfxMeshDraw(cacheQuad, KE_MESH_DRAW_TRIANGLES);
		return;
	}
	// Only the cells in view: the same pixels at a fraction of the draws on a large map.
	auto first = [&](float low) { return (int)std::floor(low / tileSize) - 1; };
	auto last = [&](float high) { return (int)std::floor(high / tileSize) + 1; };
	DrawTiles(first(KEGfxGetWinMinX()), last(KEGfxGetWinMaxX()), first(KEGfxGetWinMinY()), last(KEGfxGetWinMaxY()));
}

void Map::DrawTiles(int c0, int c1, int r0, int r1, bool everyCell)
{
	if (!mesh || tileSize <= 0.0f)
		return;
	c0 = std::max(0, c0), c1 = std::min(mapWidth - 1, c1);
	r0 = std::max(0, r0), r1 = std::min(mapHeight - 1, r1);
	for (int c = c0; c <= c1; ++c)
		for (int r = r0; r <= r1; ++r)
		{
			if (!everyCell && !Paints(c, r))
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
	KEGfxTextureUnload(cache);
	cache = nullptr;
	KEGfxMeshFree(cacheQuad);
	cacheQuad = nullptr;
}
