#include "LevelPreview.h"

#include <cstdio>
#include <vector>
#include "BinaryMap.h"
#include "GameObject.h"
#include "KEGraphics.h"
#include "KEMath.h"
#include "LevelData.h"
#include "PlayerFiles.h"

namespace
{
// World units with the menu's camera at (0, 0): right of the level label and the arrows,
// above "ESC", inside the background's margins.
const float kMapLeft = 40.0f, kMapRight = 270.0f, kMapTop = 125.0f, kMapBottom = -5.0f;
const float kPanelLeft = 25.0f, kPanelRight = 285.0f, kPanelTop = 140.0f, kPanelBottom = -115.0f;
const int   kTextLeft = 45, kTextTop = -32, kTextStep = 24;

struct Texel
{
	unsigned char r, g, b, a;
};
const Texel kFloor = {34, 42, 66, 255};
const Texel kWall = {150, 160, 182, 255};
const Texel kServer = {70, 230, 120, 255};

KEGfxVertexList* sQuad = nullptr;    // white unit quad for the map picture
KEGfxVertexList* sPanel = nullptr;   // dark backing
KEGfxVertexList* sFrame = nullptr;   // its edge
KEGfxTexture*    sMap = nullptr;
unsigned int     sMapState = 0;      // whose picture sMap holds; 0: none yet
int              sMapWidth = 0, sMapHeight = 0;
unsigned int     sFont = 0;

// One texel per cell, the top row first as textures are.
void MakeMapPicture(unsigned int stateId)
{
	KEGfxTextureUnload(sMap);
	sMap = nullptr;
	sMapState = stateId;
	sMapWidth = sMapHeight = 0;
	const LevelSetup* setup = FindLevelSetup((int)stateId);
	MapGrid grid;
	if (!setup || !ReadMapFile(setup->mapFile, &grid))
		return;   // no picture: the level itself reports the missing map
	std::vector<Texel> texels;
	texels.reserve(grid.cells.size());
	for (int row = grid.height - 1; row >= 0; --row)
		for (int column = 0; column < grid.width; ++column)
		{
			const int code = grid.At(row, column);
			texels.push_back(code == CELL_WALL ? kWall : code == CELL_SERVER ? kServer : kFloor);
		}
	sMap = KEGfxTextureLoadFromMemory(&texels[0].r, grid.width, grid.height);
	sMapWidth = grid.width;
	sMapHeight = grid.height;
}

void DrawBox(KEGfxVertexList* mesh, KEGfxTexture* picture, float left, float top, float width, float height)
{
	KEMtx33 transform;
	BuildTransform(&transform, {left + width / 2.0f, top - height / 2.0f}, 0.0f, width, height);
	// Whatever the menu drew last (a dimmed arrow) leaves its tint behind.
	KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
	KEGfxSetTransparency(1.0f);
	DrawPicture(mesh, transform, picture);
}

void Print(const char* text, int line, float r, float g, float b)
{
	KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
	KEGfxPrint(sFont, text, kTextLeft, kTextTop - line * kTextStep, r, g, b);
}
} // namespace

void LevelPreviewLoad()
{
	sQuad = CreateUnitQuad(0xFFFFFFFF);
	sPanel = CreateUnitQuad(0xE80A0E1A);
	sFrame = CreateUnitQuad(0xFF35577A);
	sFont = KEGfxCreateFont("Courier New", 16, true, false);
	sMapState = 0;
}

void LevelPreviewDraw(unsigned int stateId)
{
	if (!sQuad || !sPanel || !sFrame)
		return;
	if (stateId != sMapState)
		MakeMapPicture(stateId);

	DrawBox(sFrame, nullptr, kPanelLeft - 2.0f, kPanelTop + 2.0f, kPanelRight - kPanelLeft + 4.0f,
	        kPanelTop - kPanelBottom + 4.0f);
	DrawBox(sPanel, nullptr, kPanelLeft, kPanelTop, kPanelRight - kPanelLeft, kPanelTop - kPanelBottom);
	if (sMap && sMapWidth > 0 && sMapHeight > 0)
	{
		// Whole pixels per cell keep every cell the same size; a huge map gets at least one.
		const float room = KEMin((kMapRight - kMapLeft) / sMapWidth, (kMapTop - kMapBottom) / sMapHeight);
		const float cell = room >= 1.0f ? (float)(int)room : room;
		const float width = cell * sMapWidth, height = cell * sMapHeight;
		const float left = (float)(int)((kMapLeft + kMapRight - width) / 2.0f);
		const float top = (float)(int)((kMapTop + kMapBottom + height) / 2.0f);
		DrawBox(sQuad, sMap, left, top, width, height);
	}

	const LevelSetup* setup = FindLevelSetup((int)stateId);
	const LevelRecord record = setup ? ProgressOf(setup->mapFile) : LevelRecord();
	if (!record.won)
	{
		Print("Not won yet", 0, 0.6f, 0.65f, 0.75f);
		return;
	}
	char line[64];
	Print("Won", 0, 0.45f, 0.95f, 0.55f);
	if (record.timed)
	{
		std::snprintf(line, sizeof line, "Best time %.1f s", record.bestTime);
		Print(line, 1, 0.85f, 0.9f, 1.0f);
	}
	if (record.counted)
	{
		std::snprintf(line, sizeof line, "Fewest catches %d", record.fewestCatches);
		Print(line, 2, 0.85f, 0.9f, 1.0f);
	}
}

void LevelPreviewUnload()
{
	KEGfxMeshFree(sQuad);
	KEGfxMeshFree(sPanel);
	KEGfxMeshFree(sFrame);
	KEGfxTextureUnload(sMap);
	if (sFont)
		KEGfxDestroyFont(sFont);
	sQuad = sPanel = sFrame = nullptr;
	sMap = nullptr;
	sMapState = 0;
	sFont = 0;
}
