#include <gtest/gtest.h>
#include "GameObject.h"

namespace
{
AABB Box(float minX, float minY, float maxX, float maxY) { return AABB{{minX, minY}, {maxX, maxY}}; }
}

TEST(RectRectIntersect, TouchingAndContainedBoxesOverlapSeparatedOnesNever)
{
	const KEVec2 still = {0, 0}, right = {50, 0}, left = {-50, 0}, up = {0, 50}, down = {0, -50};
	const AABB a = Box(0, 0, 10, 10);
	struct Case { AABB b; KEVec2 va, vb; bool overlap; } cases[] = {
		{Box(10, 2, 20, 8), still, still, true},      // shared edge
		{Box(-5, -5, 0, 0), still, still, true},      // shared corner
		{Box(4, 4, 6, 6), still, still, true},        // contained
		{Box(9, 9, 19, 19), left, right, true},       // overlapping now, moving apart
		{Box(11, 0, 21, 10), right, left, false},     // velocities that would cross do not count
		{Box(0, 11, 10, 21), up, down, false},
		{Box(2, 10.5f, 8, 20), still, still, false},  // apart on one axis only
	};
	for (const Case& c : cases)
	{
		EXPECT_EQ(RectRectIntersect(a, c.va, c.b, c.vb), c.overlap) << c.b.min.x << ", " << c.b.min.y;
		EXPECT_EQ(RectRectIntersect(c.b, c.vb, a, c.va), c.overlap) << c.b.min.x << ", " << c.b.min.y;
	}
}
