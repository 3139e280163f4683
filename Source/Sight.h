#pragma once
// A guard's view: everything within 150 units and not behind the guard's line, unless a wall
// lies in the block of cells between guard and player. It decides whether the guard sees the
// player, switches the guard into the chase and back, and draws the area it covers.
#include <vector>
#include "GameObject.h"

class BasicGuard;
class Player;

// What a guard makes of a player standing at a point.
enum SightAnswer
{
	SIGHT_BEHIND = 0,   // behind the guard's line: no answer, the last one stands
	SIGHT_UNSEEN = 1,   // out of range or behind a wall
	SIGHT_SEEN = 2,
};

class Sight : public GameObject
{
public:
	Sight(BasicGuard* guard, Player* player);

	void Load() override;
	void Init() override;
	void Update() override;
	void Draw() override;
	void Free() override;     // the meshes go here
	void Unload() override {}

	// The one sight test: the update asks it about the player, the drawn view about the floor.
	SightAnswer Looks(const KEVec2& at) const;
	// The drawn view (gGuardViewFan false) as triangles in world units, three corners each,
	// rebuilt when the guard has moved or turned.
	const std::vector<KEVec2>& View();

	bool        seesPlayer;
	float       range;
	float       cellSize;
	BasicGuard* guard;
	Player*     player;

private:
	KEVec2      Facing() const;
	SightAnswer Looks(const KEVec2& at, const KEVec2& facing) const;   // the rule itself
	bool        WallBetween(const KEVec2& at, const KEVec2& d) const;
	void        BuildView();

	std::vector<KEVec2> view;
	KEGfxVertexList*    viewMesh;
	bool                viewStale;    // the mesh lags the triangles
	bool                viewBuilt;
	KEVec2              viewFrom;     // the guard's pose, map and range the view was built for
	float               viewRotation;
	float               viewRange;
	int**               viewMap;
};
