#include "Sight.h"

#include <cmath>
#include <cstdlib>
#include "BinaryMap.h"
#include "Guard.h"
#include "KEMath.h"
#include "KESystem.h"
#include "Player.h"

Sight::Sight(BasicGuard* owner, Player* target)
	: seesPlayer(false), range(150.0f), cellSize(0.0f), guard(owner), player(target)
{
	position = owner->position;
}

void Sight::Load()
{
	const float pi = 3.1415925f, r = range;
	const unsigned int color = 0x5FFFFF00;
	KEGfxMeshStart();
	for (int i = -20; i < 20; ++i)
	{
		float a0 = i * 2.0f * pi / 80.0f, a1 = (i + 1) * 2.0f * pi / 80.0f;
		KEGfxTriAdd(0.0f, 0.0f, color, 0.0f, 0.0f,
		            r * std::cos(a0), r * std::sin(a0), color, 0.0f, 0.0f,
		            r * std::cos(a1), r * std::sin(a1), color, 0.0f, 0.0f);
	}
	mesh = KEGfxMeshEnd();
	if (!mesh)
		KEAssertReport("mesh", __LINE__, "Sight::Load", "Source/Sight", "fail to create object!!");
}

void Sight::Init()
{
	seesPlayer = false;
	cellSize = gMapTileSize;
}

// The block of cells from the player's cell toward the guard, one cell per whole cell of
// distance on each axis; any wall in it hides the player. Cells off the map are skipped.
bool Sight::WallBetween(const KEVec2& d) const
{
	const int cell = (int)cellSize;
	if (cell < 1 || !gMapSolid)
		return false;
	const float fx = d.x / cellSize, fy = d.y / cellSize;
	const int nx = (int)std::fabs(fx), ny = (int)std::fabs(fy);
	const int stepX = fx >= 0.0f ? 1 : -1, stepY = fy >= 0.0f ? 1 : -1;
	const int pc = (int)player->position.x / cell, pr = (int)player->position.y / cell;
	for (int i = 0; std::abs(i) <= nx; i += stepX)
		for (int j = 0; std::abs(j) <= ny; j += stepY)
		{
			const int column = pc - i, row = pr - j;
			if (column >= 0 && column < gMapWidth && row >= 0 && row < gMapHeight && gMapSolid[row][column] == 1)
				return true;
		}
	return false;
}

void Sight::Update()
{
	const bool unseen = !seesPlayer || player->hidden;
	if (unseen)
	{
		if (guard->state == GUARD_PURSUE && guard->pursuitTarget == TARGET_PLAYER)
		{
			guard->state = GUARD_RETURN;
			guard->pathReady = false;
		}
	}
	else
	{
		guard->state = GUARD_PURSUE;
		guard->pursuitTarget = TARGET_PLAYER;
	}
	// An unseen player lets the guard go back to its errand, replanned every frame.
	if (unseen && (guard->resumeTarget == TARGET_RADIO || guard->resumeTarget == TARGET_LIGHT))
	{
		guard->pathReady = false;
		guard->pursuitTarget = guard->resumeTarget;
	}

	KEVec2 u = {20.0f * KECos(guard->rotation), 20.0f * KESin(guard->rotation)};
	KEVec2Normalize(&u, &u);
	KEVec2 d;
	KEVec2Sub(&d, &player->position, &guard->position);
	// Behind the guard's line the answer stays as it was.
	if (KEVec2DotProduct(&u, &d) >= 0.0f)
	{
		if (KEVec2Distance(&guard->position, &player->position) > range || player->hidden)
			seesPlayer = false;
		else
			seesPlayer = !WallBetween(d);
	}

	KEVec2 at;
	KEVec2Add(&at, &guard->position, &u);
	BuildTransform(&transform, at, guard->rotation, 1.0f, 1.0f);
}

void Sight::Draw()
{
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
	KEGfxSetTransform(&transform);
	KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
	KEGfxTextureSet(nullptr, 0.0f, 0.0f);
	KEGfxMeshDraw(mesh, KE_MESH_DRAW_TRIANGLES);
}

void Sight::Free()
{
	KEGfxMeshFree(mesh);
	mesh = nullptr;
}
