#pragma once
// The level's enemy: walks its patrol, chases the player its sight sees, walks to its
// playing radio or dark lamp and switches it back after two seconds there, then goes home
// along routes found on the wall grid.
#include <vector>
#include "GameObject.h"

class Player;
class Radio;
class LightArea;
class VisualPopUp;

enum GuardState
{
	GUARD_PATROL = 0,
	GUARD_PURSUE = 1,
	GUARD_RETURN = 2,
};

enum GuardTarget
{
	TARGET_RADIO = 0,
	TARGET_LIGHT = 1,
	TARGET_PLAYER = 2,
};

// One cell reached by the route search; parent is the index of the cell it was reached
// from (-1 for the start).
struct Node
{
	int x, y;
	int parent;
};

class BasicGuard : public GameObject
{
public:
	explicit BasicGuard(Player* player);
	BasicGuard(Player* player, LightArea* lightArea);
	BasicGuard(Player* player, Radio* radio);

	void Load() override;
	void Init() override;
	void Update() override;
	void Draw() override;
	void Free() override {}
	void Unload() override;

	// Shortest four-connected route over the walls from start to goal (both in cells, not
	// rounded), without the start cell; empty when there is none or both are in one cell.
	// Among equal routes the search prefers leaving a cell through y - 1, y + 1, x - 1, x + 1.
	std::vector<KEVec2> FindPath(KEVec2 start, KEVec2 goal);
	bool IsOpenCell(int x, int y) const;   // inside the map, not a wall, not reached yet

	int                 collisionFlags;
	float               speed;
	float               routeEndDistance;   // to the last point of path; drives the alarm's pitch
	Player*             player;
	Radio*              radio;
	LightArea*          lightArea;
	int                 waitCounter;        // frames at the playing radio or the dark lamp
	int                 state;              // GuardState
	int                 pursuitTarget;      // GuardTarget
	std::vector<KEVec2> patrolRoute;        // world points; the last one is home
	bool                pathReady;
	bool                alarmCounted;
	bool                chasing;            // ran the chase step in this update, whatever turned it after
	VisualPopUp*        popUp;              // owned
	int                 resumeTarget;       // the distraction the sight restores when the player is unseen
	KEVec2              homeCell;
	KEVec2              homePosition;
	double              chaseTimer;
	std::vector<KEVec2> path;               // the planned route, world points
	int                 mapWidth, mapHeight;
	int**               mapCells;
	int**               solidRows;
	float               scale;
	float               cellSize;
	float               reachDistance;

private:
	void Plan(KEVec2 targetCell);
	void FollowPath();
	void Patrol();
	void SetHeading(KEVec2 direction);
	void HeadFor(KEVec2 point);   // velocity toward the point, with the heading
	void Nudge();

	// The search's work space, kept between searches so a search allocates nothing per cell:
	// the cells in the order reached (those before the queue head are expanded), and per
	// cell of the map framed by a border, the stamp of the last search that reached it.
	std::vector<Node>     searchNodes;
	std::vector<unsigned> searchSeen;
	unsigned              searchStamp;
};
