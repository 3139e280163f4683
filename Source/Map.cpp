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
	BuildRectangles();
}

// The layer never changes while the level runs, so its hundreds of tile draws a frame become
// one mesh of a few rectangles, each showing the tile picture repeated cell by cell: on a
// software renderer each draw costs far more than its pixels.
void Map::BuildRectangles()
{
	if (!mesh || !texture || tileSize <= 0.0f || mapWidth <= 0 || mapHeight <= 0)
		return;
	// Only where the layer paints: a software renderer pays for every pixel a quad covers,
	// transparent or not. Runs of painted cells in a row, each joined with the same run in
	// the rows above it, keep the rectangles few.
	struct Cells { int c0, c1, r0, r1; };
	std::vector<Cells> cells;
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
				cells.push_back({run.first, run.second, start, r - 1});
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
	// A map too ragged for one mesh, or with nothing to paint, keeps drawing tile by tile.
	if (cells.empty() || cells.size() * 6 > KE_MESH_VERTEX_MAX)
		return;

	// Texture coordinates count cells, so the picture repeats once a cell; like the tile quad,
	// a cell's bottom edge is the picture's last row.
	KEGfxMeshStart();
	for (const Cells& rect : cells)
	{
		const float x0 = rect.c0 * tileSize, x1 = (rect.c1 + 1) * tileSize;
		const float y0 = rect.r0 * tileSize, y1 = (rect.r1 + 1) * tileSize;
		const float u0 = (float)rect.c0, u1 = (float)(rect.c1 + 1);
		const float v0 = (float)-rect.r0, v1 = (float)-(rect.r1 + 1);
		KEGfxTriAdd(x0, y0, 0xFF000000, u0, v0, x1, y0, 0xFF000000, u1, v0, x0, y1, 0xFF000000, u0, v1);
		KEGfxTriAdd(x1, y0, 0xFF000000, u1, v0, x1, y1, 0xFF000000, u1, v1, x0, y1, 0xFF000000, u0, v1);
	}
	rectangles = KEGfxMeshEnd();
}

void Map::Draw()
{
	if (!mesh || tileSize <= 0.0f)
		return;
	// The transparency stays whatever the texture program holds, as the tiles always had it.
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
	if (rectangles)
	{
		KEGfxSetPosition(0.0f, 0.0f);
		KEGfxTextureSet(texture, 0.0f, 0.0f);
		KEGfxMeshDraw(rectangles, KE_MESH_DRAW_TRIANGLES);
		return;
	}
	// Only the cells in view: the same pixels at a fraction of the draws on a large map.
	auto first = [&](float low) { return (int)std::floor(low / tileSize) - 1; };
	auto last = [&](float high) { return (int)std::floor(high / tileSize) + 1; };
	DrawTiles(first(KEGfxGetWinMinX()), last(KEGfxGetWinMaxX()), first(KEGfxGetWinMinY()), last(KEGfxGetWinMaxY()));
}

void Map::DrawTiles(int c0, int c1, int r0, int r1)
{
	if (!mesh || tileSize <= 0.0f)
		return;
	c0 = std::max(0, c0), c1 = std::min(mapWidth - 1, c1);
	r0 = std::max(0, r0), r1 = std::min(mapHeight - 1, r1);
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
	KEGfxMeshFree(rectangles);
	rectangles = nullptr;
}
