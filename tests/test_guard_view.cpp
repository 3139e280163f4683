// The guard's drawn view against its own sight test: beside walls, in the open, as the guard
// moves and turns.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include "ActorWorld.h"
#include "Guard.h"
#include "Player.h"
#include "Sight.h"

namespace
{
const std::string kEdge(16, '#'), kRow = "#..............#";
// A wall block in a hall, a pillar and a room with a door: edges of every direction.
const std::vector<std::string> kHall = {kEdge, kRow, "#..#...........#", kRow, "#.........##...#",
                                        "#.........##...#", kRow, "#.....###.#....#", kEdge};

bool InTriangle(const KEVec2* t, float x, float y)
{
	auto side = [&](KEVec2 a, KEVec2 b) { return (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x); };
	const float s0 = side(t[0], t[1]), s1 = side(t[1], t[2]), s2 = side(t[2], t[0]);
	return (s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0);
}

struct Pose
{
	const char* where;
	float       x, y, rotation;
};

// Guard poses in kHall (cell 40, row 0 at the bottom), visited in order by one guard, so the
// view must follow each move and turn.
const Pose kPoses[] = {
    {"mostly open, facing right", 140.5f, 140.5f, 0.0f},
    {"facing the wall block", 330.0f, 190.0f, 0.0f},
    {"beside the block, looking along it", 390.5f, 137.3f, 1.5707963f},
    {"diagonally past the block", 300.2f, 110.7f, 0.7853982f},
    {"behind the pillar", 100.5f, 260.5f, -0.4f},
    {"at the room's door", 380.5f, 60.5f, 3.1415925f},
    {"beside the border, looking out", 60.5f, 300.5f, 2.6f},
    {"standing in a wall cell", 610.5f, 180.5f, 3.1415925f},
    {"mostly open, facing down", 540.0f, 260.0f, -1.5707963f},
};

struct ViewWorld : ::testing::Test
{
	ActorWorld world{kHall};
	Player     p;
	BasicGuard g{&p};
	Sight      sight{&g, &p};

	bool Seen(float x, float y) { return sight.Looks({x, y}) == SIGHT_SEEN; }
	void Place(const Pose& pose) { g.position = {pose.x, pose.y}, g.rotation = pose.rotation; }
};
} // namespace

// Over the whole reach, every point where drawing and test disagree lies within a unit of a
// point where the test gives the drawn answer: the edge is within a unit of the true one.
// Every pose has a wall within reach, so a plain half-disc would fail.
TEST_F(ViewWorld, TheDrawnEdgeIsWithinAUnitOfTheTrueOne)
{
	auto started = world.Start({&g, &p, &sight});
	const float step = 0.5f;
	const int n = 2 * 160 * 2 + 1;   // 0.5-unit samples over 320 x 320 around the guard
	float worst = 0.0f;
	for (const Pose& pose : kPoses)
	{
		Place(pose);
		const std::vector<KEVec2>& view = sight.View();
		std::vector<char> drawn((size_t)n * n, 0), seen((size_t)n * n, 0);
		// Off the half units, so no sample falls on a cell edge, where either answer is right.
		const float x0 = pose.x - 160.123f, y0 = pose.y - 160.377f;
		for (size_t t = 0; t + 2 < view.size(); t += 3)   // rasterise each triangle over its box
		{
			float lo[2] = {1e9f, 1e9f}, hi[2] = {-1e9f, -1e9f};
			for (int k = 0; k < 3; ++k)
			{
				lo[0] = std::min(lo[0], view[t + k].x), hi[0] = std::max(hi[0], view[t + k].x);
				lo[1] = std::min(lo[1], view[t + k].y), hi[1] = std::max(hi[1], view[t + k].y);
			}
			for (int i = std::max(0, (int)((lo[0] - x0) / step)); i < n && x0 + i * step <= hi[0]; ++i)
				for (int j = std::max(0, (int)((lo[1] - y0) / step)); j < n && y0 + j * step <= hi[1]; ++j)
					if (InTriangle(&view[t], x0 + i * step, y0 + j * step))
						drawn[(size_t)i * n + j] = 1;
		}
		int seenCount = 0, mismatches = 0, wallCut = 0;
		for (int i = 0; i < n; ++i)
			for (int j = 0; j < n; ++j)
			{
				const float x = x0 + i * step, y = y0 + j * step;
				seenCount += seen[(size_t)i * n + j] = Seen(x, y);
				wallCut += sight.Looks({x, y}) == SIGHT_UNSEEN && std::hypot(x - pose.x, y - pose.y) <= 150.0f;
			}
		for (int i = 0; i < n; ++i)
			for (int j = 0; j < n; ++j)
			{
				const char want = drawn[(size_t)i * n + j];
				if (seen[(size_t)i * n + j] == want)
					continue;
				++mismatches;
				float nearest = 1e9f;   // to a sample the test answers as drawn
				for (int di = -20; di <= 20; ++di)
					for (int dj = -20; dj <= 20; ++dj)
						if (i + di >= 0 && i + di < n && j + dj >= 0 && j + dj < n &&
						    seen[(size_t)(i + di) * n + j + dj] == want)
							nearest = std::min(nearest, std::hypot((float)di, (float)dj) * step);
				worst = std::max(worst, nearest);
				EXPECT_LE(nearest, 1.0f) << pose.where << " at (" << x0 + i * step << ", " << y0 + j * step << ")";
			}
		EXPECT_GT(seenCount, 1000) << pose.where;
		EXPECT_LT(mismatches, 150) << pose.where;
		EXPECT_GT(wallCut, 400) << pose.where << ": no wall cuts this view";
	}
	std::printf("guard view: largest edge error %.2f units\n", worst);
}
