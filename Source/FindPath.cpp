// The guards' route search: a breadth-first flood over the wall grid. Each cell is queued
// once, on first sight, and tested against the goal when it leaves the queue.
//
// Cells reached are marked with the search's own stamp in a grid kept between searches
// and framed by a border, which every search stamps as reached: a neighbour needs no
// bounds test, and nothing is cleared or allocated per search beyond the border.
#include <cmath>
#include "BinaryMap.h"
#include "Guard.h"

bool BasicGuard::IsOpenCell(int x, int y) const
{
	if (!(x >= 0 && x < mapWidth && y >= 0 && y < mapHeight && solidRows && solidRows[y][x] != 1))
		return false;
	// Before the first search on this map no cell has been reached.
	const size_t cell = (size_t)(y + 1) * (mapWidth + 2) + x + 1;
	return searchSeen.size() != (size_t)(mapWidth + 2) * (mapHeight + 2) || searchSeen[cell] != searchStamp;
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
	const int width = mapWidth, height = mapHeight, stride = width + 2;
	const size_t framed = (size_t)stride * (height + 2);
	if (searchSeen.size() != framed || ++searchStamp == 0)
	{
		searchSeen.assign(framed, 0);
		searchStamp = 1;
	}
	unsigned* seen = searchSeen.data();
	const unsigned stamp = searchStamp;
	for (int x = 0; x < stride; ++x)
		seen[x] = seen[framed - 1 - x] = stamp;
	for (int y = 1; y <= height; ++y)
		seen[(size_t)y * stride] = seen[(size_t)y * stride + stride - 1] = stamp;
	// Every cell is queued at most once, the start perhaps from off the map.
	if (searchNodes.size() < (size_t)width * height + 1)
		searchNodes.resize((size_t)width * height + 1);
	Node* nodes = searchNodes.data();
	int* const* solid = solidRows;

	const int goalX = (int)goal.x, goalY = (int)goal.y;
	const int startX = (int)start.x, startY = (int)start.y;
	nodes[0] = {startX, startY, -1};
	size_t count = 1;
	int current = 0;
	if (!(startX == goalX && startY == goalY))
	{
		// The start is never tested for walkability; it may even lie off the map.
		const int offsets[4][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};   // y - 1, y + 1, x - 1, x + 1
		if (startX >= 0 && startX < width && startY >= 0 && startY < height)
			seen[(size_t)(startY + 1) * stride + startX + 1] = stamp;
		for (const auto& d : offsets)
			if (IsOpenCell(startX + d[0], startY + d[1]))
			{
				seen[(size_t)(startY + d[1] + 1) * stride + startX + d[0] + 1] = stamp;
				nodes[count++] = {startX + d[0], startY + d[1], 0};
			}
		size_t head = 1;
		do
		{
			if (head == count)
				return route;
			current = (int)head++;
			const int x = nodes[current].x, y = nodes[current].y;
			const size_t cell = (size_t)(y + 1) * stride + x + 1;
			auto visit = [&](size_t next, int nx, int ny)
			{
				if (seen[next] != stamp && solid[ny][nx] != 1)
				{
					seen[next] = stamp;
					nodes[count++] = {nx, ny, current};
				}
			};
			visit(cell - stride, x, y - 1);
			visit(cell + stride, x, y + 1);
			visit(cell - 1, x - 1, y);
			visit(cell + 1, x + 1, y);
		} while (!(nodes[current].x == goalX && nodes[current].y == goalY));
	}
	int steps = 0;
	for (int i = current; nodes[i].parent >= 0; i = nodes[i].parent)
		++steps;
	route.resize(steps);
	for (int i = current; nodes[i].parent >= 0; i = nodes[i].parent)
		route[--steps] = {(float)nodes[i].x, (float)nodes[i].y};
	return route;
}
