// The guards' route search: a breadth-first flood over the wall grid. Each cell is queued
// once, on first sight, and tested against the goal when it leaves the queue.
#include <cmath>
#include "BinaryMap.h"
#include "Guard.h"

bool BasicGuard::IsOpenCell(int x, int y) const
{
	return x >= 0 && x < mapWidth && y >= 0 && y < mapHeight && solidRows[y][x] != 1 &&
	       searchSeen[(size_t)y * mapWidth + x] != searchStamp;
}

std::vector<KEVec2> BasicGuard::FindPath(KEVec2 start, KEVec2 goal)
{
	std::vector<KEVec2> route;
	// Far outside any map (or not a number): nothing to search from or for.
	const float limit = 1.0e6f;
	if (!(std::fabs(start.x) < limit && std::fabs(start.y) < limit && std::fabs(goal.x) < limit &&
	      std::fabs(goal.y) < limit))
		return route;

	mapWidth = gMapWidth;
	mapHeight = gMapHeight;
	solidRows = gMapSolid;
	if (!solidRows)
		mapWidth = mapHeight = 0;
	const size_t cells = (size_t)mapWidth * (size_t)mapHeight;
	if (searchSeen.size() != cells || ++searchStamp == 0)
	{
		searchSeen.assign(cells, 0);
		searchStamp = 1;
	}
	if (searchNodes.capacity() < cells + 1)
		searchNodes.reserve(cells + 1);
	searchNodes.clear();

	const int goalX = (int)goal.x, goalY = (int)goal.y;
	const int startX = (int)start.x, startY = (int)start.y;
	searchNodes.push_back({startX, startY, -1});
	// The start is never tested for walkability, but it is never queued twice either.
	if (startX >= 0 && startX < mapWidth && startY >= 0 && startY < mapHeight)
		searchSeen[(size_t)startY * mapWidth + startX] = searchStamp;

	size_t head = 0;
	int current = 0;
	while (!(searchNodes[current].x == goalX && searchNodes[current].y == goalY))
	{
		if (head == searchNodes.size())
			return route;
		current = (int)head++;
		const int x = searchNodes[current].x, y = searchNodes[current].y;
		const int next[4][2] = {{x, y - 1}, {x, y + 1}, {x - 1, y}, {x + 1, y}};
		for (const auto& n : next)
			if (IsOpenCell(n[0], n[1]))
			{
				searchSeen[(size_t)n[1] * mapWidth + n[0]] = searchStamp;
				searchNodes.push_back({n[0], n[1], current});
			}
	}
	for (int i = current; searchNodes[i].parent >= 0; i = searchNodes[i].parent)
		route.push_back({(float)searchNodes[i].x, (float)searchNodes[i].y});
	return {route.rbegin(), route.rend()};
}
