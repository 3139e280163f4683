#include "LevelState.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include "BinaryMap.h"
#include "Bush.h"
#include "GameStates.h"
#include "Guard.h"
#include "HUD.h"
#include "KEFrameRateController.h"
#include "KEGameStateMgr.h"
#include "KEGraphics.h"
#include "KEInput.h"
#include "KESystem.h"
#include "Keys.h"
#include "LevelData.h"
#include "Light.h"
#include "LightArea.h"
#include "Path.h"
#include "Player.h"
#include "PlayerFiles.h"
#include "Radio.h"
#include "Server.h"
#include "Sight.h"
#include "Wall.h"

Transitation gLevelTransitions[8];

namespace
{
LevelModule sModules[8];

const double kGraceSeconds = 2.0;

LevelModule& Module(unsigned int id)
{
	LevelModule& level = sModules[id - 1];
	level.setup = FindLevelSetup((int)id);
	return level;
}

Transitation& Curtain(unsigned int id)
{
	return gLevelTransitions[id - 1];
}

template <class T>
void Append(std::vector<GameObject*>& list, const std::vector<T*>& objects)
{
	list.insert(list.end(), objects.begin(), objects.end());
}

void Load(unsigned int id)
{
	LevelModule& level = Module(id);
	const LevelSetup& setup = *level.setup;
	if (id == STATE_SERVER_TUTORIAL)
		level.font = KEGfxCreateFont("Courier New", 14, true, true);

	Player* player = level.player = new Player();
	level.path = new Path();
	level.wall = new Wall();
	for (int i = 0; i < setup.lights; ++i)
		level.lights.push_back(new Light(player));
	for (int i = 0; i < setup.areas; ++i)
		level.areas.push_back(new LightArea(level.lights[setup.areaLight[i]]));
	for (int i = 0; i < setup.radios; ++i)
		level.radios.push_back(new Radio(player));
	for (int i = 0; i < setup.servers; ++i)
		level.servers.push_back(new Server(player));
	for (int i = 0; i < setup.bushes; ++i)
		level.bushes.push_back(new Bush(player));
	for (const GuardSetup& g : setup.guardSetups)
	{
		if (g.link == LINK_RADIO)
			level.guards.push_back(new BasicGuard(player, level.radios[g.linkIndex]));
		else if (g.link == LINK_AREA)
			level.guards.push_back(new BasicGuard(player, level.areas[g.linkIndex]));
		else
			level.guards.push_back(new BasicGuard(player));
	}
	for (BasicGuard* guard : level.guards)
		level.sights.push_back(new Sight(guard, player));

	std::vector<GameObject*>& list = level.objectList;
	for (int part : setup.listOrder)
		switch (part)
		{
		case PART_PATH: list.push_back(level.path); break;
		case PART_WALL: list.push_back(level.wall); break;
		case PART_PLAYER: list.push_back(player); break;
		case PART_LIGHTS: Append(list, level.lights); break;
		case PART_AREAS: Append(list, level.areas); break;
		case PART_RADIOS: Append(list, level.radios); break;
		case PART_SERVERS: Append(list, level.servers); break;
		case PART_BUSHES: Append(list, level.bushes); break;
		case PART_GUARDS: Append(list, level.guards); break;
		case PART_SIGHTS: Append(list, level.sights); break;
		}

	if (!LoadBinaryMap(setup.mapFile))
		std::printf("Failed to read the binary collision map!\n");
	for (GameObject* object : list)
		object->Load();
	Curtain(id).Load();
}

template <class T>
T* Nth(const std::vector<T*>& objects, int i)
{
	return i < (int)objects.size() ? objects[i] : nullptr;
}

// Hands the cell at (c, r) to the next object of its kind; cells beyond the objects the
// level made are counted and left empty.
void Place(LevelModule& level, int code, int c, int r)
{
	const KEVec2 at = {MapCellCentre(c), MapCellCentre(r)};
	if (code == CELL_PLAYER)
	{
		level.player->position = level.player->spawnPosition = at;
		return;
	}
	if (code < CELL_GUARD || code > CELL_LIGHT_AREA || code == 6)
		return;
	const int i = level.placed[code]++;
	switch (code)
	{
	case CELL_GUARD:
		if (BasicGuard* guard = Nth(level.guards, i))
		{
			const GuardSetup& g = level.setup->guardSetups[i];
			guard->position = at;
			guard->homeCell = {(float)c, (float)r};
			if (g.facingSet)
				guard->rotation = g.facing;
			if (g.hasHome)
			{
				// Home closes the route, at the exact cell centre.
				guard->patrolRoute = g.patrol;
				guard->patrolRoute.push_back({(c + 0.5f) * level.cellSize, (r + 0.5f) * level.cellSize});
			}
		}
		break;
	case CELL_BUSH:
		if (Bush* bush = Nth(level.bushes, i))
			bush->position = at, bush->index = i;
		break;
	case CELL_RADIO:
		if (Radio* radio = Nth(level.radios, i))
			radio->position = at, radio->index = i;
		break;
	case CELL_SERVER:
		if (Server* server = Nth(level.servers, i))
			server->position = at, server->index = i;
		level.player->hud->serverTotal += 1;   // every server cell counts, made or not
		break;
	case CELL_LIGHT:
		if (Light* light = Nth(level.lights, i))
			light->position = at, light->index = i;
		break;
	case CELL_LIGHT_AREA:
		if (LightArea* area = Nth(level.areas, i))
			area->position = at, area->index = i;
		break;
	}
}

void Init(unsigned int id)
{
	LevelModule& level = Module(id);
	level.catchPending = false;
	level.levelTimer = 0.0;
	level.playTime = 0.0;
	level.catches = 0;
	level.winRecorded = false;
	level.winStarted = 0;
	std::memset(level.placed, 0, sizeof level.placed);
	level.mapRows = gMapHeight;
	level.mapColumns = gMapWidth;
	level.mapCells = gMapCells;
	level.cellSize = gMapTileSize;

	// Columns left to right, rows upward within a column: the order objects are handed out.
	for (int c = 0; c < level.mapColumns; ++c)
		for (int r = 0; r < level.mapRows; ++r)
			Place(level, level.mapCells[r][c], c, r);
	for (GameObject* object : level.objectList)
		object->Init();
}

void ResetBehindCurtain(LevelModule& level)
{
	for (Radio* radio : level.radios)
		radio->hacked = false, radio->switchedOn = false;
	for (Light* light : level.lights)
		light->hacked = false, light->switchedOn = true;
	for (BasicGuard* guard : level.guards)
	{
		guard->state = GUARD_PATROL;
		guard->pathReady = false;
		guard->position = {(guard->homeCell.x + 0.5f) * level.cellSize, (guard->homeCell.y + 0.5f) * level.cellSize};
		guard->velocity = {0.0f, 0.0f};
	}
	level.catchPending = false;
	level.player->position = level.player->spawnPosition;
}

void Update(unsigned int id)
{
	LevelModule& level = Module(id);
	Transitation& curtain = Curtain(id);
	Player* player = level.player;

	level.levelTimer += KEFrameRateControllerGetFrameTime();
	// Update is skipped while paused, so pauses never count; the clock stops at the win.
	if (level.winStarted == 0)
		level.playTime += KEFrameRateControllerGetFrameTime();
	ToggleFullScreenOnF11();
	if (player->serversHacked >= level.setup->serverGoal && level.winStarted == 0)
	{
		curtain.Init();
		level.winStarted = 1;
	}
	if (level.winStarted == 1 && curtain.covered)
		gKEGameStateNext = STATE_WIN;
	else if (KEInputCheckTriggered(KEY_P))
		gKEGameStateNext = STATE_MENU;

	// The camera follows the player but never shows beyond the level's edges.
	float x = player->position.x, y = player->position.y;
	if (x >= level.setup->camMaxX)
		x = level.setup->camMaxX - 0.5f;
	if (y >= level.setup->camMaxY)
		y = level.setup->camMaxY - 0.5f;
	if (x <= 400.0f)
		x = 400.5f;
	if (y <= 300.0f)
		y = 300.5f;
	KEGfxSetCamPosition(x, y);

	// Guards come before the player in every list: a guard meets the player's box of the
	// previous frame. The restarted timer allows one catch per frame, none in the grace time.
	for (GameObject* object : level.objectList)
	{
		if (object->kind == KIND_GUARD &&
		    RectRectIntersect(object->boundingBox, object->velocity, player->boundingBox, player->velocity) &&
		    !player->hidden && level.levelTimer > kGraceSeconds)
		{
			curtain.Init();
			level.catchPending = true;
			level.levelTimer = 0.0;
			player->lives -= 1;
			level.catches += 1;
			player->hidden = false;
			player->caught = true;
			player->hackCounter = 0;
			// Caught in the frame E let it out with Space still held: the bush must not
			// take the player back in.
			for (Bush* bush : level.bushes)
				bush->hiding = false, bush->hideCounter = 0;
		}
		object->Update();
	}
	curtain.Update();

	if (curtain.covered && level.catchPending)
		ResetBehindCurtain(level);
	if (curtain.finished)
		player->caught = false;
	// Last: losing the last life wins over a win in the same frame.
	if (player->lives <= 0 && curtain.covered)
	{
		gKEGameStateNext = STATE_LOSE;
		player->lives = 3;
	}
	if (gKEGameStateNext == STATE_WIN && !level.winRecorded)
	{
		level.winRecorded = true;
		ProgressRecordWin(level.setup->mapFile, level.playTime, level.catches);
	}
}

void Draw(unsigned int id)
{
	LevelModule& level = Module(id);
	KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
	KEGfxTextureSet(nullptr, 0.0f, 0.0f);
	KEGfxSetTransparency(1.0f);
	for (GameObject* object : level.objectList)
		object->Draw();
	if (id == STATE_SERVER_TUTORIAL && !level.servers.empty())
	{
		char hint[100] = {};
		std::snprintf(hint, sizeof hint, "%s", "Hold down [Space] to hack!");
		const Server* server = level.servers[0];
		KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
		KEGfxPrint(level.font, hint, (int)server->position.x - 100, (int)server->position.y + 50, 1.0f, 1.0f, 1.0f);
	}
	Curtain(id).Draw();
	// The HUD once more, above the curtain.
	level.player->hud->Draw();
}

void Free(unsigned int id)
{
	LevelModule& level = Module(id);
	level.player->hud->serverTotal = 0;
	FreeBinaryMap();
	for (GameObject* object : level.objectList)
		object->Unload();
	Curtain(id).Unload();
}

void Unload(unsigned int id)
{
	LevelModule& level = Module(id);
	for (GameObject* object : level.objectList)
	{
		object->Free();
		delete object;
	}
	level.objectList.clear();
	level.player = nullptr;
	level.path = nullptr;
	level.wall = nullptr;
	level.lights.clear();
	level.areas.clear();
	level.radios.clear();
	level.servers.clear();
	level.bushes.clear();
	level.guards.clear();
	level.sights.clear();
	if (level.font)
	{
		KEGfxDestroyFont(level.font);
		level.font = 0;
	}
}

template <unsigned int Id> void LevelLoad() { Load(Id); }
template <unsigned int Id> void LevelInit() { Init(Id); }
template <unsigned int Id> void LevelUpdate() { Update(Id); }
template <unsigned int Id> void LevelDraw() { Draw(Id); }
template <unsigned int Id> void LevelFree() { Free(Id); }
template <unsigned int Id> void LevelUnload() { Unload(Id); }

template <unsigned int Id> void Register()
{
	KEGameStateMgrAdd(Id, LevelLoad<Id>, LevelInit<Id>, LevelUpdate<Id>, LevelDraw<Id>, LevelFree<Id>,
	                  LevelUnload<Id>);
}
} // namespace

LevelModule* GetLevelModule(unsigned int stateId)
{
	return stateId >= 1 && stateId <= 8 ? &Module(stateId) : nullptr;
}

void RegisterLevelStates()
{
	Register<STATE_SERVER_TUTORIAL>();
	Register<STATE_GUARD_TUTORIAL>();
	Register<STATE_BUSH_TUTORIAL>();
	Register<STATE_RADIO_TUTORIAL>();
	Register<STATE_LIGHT_TUTORIAL>();
	Register<STATE_LEVEL1>();
	Register<STATE_TARN_LEVEL>();
	Register<STATE_TARN_LEVEL2>();
}
