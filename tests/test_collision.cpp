// Distances, overlap tests and swept contacts.
#include <gtest/gtest.h>

#include <cmath>

#include "KECollision.h"

namespace
{
KEVec2 V(float x, float y) { return KEVec2{x, y}; }

KELineSeg Segment(float x0, float y0, float x1, float y1)
{
	KEVec2 a = V(x0, y0), b = V(x1, y1);
	KELineSeg s;
	KEBuildLineSegment(&s, &a, &b);
	return s;
}
}

TEST(CollisionDistance, PointsCirclesAndRectangles)
{
	KEVec2 c = V(1, 1), p = V(4, 5);
	EXPECT_FLOAT_EQ(KECalcDistPointToCircle(&p, &c, 2.0f), 3.0f);
	EXPECT_FLOAT_EQ(KECalcDistPointToCircle(&c, &c, 2.0f), -2.0f);
	EXPECT_FLOAT_EQ(KECalcDistCircleToCircle(&c, 1.0f, &p, 1.5f), 2.5f);

	// 10 by 4 rectangle at the origin.
	KEVec2 r = V(0, 0), in = V(0, 0), side = V(8, 0), corner = V(8, 6), nearEdge = V(4, 0.5f);
	EXPECT_FLOAT_EQ(KECalcDistPointToRect(&in, &r, 10, 4), -2.0f);
	EXPECT_FLOAT_EQ(KECalcDistPointToRect(&nearEdge, &r, 10, 4), -1.0f);
	EXPECT_FLOAT_EQ(KECalcDistPointToRect(&side, &r, 10, 4), 3.0f);
	EXPECT_FLOAT_EQ(KECalcDistPointToRect(&corner, &r, 10, 4), 5.0f);   // (3, 4) from the corner
	EXPECT_FLOAT_EQ(KECalcDistCircleToRect(&side, 1.0f, &r, 10, 4), 2.0f);

	KEVec2 poly[3] = {V(0, 0), V(1, 0), V(0, 1)};
	EXPECT_EQ(KECalcDistPointToConvexPoly(&in, poly, 3), -1.0f);
}

TEST(CollisionDistance, PointToSegmentEdgeCases)
{
	KEVec2 a = V(0, 0), b = V(10, 0);
	KEVec2 above = V(4, 3), before = V(-3, 4), after = V(13, 4), onLine = V(5, 0);
	EXPECT_FLOAT_EQ(KECalcDistPointToLineSeg(&above, &a, &b), 3.0f);
	EXPECT_FLOAT_EQ(KECalcDistPointToLineSeg(&before, &a, &b), 5.0f);
	EXPECT_FLOAT_EQ(KECalcDistPointToLineSeg(&after, &a, &b), 5.0f);
	EXPECT_EQ(KECalcDistPointToLineSeg(&onLine, &a, &b), 0.0f);
	EXPECT_EQ(KECalcDistPointToLineSeg(&a, &a, &b), 0.0f);

	// A degenerate segment is its start point.
	KEVec2 p = V(3, 4);
	EXPECT_FLOAT_EQ(KECalcDistPointToLineSeg(&p, &a, &a), 5.0f);

	// Rounding may make |v|^2 - t^2 slightly negative: never NaN.
	KEVec2 s0 = V(0.1f, 0.3f), s1 = V(7.7f, 23.1f), mid = V(3.9f, 11.7f);
	float d = KECalcDistPointToLineSeg(&mid, &s0, &s1);
	EXPECT_TRUE(std::isfinite(d));
	EXPECT_NEAR(d, 0.0f, 1e-3f);
}

TEST(CollisionDistance, RectToRect)
{
	KEVec2 a = V(0, 0), b = V(3, 1), n = V(9, 9);
	// Overlap 1 on x and 2 on y: x is the shallower push-out.
	EXPECT_FLOAT_EQ(KECalcDistRectToRect(&a, 4, 4, &b, 4, 2, &n), -1.0f);
	EXPECT_EQ(n.x, -1.0f); EXPECT_EQ(n.y, 0.0f);
	EXPECT_FLOAT_EQ(KECalcDistRectToRect(&b, 4, 2, &a, 4, 4, &n), -1.0f);
	EXPECT_EQ(n.x, 1.0f); EXPECT_EQ(n.y, 0.0f);

	KEVec2 below = V(0.5f, -3.5f);
	EXPECT_FLOAT_EQ(KECalcDistRectToRect(&a, 4, 4, &below, 4, 4, nullptr), -0.5f);
	EXPECT_FLOAT_EQ(KECalcDistRectToRect(&a, 4, 4, &below, 4, 4, &n), -0.5f);
	EXPECT_EQ(n.x, 0.0f); EXPECT_EQ(n.y, 1.0f);

	// Separated (or just touching) rectangles give 0, not their gap; normal untouched.
	KEVec2 far = V(20, 0), touching = V(4, 0);
	n = V(9, 9);
	EXPECT_EQ(KECalcDistRectToRect(&a, 4, 4, &far, 4, 4, &n), 0.0f);
	EXPECT_EQ(KECalcDistRectToRect(&a, 4, 4, &touching, 4, 4, &n), 0.0f);
	EXPECT_EQ(n.x, 9.0f);
}

TEST(CollisionOverlap, BoundariesCount)
{
	KEVec2 c = V(0, 0), edge = V(3, 4), out = V(3, 4.01f);
	EXPECT_TRUE(KETestPointToCircle(&edge, &c, 5.0f));
	EXPECT_FALSE(KETestPointToCircle(&out, &c, 5.0f));
	EXPECT_TRUE(KETestCircleToCircle(&c, 2.0f, &edge, 3.0f));
	EXPECT_FALSE(KETestCircleToCircle(&c, 2.0f, &out, 3.0f));

	KEVec2 onEdge = V(5, -2), outside = V(5.01f, 0);
	EXPECT_TRUE(KETestPointToRect(&onEdge, &c, 10, 4));
	EXPECT_FALSE(KETestPointToRect(&outside, &c, 10, 4));

	// Heights decide the vertical test.
	KEVec2 up25 = V(0, 2.5f), up15 = V(0, 1.5f), up2 = V(0, 2.0f);
	EXPECT_FALSE(KETestRectToRect(&c, 4, 2, &up25, 4, 2));
	EXPECT_TRUE(KETestRectToRect(&c, 4, 2, &up15, 4, 2));
	EXPECT_TRUE(KETestRectToRect(&c, 4, 2, &up2, 4, 2));

	// Circle against rectangle is strict: touching is not overlapping.
	KEVec2 touch = V(6, 0), inside = V(5.5f, 0);
	EXPECT_FALSE(KETestCircleToRect(&touch, 1.0f, &c, 10, 4));
	EXPECT_TRUE(KETestCircleToRect(&inside, 1.0f, &c, 10, 4));
}

TEST(CollisionSweep, PointAgainstSegment)
{
	// Horizontal wall at y = 5 from x = 0 to 10; normal (0, 1) points up.
	KELineSeg wall = Segment(10, 5, 0, 5);
	EXPECT_FLOAT_EQ(wall.normal.x, 0.0f);
	EXPECT_FLOAT_EQ(wall.normal.y, 1.0f);
	EXPECT_FLOAT_EQ(wall.d, 5.0f);

	KEVec2 p = V(3, 8);
	EXPECT_FLOAT_EQ(KEStaticPointToStaticLineSegment(&p, &wall), 3.0f);

	KEVec2 s = V(2, 9), e = V(6, 1), hit = V(-1, -1), refl = V(-1, -1);
	EXPECT_FLOAT_EQ(KEAnimatedPointToStaticLineSegment(&s, &e, &wall, &hit), 0.5f);
	EXPECT_FLOAT_EQ(hit.x, 4.0f); EXPECT_FLOAT_EQ(hit.y, 5.0f);

	EXPECT_FLOAT_EQ(KEReflectAnimatedPointOnStaticLineSegment(&s, &e, &wall, &hit, &refl), 0.5f);
	EXPECT_FLOAT_EQ(refl.x, 2.0f); EXPECT_FLOAT_EQ(refl.y, 4.0f);   // (2, -4) mirrored

	// Staying on one side, moving parallel, or passing beside the segment: no contact.
	KEVec2 s2 = V(2, 9), e2 = V(6, 6), par0 = V(-5, 5), par1 = V(15, 5), wide = V(14, 1);
	hit = V(-1, -1);
	EXPECT_EQ(KEAnimatedPointToStaticLineSegment(&s2, &e2, &wall, &hit), -1.0f);
	EXPECT_EQ(KEAnimatedPointToStaticLineSegment(&par0, &par1, &wall, &hit), -1.0f);
	KEVec2 s3 = V(12, 9);
	EXPECT_EQ(KEAnimatedPointToStaticLineSegment(&s3, &wide, &wall, &hit), -1.0f);
	EXPECT_EQ(hit.x, -1.0f);   // untouched on a miss

	// Ending exactly on the line is a contact at t = 1; a zero-time hit is not reflected.
	KEVec2 toLine = V(4, 5);
	EXPECT_FLOAT_EQ(KEAnimatedPointToStaticLineSegment(&s, &toLine, &wall, &hit), 1.0f);
	refl = V(-7, -7);
	KEVec2 fromLine = V(4, 5);
	EXPECT_EQ(KEReflectAnimatedPointOnStaticLineSegment(&fromLine, &e, &wall, &hit, &refl), 0.0f);
	EXPECT_EQ(refl.x, -7.0f);
}

TEST(CollisionSweep, CircleAgainstSegment)
{
	KELineSeg wall = Segment(10, 5, 0, 5);
	KEVec2 s = V(4, 10), e = V(4, 0), hit, refl;
	// From above, a circle of radius 1 touches when its centre reaches y = 6.
	EXPECT_FLOAT_EQ(KEAnimatedCircleToStaticLineSegment(&s, &e, 1.0f, &wall, &hit), 0.4f);
	EXPECT_FLOAT_EQ(hit.x, 4.0f); EXPECT_FLOAT_EQ(hit.y, 6.0f);
	// From below it touches at y = 4.
	EXPECT_FLOAT_EQ(KEAnimatedCircleToStaticLineSegment(&e, &s, 1.0f, &wall, &hit), 0.4f);
	EXPECT_FLOAT_EQ(hit.y, 4.0f);

	EXPECT_FLOAT_EQ(KEReflectAnimatedCircleOnStaticLineSegment(&s, &e, 1.0f, &wall, &hit, &refl), 0.4f);
	EXPECT_FLOAT_EQ(refl.x, 0.0f); EXPECT_FLOAT_EQ(refl.y, 6.0f);

	// Never closer than the radius: no contact.
	KEVec2 a = V(4, 10), b = V(4, 6.5f);
	EXPECT_EQ(KEAnimatedCircleToStaticLineSegment(&a, &b, 1.0f, &wall, &hit), -1.0f);
}

TEST(CollisionSweep, PointAndCircleAgainstCircle)
{
	KEVec2 c = V(10, 0), s = V(0, 0), e = V(20, 0), hit, refl;
	EXPECT_FLOAT_EQ(KEAnimatedPointToStaticCircle(&s, &e, &c, 2.0f, &hit), 0.4f);
	EXPECT_FLOAT_EQ(hit.x, 8.0f); EXPECT_FLOAT_EQ(hit.y, 0.0f);
	EXPECT_FLOAT_EQ(KEAnimatedCircleToStaticCircle(&s, &e, 1.0f, &c, 1.0f, &hit), 0.4f);

	// Head-on: the reflection points straight back along the normal.
	EXPECT_FLOAT_EQ(KEReflectAnimatedPointOnStaticCircle(&s, &e, &c, 2.0f, &hit, &refl), 0.4f);
	EXPECT_FLOAT_EQ(refl.x, -8.0f); EXPECT_NEAR(refl.y, 0.0f, 1e-5f);
	EXPECT_FLOAT_EQ(KEReflectAnimatedCircleOnStaticCircle(&s, &e, 1.0f, &c, 1.0f, &hit, &refl), 0.4f);
	EXPECT_FLOAT_EQ(refl.x, -8.0f);

	// Passing by, stopping short, or starting inside and leaving: no contact.
	KEVec2 high = V(0, 3), highEnd = V(20, 3), shortEnd = V(5, 0), inside = V(10, 1), away = V(10, 30);
	EXPECT_EQ(KEAnimatedPointToStaticCircle(&high, &highEnd, &c, 2.0f, &hit), -1.0f);
	EXPECT_EQ(KEAnimatedPointToStaticCircle(&s, &shortEnd, &c, 2.0f, &hit), -1.0f);
	EXPECT_EQ(KEAnimatedPointToStaticCircle(&inside, &away, &c, 2.0f, &hit), -1.0f);
}
