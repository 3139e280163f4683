#include "Guard.h"

#include <cmath>
#include "BinaryMap.h"
#include "KESystem.h"
#include "Light.h"
#include "LightArea.h"
#include "Player.h"
#include "Radio.h"
#include "SoundManager.h"
#include "VisualPopUp.h"

namespace
{
float Distance(KEVec2 a, KEVec2 b)
{
	return KEVec2Distance(&a, &b);
}

// Unit direction from a to b; zero when they coincide (no direction to take).
KEVec2 Direction(KEVec2 from, KEVec2 to)
{
	KEVec2 d;
	KEVec2Sub(&d, &to, &from);
	if (KEVec2SquareLength(&d) == 0.0f)
		return {0.0f, 0.0f};
	KEVec2Normalize(&d, &d);
	return d;
}

// The guard's picture points up: its rotation is the heading plus a quarter turn taken in
// single precision, less 1.57 in double, which leaves 0.00079637 radians over.
float RotationFor(KEVec2 v)
{
	float sum = std::atan2(v.y, v.x) + std::atan2(1.0f, 0.0f);
	return (float)((double)sum - 1.57);
}
} // namespace

BasicGuard::BasicGuard(Player* owner)
	: collisionFlags(0), speed(100.0f), routeEndDistance(0.0f), player(owner), radio(nullptr), lightArea(nullptr),
	  waitCounter(0), state(GUARD_PATROL), pursuitTarget(TARGET_RADIO), pathReady(false), alarmCounted(false), chasing(false),
	  popUp(nullptr), resumeTarget(TARGET_RADIO), homeCell{0.0f, 0.0f}, homePosition{0.0f, 0.0f}, chaseTimer(0.0),
	  mapWidth(0), mapHeight(0), mapCells(nullptr), solidRows(nullptr), scale(40.0f), cellSize(0.0f),
	  reachDistance(0.0f), searchStamp(0)
{
	kind = KIND_GUARD;
}

BasicGuard::BasicGuard(Player* owner, LightArea* area) : BasicGuard(owner)
{
	lightArea = area;
}

BasicGuard::BasicGuard(Player* owner, Radio* lure) : BasicGuard(owner)
{
	radio = lure;
}

void BasicGuard::Load()
{
	mesh = CreateQuad(0.5f, 0x006A95F1, 0xFF6A95F1);
	if (!mesh)
		KEAssertReport("mesh", __LINE__, "BasicGuard::Load", "Source/Guard", "fail to create object!!");
	texture = KEGfxTextureLoad("ArtAssets/g_walk1_2.png");
	popUp = new VisualPopUp(this);
	popUp->Load();
}

void BasicGuard::Init()
{
	popUp->Init();
	waitCounter = 0;
	mapHeight = gMapHeight;
	mapWidth = gMapWidth;
	mapCells = gMapCells;
	solidRows = gMapSolid;
	cellSize = gMapTileSize;
	reachDistance = 0.75f * cellSize;
	homePosition = {(homeCell.x + 0.5f) * cellSize, (homeCell.y + 0.5f) * cellSize};
}

void BasicGuard::SetHeading(KEVec2 direction)
{
	rotation = RotationFor(direction);
}

void BasicGuard::HeadFor(KEVec2 point)
{
	velocity = Direction(position, point);
	SetHeading(velocity);
}

void BasicGuard::Nudge()
{
	// A standing guard gets a small push so that it turns toward its new errand.
	if (KEVec2SquareLength(&velocity) < 0.9f)
		velocity.x += 0.1f;
}

void BasicGuard::Plan(KEVec2 targetCell)
{
	KEVec2 startCell = {0.0f, 0.0f};
	if (cellSize > 0.0f)
		startCell = {position.x / cellSize, position.y / cellSize};
	path = FindPath(startCell, targetCell);
	for (KEVec2& p : path)
		p = {(p.x + 0.5f) * cellSize, (p.y + 0.5f) * cellSize};
	if (!path.empty())
		velocity = Direction(position, path[0]);
}

void BasicGuard::FollowPath()
{
	if (path.empty())
		return;
	const KEVec2 last = path.back();
	for (size_t i = 0; i < path.size(); ++i)
	{
		float d = Distance(position, path[i]);
		routeEndDistance = Distance(position, last);
		SetHeading(velocity);
		if (d < reachDistance)
		{
			// At the end of the route (the last point is always nearest the end): stop here.
			if (routeEndDistance <= d || i + 1 == path.size())
			{
				velocity = {0.0f, 0.0f};
				SetHeading(velocity);
				return;
			}
			HeadFor(path[i + 1]);
			break;
		}
	}
	KEVec2ScaleAdd(&position, &velocity, &position, gDeltaTime * speed);
}

void BasicGuard::Patrol()
{
	if (patrolRoute.empty())
	{
		velocity = {0.0f, 0.0f};   // nowhere to walk: standing, not creeping on
		return;
	}
	if (Distance(position, homePosition) < reachDistance)
		HeadFor(patrolRoute[0]);
	else
		for (size_t i = 0; i < patrolRoute.size(); ++i)
			if (Distance(position, patrolRoute[i]) < reachDistance)
			{
				// A route that does not end at home goes round again from its first point.
				HeadFor(patrolRoute[i + 1 < patrolRoute.size() ? i + 1 : 0]);
				break;
			}
	KEVec2ScaleAdd(&position, &velocity, &position, gDeltaTime * speed);
}

void BasicGuard::Update()
{
	speed = 100.0f;
	if (gSoundManager)
		gSoundManager->GuardAlarm(state, pursuitTarget, alarmCounted, routeEndDistance);

	Light* light = lightArea ? lightArea->light : nullptr;
	chasing = state == GUARD_PURSUE && pursuitTarget == TARGET_PLAYER;
	if (state == GUARD_PATROL)
		Patrol();
	else if (state == GUARD_PURSUE && pursuitTarget == TARGET_RADIO)
	{
		if (radio && !pathReady)
		{
			Plan({radio->position.x / cellSize, radio->position.y / cellSize});
			pathReady = true;
		}
		FollowPath();
	}
	else if (state == GUARD_PURSUE && pursuitTarget == TARGET_LIGHT)
	{
		if (light && !pathReady)
		{
			Plan({light->position.x / cellSize, light->position.y / cellSize});
			pathReady = true;
			Nudge();
		}
		FollowPath();
	}
	else if (state == GUARD_PURSUE && pursuitTarget == TARGET_PLAYER)
	{
		speed = 180.0f;
		chaseTimer += gDeltaTime;
		if (chaseTimer >= 0.2)
		{
			chaseTimer = 0.0;
			Plan({player->position.x / cellSize, player->position.y / cellSize});
		}
		FollowPath();
	}
	else if (state == GUARD_RETURN)
	{
		if (Distance(position, homePosition) <= reachDistance)
		{
			if (patrolRoute.empty())
				velocity = {0.0f, 0.0f};
			pathReady = false;
			state = GUARD_PATROL;
		}
		else
		{
			if (!pathReady)
			{
				Plan(homeCell);
				// The first point is dropped, but never the home point itself: replanned every
				// frame, the guard would stop a cell short of home.
				if (path.size() > 1)
					path.erase(path.begin());
				if (path.empty())
					state = GUARD_PATROL;
				else
				{
					velocity = Direction(position, path[0]);
					Nudge();
				}
				pathReady = true;
			}
			FollowPath();
		}
	}

	if (radio)
	{
		if (radio->switchedOn)
		{
			if (state == GUARD_RETURN)
				pathReady = false;
			state = GUARD_PURSUE;
			pursuitTarget = TARGET_RADIO;
			resumeTarget = TARGET_RADIO;
			// Leaving the radio stops the count without resetting it.
			if (RectRectIntersect(boundingBox, velocity, radio->boundingBox, radio->velocity) && ++waitCounter == 120)
			{
				waitCounter = 0;
				radio->switchedOn = false;
				state = GUARD_RETURN;
				pathReady = false;
			}
		}
		else if (state == GUARD_PURSUE)
		{
			state = GUARD_RETURN;
			pathReady = false;
		}
	}

	if (light)
	{
		if (!light->switchedOn && RectRectIntersect(boundingBox, velocity, light->boundingBox, light->velocity))
		{
			if (++waitCounter == 120)
			{
				waitCounter = 0;
				light->switchedOn = true;
				pathReady = false;
				state = GUARD_RETURN;
			}
		}
		else
			waitCounter = 0;

		if (RectRectIntersect(boundingBox, velocity, lightArea->boundingBox, lightArea->velocity) && !light->switchedOn)
		{
			if (state == GUARD_RETURN)
				pathReady = false;
			state = GUARD_PURSUE;
			pursuitTarget = TARGET_LIGHT;
			resumeTarget = TARGET_LIGHT;
		}
		else if (light->switchedOn && state == GUARD_PURSUE)
		{
			pathReady = false;
			state = GUARD_RETURN;
		}
	}

	BuildTransform(&transform, position, rotation, scale, scale);
	boundingBox = BoxAround(position, scale / 2.0f);

	if (cellSize > 0.0f)
		collisionFlags = CheckMapCollision(position.x / cellSize, position.y / cellSize, 1.0f, 1.0f);
	if (collisionFlags)
	{
		// A wall stops the guard until its next turn point or replanning.
		PushOutOfWalls(&position, collisionFlags, 2.5);
		velocity = {0.0f, 0.0f};
	}

	// A second, unscaled step on top of the walk.
	KEVec2ScaleAdd(&position, &velocity, &position, gDeltaTime);

	popUp->Update();
}

void BasicGuard::Draw()
{
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetTransform(&transform);
	KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
	KEGfxTextureSet(texture, 0.0f, 0.0f);
	KEGfxMeshDraw(mesh, KE_MESH_DRAW_TRIANGLES);
	popUp->Draw();
}

void BasicGuard::Unload()
{
	KEGfxMeshFree(mesh);
	mesh = nullptr;
	KEGfxTextureUnload(texture);
	texture = nullptr;
	if (popUp)
	{
		popUp->Unload();
		delete popUp;
		popUp = nullptr;
	}
}
