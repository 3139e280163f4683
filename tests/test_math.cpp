// Engine math: scalar helpers, KEVec2, KEMtx33, collision tests and the 4-D library.
#include <gtest/gtest.h>

#include <cmath>

#include "KECollision.h"
#include "KEMath.h"
#include "KEMath4.h"
#include "KEMtx33.h"

namespace
{
KEMtx33 Mtx(float a, float b, float c, float d, float e, float f, float g, float h, float i)
{
	return KEMtx33{{{a, b, c}, {d, e, f}, {g, h, i}}};
}
void ExpectMtx(const KEMtx33& want, const KEMtx33& got, float tol = 0.0f)
{
	for (int r = 0; r < 9; ++r)
		EXPECT_NEAR(want.m[r / 3][r % 3], got.m[r / 3][r % 3], tol) << "element " << r;
}
KEVec2 V(float x, float y) { return KEVec2{x, y}; }
void ExpectV(const KEVec2& v, float x, float y, float tol = 1e-5f)
{
	EXPECT_NEAR(v.x, x, tol) << v.x << "," << v.y;
	EXPECT_NEAR(v.y, y, tol) << v.x << "," << v.y;
}
const KEMtx33 kA = Mtx(1, 2, 3, 4, 5, 6, 7, 8, 9), kId = Mtx(1, 0, 0, 0, 1, 0, 0, 0, 1);
}

TEST(ScalarMath, WrapClampRangePowersAndTrig)
{
	EXPECT_EQ(KEWrap(-30.0f, 0.0f, 360.0f), 330.0f);
	EXPECT_EQ(KEWrap(750.0f, 0.0f, 360.0f), 390.0f);   // one wrap only
	EXPECT_EQ(KEWrap(360.0f, 0.0f, 360.0f), 360.0f);   // bounds are inside
	EXPECT_EQ(KEClamp(5.0f, 10.0f, 0.0f), 10.0f);      // lower bound checked first
	EXPECT_EQ(KEClamp(2.0f, 0.0f, 1.0f), 1.0f);
	EXPECT_FALSE(KEInRange(1.5f, 2.0f, 1.0f));
	EXPECT_TRUE(KEInRange(1.0f, 1.0f, 2.0f) && KEInRange(2.0f, 1.0f, 2.0f));   // both ends inside
	EXPECT_FALSE(KEInRange(2.0001f, 1.0f, 2.0f) || KEInRange(0.9999f, 1.0f, 2.0f));
	// {x, next power of 2 strictly above, log2 (0 for 0)}
	const unsigned int ints[][3] = {{0, 1, 0}, {1, 2, 0}, {5, 8, 2}, {8, 16, 3}, {1023, 1024, 9},
	                                {1024, 2048, 10}, {0x80000000u, 0, 31}, {0xFFFFFFFFu, 0, 31}};
	for (const auto& i : ints)
		EXPECT_TRUE(KENextPowOf2(i[0]) == i[1] && KELogBase2(i[0]) == i[2]) << i[0];
	EXPECT_EQ(KEIsPowOf2(0u) + KEIsPowOf2(96u), 0u);
	EXPECT_EQ(KECos(2.5f), (float)std::cos((double)2.5f));   // in double, rounded once
}

TEST(Vec2, CrossSignAliasingAndZero)
{
	KEVec2 a = V(3, 4), b = V(1, -2), axis = V(10, 0), zero = V(0, 0), c = a, r;
	EXPECT_EQ(KEVec2CrossProductMag(&a, &b), -10.0f);
	// Results may alias an input.
	KEVec2Sub(&c, &c, &b);
	ExpectV(c, 2, 6, 0);
	KEVec2Normalize(&(c = a), &c);
	ExpectV(c, 0.6f, 0.8f, 1e-7f);
	KEVec2ProjectPerp(&(c = a), &c, &axis);
	ExpectV(c, 0, 4);
	KEVec2Normalize(&r, &zero);   // no guard: the caller must avoid it
	EXPECT_FALSE(std::isfinite(r.x));
}

TEST(Mtx33, InverseConcatAndBuilders)
{
	// Near-singular (det 1e-6): refused, result untouched; InvTranspose then only transposes it.
	KEMtx33 r = kA, tiny = Mtx(0.001f, 0, 0, 0, 0.001f, 0, 0, 0, 1), inv, p;
	EXPECT_EQ(KEMtx33Inverse(&r, &tiny), 0.0f);
	ExpectMtx(kA, r);
	KEMtx33InvTranspose(&r, &tiny);
	ExpectMtx(Mtx(1, 4, 7, 2, 5, 8, 3, 6, 9), r);
	// Just above the threshold, a general affine matrix and a mirror; into another matrix and in place.
	const struct { KEMtx33 m; float det; } invertible[] = {
		{Mtx(0.002f, 0, 0, 0, 0.01f, 0, 0, 0, 1), 2e-5f}, {Mtx(2, -1, 5, 1, 3, -7, 0, 0, 1), 7.0f},
		{Mtx(-2, 0, 3, 0, 1, 0, 0, 0, 1), -2.0f}};
	for (const auto& c : invertible)
	{
		EXPECT_FLOAT_EQ(KEMtx33Inverse(&inv, &c.m), c.det);
		KEMtx33Concat(&p, &c.m, &inv);
		ExpectMtx(kId, p, 1e-5f);
		r = c.m;
		KEMtx33Inverse(&r, &r);
		ExpectMtx(inv, r);
	}
	EXPECT_EQ(KEMtx33Determinant(&invertible[1].m), 7.0f);

	// Concat with the result aliasing either input, or both.
	const KEMtx33 b = Mtx(9, 8, 7, 6, 5, 4, 3, 2, 1), ab = Mtx(30, 24, 18, 84, 69, 54, 138, 114, 90);
	KEMtx33 r0 = kA, r1 = b, sq = kA;
	KEMtx33Concat(&r0, &r0, &b), KEMtx33Concat(&r1, &kA, &r1), KEMtx33Concat(&sq, &sq, &sq);
	ExpectMtx(ab, r0), ExpectMtx(ab, r1), ExpectMtx(Mtx(30, 36, 42, 66, 81, 96, 102, 126, 150), sq);

	// translation x scale x rotation: rotate, then scale, then move; SR ignores the move.
	KEMtx33 s, rot, t, world;
	KEMtx33Scale(&s, 2.0f, 3.0f), KEMtx33Rot(&rot, 1.5707964f), KEMtx33Trans(&t, 10.0f, 20.0f);
	KEMtx33Concat(&world, &s, &rot), KEMtx33Concat(&world, &t, &world);
	KEVec2 pt = V(1, 0), out;
	KEMtx33MultVec(&out, &world, &pt), ExpectV(out, 10, 23);
	KEMtx33MultVecSR(&out, &world, &pt), ExpectV(out, 0, 3);

	// Degrees use the engine's 3.1415, so 180 leaves a small sine.
	KEMtx33RotDeg(&r, 180.0f);
	EXPECT_EQ(r.m[1][0], (float)std::sin(180.0f * 3.1415f / 180.0f));
	EXPECT_TRUE(r.m[1][0] > 9e-5f && r.m[0][1] == -r.m[1][0]);

	KEMtx33TransApply(&r, &kA, 10.0f, 20.0f);
	ExpectMtx(Mtx(1, 2, 13, 4, 5, 26, 7, 8, 9), r);
	KEVec2 v = V(-1, -2);
	r = kA;
	KEMtx33SetCol(&r, 2, &v), KEMtx33SetRow(&r, 2, &v), KEMtx33SetRow(&r, 3, &v);   // row 3: ignored
	ExpectMtx(Mtx(1, 2, -1, 4, 5, -2, -1, -2, 1), r);
	KEVec2 in[3] = {{1, 0}, {0, 1}, {2, 2}};
	KEMtx33MultVecArray(in, &kA, in, 3);   // in place
	ExpectV(in[1], 5, 11, 0), ExpectV(in[2], 9, 24, 0);
}

TEST(Collision, DistancesAndOverlaps)
{
	// A 10 by 4 rectangle and a segment from (0, 0) to (10, 0).
	KEVec2 o = V(0, 0), b = V(10, 0), n = V(9, 9);
	const struct { KEVec2 p; float rect, seg; } dists[] = {
		{{0, 0}, -2, 0}, {{8, 0}, 3, 0}, {{8, 6}, 5, 6},   // (3, 4) from the corner
		{{4, 3}, 1, 3}, {{-3, 4}, 2, 5}, {{13, 4}, 8.246211f, 5}};   // beyond an end: to that end
	for (const auto& d : dists)
	{
		EXPECT_FLOAT_EQ(KECalcDistPointToRect(&d.p, &o, 10, 4), d.rect) << d.p.x << "," << d.p.y;
		EXPECT_FLOAT_EQ(KECalcDistPointToLineSeg(&d.p, &o, &b), d.seg) << d.p.x << "," << d.p.y;
	}
	KEVec2 side = V(8, 0), after = V(13, 4), s0 = V(0.1f, 0.3f), s1 = V(7.7f, 23.1f), mid = V(3.9f, 11.7f);
	EXPECT_FLOAT_EQ(KECalcDistCircleToRect(&side, 1.0f, &o, 10, 4), 2.0f);
	EXPECT_FLOAT_EQ(KECalcDistPointToLineSeg(&after, &b, &b), 5.0f);   // degenerate: its start
	EXPECT_NEAR(KECalcDistPointToLineSeg(&mid, &s0, &s1), 0.0f, 1e-3f);   // rounding never gives NaN

	// Overlap 1 on x and 2 on y: x is the shallower push-out. Apart or touching: 0, normal untouched.
	KEVec2 r1 = V(3, 1), far = V(20, 0), touching = V(4, 0);
	EXPECT_FLOAT_EQ(KECalcDistRectToRect(&o, 4, 4, &r1, 4, 2, &n), -1.0f);
	ExpectV(n, -1, 0, 0);
	n = V(9, 9);
	EXPECT_TRUE(KECalcDistRectToRect(&o, 4, 4, &far, 4, 4, &n) == 0.0f &&
	            KECalcDistRectToRect(&o, 4, 4, &touching, 4, 4, &n) == 0.0f);
	ExpectV(n, 9, 9, 0);

	// Boundaries count, except circle against rectangle, which is strict; heights decide vertically.
	KEVec2 edge = V(3, 4), out = V(3, 4.01f), rectEdge = V(5, -2), touch = V(6, 0), inside = V(5.5f, 0);
	KEVec2 up25 = V(0, 2.5f), up15 = V(0, 1.5f);
	EXPECT_TRUE(KETestPointToCircle(&edge, &o, 5.0f) && !KETestPointToCircle(&out, &o, 5.0f));
	EXPECT_TRUE(KETestPointToRect(&rectEdge, &o, 10, 4));
	EXPECT_TRUE(!KETestCircleToRect(&touch, 1.0f, &o, 10, 4) && KETestCircleToRect(&inside, 1.0f, &o, 10, 4));
	EXPECT_TRUE(!KETestRectToRect(&o, 4, 2, &up25, 4, 2) && KETestRectToRect(&o, 4, 2, &up15, 4, 2));
}

TEST(Collision, SweepsAgainstSegmentsAndCircles)
{
	// Horizontal wall at y = 5 from x = 0 to 10; its normal (0, 1) points up.
	KEVec2 w0 = V(10, 5), w1 = V(0, 5), s = V(2, 9), e = V(6, 1), hit = V(-1, -1), refl = V(-1, -1);
	KELineSeg wall;
	KEBuildLineSegment(&wall, &w0, &w1);
	EXPECT_FLOAT_EQ(KEReflectAnimatedPointOnStaticLineSegment(&s, &e, &wall, &hit, &refl), 0.5f);
	ExpectV(hit, 4, 5), ExpectV(refl, 2, 4);   // (2, -4) mirrored

	// Moving parallel, staying on one side or passing beside the segment: no contact.
	KEVec2 misses[][2] = {{{-5, 5}, {15, 5}}, {{2, 9}, {6, 6}}, {{12, 9}, {14, 1}}};
	hit = V(-1, -1);
	for (auto& m : misses)
		EXPECT_EQ(KEAnimatedPointToStaticLineSegment(&m[0], &m[1], &wall, &hit), -1.0f) << m[1].x;
	EXPECT_EQ(hit.x, -1.0f);

	// A circle of radius 1 touches when its centre is one radius off the line, on either side.
	KEVec2 top = V(4, 10), bottom = V(4, 0), short0 = V(4, 6.5f);
	EXPECT_FLOAT_EQ(KEAnimatedCircleToStaticLineSegment(&top, &bottom, 1.0f, &wall, &hit), 0.4f);
	ExpectV(hit, 4, 6);
	EXPECT_FLOAT_EQ(KEAnimatedCircleToStaticLineSegment(&bottom, &top, 1.0f, &wall, &hit), 0.4f);
	ExpectV(hit, 4, 4);
	EXPECT_EQ(KEAnimatedCircleToStaticLineSegment(&top, &short0, 1.0f, &wall, &hit), -1.0f);

	// Against a circle: head-on contact reflects straight back; stopping short or passing wide misses.
	KEVec2 c = V(10, 0), p0 = V(0, 0), p1 = V(20, 0), shortEnd = V(5, 0), aside = V(0, 10), away = V(-10, 0);
	EXPECT_FLOAT_EQ(KEReflectAnimatedCircleOnStaticCircle(&p0, &p1, 1.0f, &c, 1.0f, &hit, &refl), 0.4f);
	ExpectV(hit, 8, 0), ExpectV(refl, -8, 0);
	EXPECT_TRUE(KEAnimatedPointToStaticCircle(&p0, &shortEnd, &c, 2.0f, &hit) == -1.0f &&
	            KEAnimatedPointToStaticCircle(&p0, &aside, &c, 2.0f, &hit) == -1.0f);
	// Moving away from a circle it is outside of: the time found is negative and nothing is reflected.
	refl = V(7, 7);
	EXPECT_FLOAT_EQ(KEReflectAnimatedPointOnStaticCircle(&p0, &away, &c, 2.0f, &hit, &refl), -1.2f);
	ExpectV(hit, 12, 0), ExpectV(refl, 7, 7, 0);
}

TEST(Math4, VectorsMatricesAndCameras)
{
	Vector4 a(1, 2, 3, 4), b(1, 1, 1, 100), zero(0, 0, 0, 0), v(3, 0, 0, 4), axis(0, 0, 5, 0);
	EXPECT_EQ(a.Dot(b), 6.0f);         // w does not take part
	EXPECT_EQ(a.LengthSq(), 30.0f);    // but counts in the length
	zero.Normalize(), v.Normalize();
	EXPECT_TRUE(zero == Vector4(0, 0, 0, 0) && v == Vector4(0.6f, 0, 0, 0.8f));
	EXPECT_TRUE(Vector4(1, 2, 3, 4) == Vector4(1, 2, 3, 4.000001f));   // within 1e-5 per component
	EXPECT_TRUE(Vector4(1, 2, 3, 4) != Vector4(1, 2, 3.0001f, 4));
	EXPECT_EQ((-Point4()).w, -1.0f);   // defaults to w = 1; unary minus negates w too

	Matrix4 m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16), id, t = Matrix4Translate(1, 2, 3);
	id.Identity();
	EXPECT_EQ((m * t).m[0][3], 18.0f);
	EXPECT_EQ(t * Point4(1, 1, 1, 1), Point4(2, 3, 4, 1));   // column vectors: points move, vectors do not
	EXPECT_EQ(t * Vector4(1, 1, 1, 0), Vector4(1, 1, 1, 0));
	EXPECT_EQ(Matrix4RotZ(1.5707964f) * Vector4(1, 0, 0, 0), Vector4(0, 1, 0, 0));
	EXPECT_EQ(Matrix4RotY(1.5707964f) * Vector4(0, 0, 1, 0), Vector4(1, 0, 0, 0));
	EXPECT_EQ(Matrix4RotAxis(axis, 0.4f), Matrix4RotZ(0.4f));
	EXPECT_EQ(axis, Vector4(0, 0, 1, 0));   // normalised in place
	EXPECT_EQ(Matrix4RotAxis(zero, 1.0f), id);
	EXPECT_FLOAT_EQ(Matrix4Determinant(Matrix4(2, 0, 1, 3, 1, 3, 0, 0, 0, 1, 4, 1, 1, 0, 0, 2)), 17.0f);
	Matrix4 affine = Matrix4Translate(4, -2, 7) * Matrix4RotAxis(axis, 0.8f) * Matrix4Scale(2, 2, 2);
	EXPECT_EQ(affine * Matrix4AffineInverse(affine), id);

	EXPECT_EQ(Matrix4LookAt(Point4(5, 7, 60, 1), Point4(5, 7, 0, 1), Vector4(0, 1, 0, 0)),
	          Matrix4Translate(-5, -7, -60));
	// Looking down -x from (10, 0, 0): the camera's right is world -z.
	Matrix4 side = Matrix4LookAt(Point4(10, 0, 0, 1), Point4(0, 0, 0, 1), Vector4(0, 1, 0, 0));
	EXPECT_EQ(side * Point4(0, 0, 0, 1), Point4(0, 0, -10, 1));
	EXPECT_EQ(side * Vector4(0, 0, 1, 0), Vector4(-1, 0, 0, 0));
	// Ortho and perspective map the view volume's corners, near and far, onto the clip cube.
	EXPECT_EQ(Matrix4Ortho(800, 600, -1, 1) * Point4(400, -300, 1, 1), Point4(1, -1, -1, 1));
	EXPECT_EQ(Matrix4Ortho(2, 2, 1, 101) * Point4(-1, 1, -101, 1), Point4(-1, 1, 1, 1));
	Matrix4 persp = Matrix4Perspective(90, 2, 1, 3);
	EXPECT_EQ(persp * Point4(2, 1, -1, 1), Point4(1, 1, -1, 1));
	EXPECT_EQ(persp * Point4(-6, 3, -3, 1), Point4(-3, 3, 3, 3));
}
