#pragma once
// The guards' route search written out the slow, literal way: a first-in first-out list of
// heap nodes and a closed vector, both scanned from end to end for every neighbour. The
// game's search must return exactly its routes.
#include <list>
#include <vector>
#include "BinaryMap.h"
#include "KEVec2.h"

inline std::vector<KEVec2> ReferencePath(KEVec2 start, KEVec2 goal)
{
	struct RefNode
	{
		int      x, y;
		RefNode* parent;
	};
	std::list<RefNode*>   openList;
	std::vector<RefNode*> closedList;
	auto listed = [](const auto& list, int x, int y)
	{
		for (RefNode* n : list)
			if (n->x == x && n->y == y)
				return true;
		return false;
	};
	auto isOpenCell = [&](int x, int y)
	{
		return x >= 0 && x < gMapWidth && y >= 0 && y < gMapHeight && gMapSolid[y][x] != 1 &&
		       !listed(closedList, x, y) && !listed(openList, x, y);
	};
	const int sx = (int)start.x, sy = (int)start.y, gx = (int)goal.x, gy = (int)goal.y;
	std::vector<KEVec2> route;
	RefNode* current = new RefNode{sx, sy, nullptr};
	openList.push_back(current);
	for (;;)
	{
		if (current->x == gx && current->y == gy)
		{
			for (RefNode* n = current; !(n->x == sx && n->y == sy); n = n->parent)
				route.insert(route.begin(), KEVec2{(float)n->x, (float)n->y});
			break;
		}
		if (openList.empty())
			break;
		current = openList.front();
		const int next[4][2] = {{current->x, current->y - 1}, {current->x, current->y + 1},
		                        {current->x - 1, current->y}, {current->x + 1, current->y}};
		for (const auto& n : next)
			if (isOpenCell(n[0], n[1]))
				openList.push_back(new RefNode{n[0], n[1], current});
		closedList.push_back(current);
		openList.pop_front();
	}
	for (RefNode* n : openList)
		delete n;
	for (RefNode* n : closedList)
		delete n;
	return route;
}

// Owns a wall grid and puts it into the map globals for as long as it lives.
class GridOnMap
{
public:
	GridOnMap(int width, int height) : width(width), height(height), cells((size_t)width * height, 0), rows(height)
	{
		for (int r = 0; r < height; ++r)
			rows[r] = &cells[(size_t)r * width];
		gMapWidth = width;
		gMapHeight = height;
		gMapSolid = gMapCells = height ? rows.data() : nullptr;
		gMapTileSize = 40.0f;
	}
	~GridOnMap()
	{
		gMapWidth = gMapHeight = 0;
		gMapSolid = gMapCells = nullptr;
	}
	GridOnMap(const GridOnMap&) = delete;
	GridOnMap& operator=(const GridOnMap&) = delete;
	int& At(int column, int row) { return rows[row][column]; }

	const int          width, height;

private:
	std::vector<int>   cells;
	std::vector<int*>  rows;
};
