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
const KEMtx33 kA = Mtx(1, 2, 3, 4, 5, 6, 7, 8, 9);
}

TEST(ScalarMath, WrapClampRangePowersTrigAndVec2)
{
	// {x, wrapped into 0..360}: one wrap only either way, and the bounds are inside.
	const float wraps[][2] = {{750, 390}, {-30, 330}, {-400, -40}, {360, 360}, {0, 0}, {361, 1}};
	for (const auto& w : wraps)
		EXPECT_EQ(KEWrap(w[0], 0.0f, 360.0f), w[1]) << w[0];
	EXPECT_EQ(KEClamp(5.0f, 10.0f, 0.0f), 10.0f);      // lower bound checked first
	EXPECT_TRUE(KEInRange(1.0f, 1.0f, 2.0f) && KEInRange(2.0f, 1.0f, 2.0f));   // both ends inside
	EXPECT_FALSE(KEInRange(2.0001f, 1.0f, 2.0f) || KEInRange(0.9999f, 1.0f, 2.0f));
	// {x, next power of 2 strictly above, log2 (0 for 0)}
	const unsigned int ints[][3] = {{0, 1, 0}, {8, 16, 3}, {1023, 1024, 9}, {0x80000000u, 0, 31}};
	for (const auto& i : ints)
		EXPECT_TRUE(KENextPowOf2(i[0]) == i[1] && KELogBase2(i[0]) == i[2]) << i[0];
	EXPECT_EQ(KEIsPowOf2(0u) + KEIsPowOf2(96u), 0u);
	EXPECT_EQ(KECos(2.5f), (float)std::cos((double)2.5f));   // in double, rounded once

	KEVec2 a = V(3, 4), b = V(1, -2);
	EXPECT_EQ(KEVec2CrossProductMag(&a, &b), -10.0f);
	KEVec2Normalize(&a, &a);   // the result may alias the input
	ExpectV(a, 0.6f, 0.8f, 1e-7f);
}

TEST(Mtx33, InverseConcatAndBuilders)
{
	// Near-singular (det 1e-6): refused, result untouched; InvTranspose then only transposes it.
	KEMtx33 r = kA, tiny = Mtx(0.001f, 0, 0, 0, 0.001f, 0, 0, 0, 1), p;
	EXPECT_EQ(KEMtx33Inverse(&r, &tiny), 0.0f);
	ExpectMtx(kA, r);
	KEMtx33InvTranspose(&r, &tiny);
	ExpectMtx(Mtx(1, 4, 7, 2, 5, 8, 3, 6, 9), r);
	// Just above the threshold, and a mirror, inverted in place.
	const struct { KEMtx33 m; float det; } invertible[] = {
		{Mtx(0.002f, 0, 0, 0, 0.01f, 0, 0, 0, 1), 2e-5f}, {Mtx(-2, 0, 3, 0, 1, 0, 0, 0, 1), -2.0f}};
	for (const auto& c : invertible)
	{
		r = c.m;
		EXPECT_FLOAT_EQ(KEMtx33Inverse(&r, &r), c.det);
		KEMtx33Concat(&p, &c.m, &r);
		ExpectMtx(Mtx(1, 0, 0, 0, 1, 0, 0, 0, 1), p, 1e-5f);
	}
	// Concat with the result aliasing both inputs.
	KEMtx33Concat(&(r = kA), &r, &r);
	ExpectMtx(Mtx(30, 36, 42, 66, 81, 96, 102, 126, 150), r);
	// translation x scale x rotation: rotate, then scale, then move.
	KEMtx33 s, rot, t;
	KEMtx33Scale(&s, 2.0f, 3.0f);
	KEMtx33Rot(&rot, 1.5707964f);
	KEMtx33Trans(&t, 10.0f, 20.0f);
	KEMtx33Concat(&p, &s, &rot);
	KEMtx33Concat(&p, &t, &p);
	KEVec2 pt = V(1, 0), out;
	KEMtx33MultVec(&out, &p, &pt);
	ExpectV(out, 10, 23);
	// Degrees use the engine's 3.1415, so 180 leaves a small sine.
	KEMtx33RotDeg(&r, 180.0f);
	EXPECT_EQ(r.m[1][0], (float)std::sin(180.0f * 3.1415f / 180.0f));
}

TEST(Collision, DistancesOverlapsAndSweeps)
{
	// A 10 by 4 rectangle and a segment from (0, 0) to (10, 0).
	KEVec2 o = V(0, 0), b = V(10, 0), n = V(9, 9);
	const struct { KEVec2 p; float rect, seg; } dists[] = {
		{{0, 0}, -2, 0}, {{8, 6}, 5, 6}, {{13, 4}, 8.246211f, 5}};   // beyond an end: to that end
	for (const auto& d : dists)
	{
		EXPECT_FLOAT_EQ(KECalcDistPointToRect(&d.p, &o, 10, 4), d.rect) << d.p.x << "," << d.p.y;
		EXPECT_FLOAT_EQ(KECalcDistPointToLineSeg(&d.p, &o, &b), d.seg) << d.p.x << "," << d.p.y;
	}
	KEVec2 after = V(13, 4), s0 = V(0.1f, 0.3f), s1 = V(7.7f, 23.1f), mid = V(3.9f, 11.7f);
	EXPECT_FLOAT_EQ(KECalcDistPointToLineSeg(&after, &b, &b), 5.0f);   // degenerate: its start
	EXPECT_NEAR(KECalcDistPointToLineSeg(&mid, &s0, &s1), 0.0f, 1e-3f);   // rounding never gives NaN

	// Touching: 0, normal untouched. Overlapping on each side: the shallower push-out and the
	// normal pointing from the second box back to the first.
	KEVec2 touching = V(4, 0);
	EXPECT_FLOAT_EQ(KECalcDistRectToRect(&o, 4, 4, &touching, 4, 4, &n), 0.0f);
	ExpectV(n, 9, 9, 0);
	const struct { KEVec2 at; float dist, nx, ny; } sides[] = {
		{{3, 1}, -1, -1, 0}, {{-3, 1}, -1, 1, 0}, {{1, 2.5f}, -0.5f, 0, -1}, {{1, -2.5f}, -0.5f, 0, 1}};
	for (const auto& side : sides)
	{
		EXPECT_FLOAT_EQ(KECalcDistRectToRect(&o, 4, 4, &side.at, 4, 2, &n), side.dist) << side.at.x << "," << side.at.y;
		ExpectV(n, side.nx, side.ny, 0);
	}

	// Boundaries count, except circle against rectangle, which is strict; heights decide vertically.
	KEVec2 edge = V(3, 4), touch = V(6, 0), up25 = V(0, 2.5f), up15 = V(0, 1.5f);
	EXPECT_TRUE(KETestPointToCircle(&edge, &o, 5.0f) && KETestPointToRect(&touch, &o, 12, 4));
	EXPECT_TRUE(KETestCircleToCircle(&o, 2.0f, &touch, 4.0f));
	for (KEVec2 side : {V(-6, 0), V(0, 2), V(0, -2)})   // every side of the rectangle
		EXPECT_TRUE(KETestPointToRect(&side, &o, 12, 4)) << side.x << "," << side.y;
	EXPECT_FALSE(KETestCircleToRect(&touch, 1.0f, &o, 10, 4));
	EXPECT_TRUE(!KETestRectToRect(&o, 4, 2, &up25, 4, 2) && KETestRectToRect(&o, 4, 2, &up15, 4, 2));

	// Horizontal wall at y = 5 from x = 0 to 10; its normal (0, 1) points up.
	KEVec2 w0 = V(10, 5), w1 = V(0, 5), s = V(2, 9), e = V(6, 1), hit, refl;
	KELineSeg wall;
	KEBuildLineSegment(&wall, &w0, &w1);
	EXPECT_FLOAT_EQ(KEReflectAnimatedPointOnStaticLineSegment(&s, &e, &wall, &hit, &refl), 0.5f);
	ExpectV(hit, 4, 5);
	ExpectV(refl, 2, 4);   // (2, -4) mirrored
	// A circle of radius 1 touches when its centre is one radius off the line, from below too.
	KEVec2 top = V(4, 10), bottom = V(4, 0);
	EXPECT_FLOAT_EQ(KEAnimatedCircleToStaticLineSegment(&bottom, &top, 1.0f, &wall, &hit), 0.4f);
	ExpectV(hit, 4, 4);
	// Against a circle: head-on contact reflects straight back.
	KEVec2 c = V(10, 0), p0 = V(0, 0), p1 = V(20, 0), away = V(-10, 0);
	EXPECT_FLOAT_EQ(KEReflectAnimatedCircleOnStaticCircle(&p0, &p1, 1.0f, &c, 1.0f, &hit, &refl), 0.4f);
	ExpectV(hit, 8, 0);
	ExpectV(refl, -8, 0);
	// Moving away from a circle it is outside of: the time found is negative and nothing is reflected.
	refl = V(7, 7);
	EXPECT_FLOAT_EQ(KEReflectAnimatedPointOnStaticCircle(&p0, &away, &c, 2.0f, &hit, &refl), -1.2f);
	ExpectV(hit, 12, 0);
	ExpectV(refl, 7, 7, 0);
	KEVec2 shortOf = V(5, 0);   // a move that ends before the circle meets nothing
	EXPECT_EQ(KEAnimatedPointToStaticCircle(&p0, &shortOf, &c, 1.0f, &hit), -1.0f);
}

TEST(Math4, VectorsMatricesAndCameras)
{
	Vector4 a(1, 2, 3, 4), b(1, 1, 1, 100), axis(0, 0, 5, 0);
	EXPECT_EQ(a.Dot(b), 6.0f);         // w does not take part
	EXPECT_EQ(a.LengthSq(), 30.0f);    // but counts in the length
	EXPECT_TRUE(Vector4(1, 2, 3, 4) == Vector4(1, 2, 3, 4.000001f));   // within 1e-5 per component
	EXPECT_EQ((-Point4()).w, -1.0f);   // defaults to w = 1; unary minus negates w too

	Matrix4 t = Matrix4Translate(1, 2, 3), id;
	id.Identity();
	EXPECT_EQ(t * Point4(1, 1, 1, 1), Point4(2, 3, 4, 1));   // column vectors: points move, vectors do not
	EXPECT_EQ(t * Vector4(1, 1, 1, 0), Vector4(1, 1, 1, 0));
	EXPECT_EQ(Matrix4RotAxis(axis, 0.4f), Matrix4RotZ(0.4f));
	// A quarter turn about each axis turns the next axis into the one after it.
	EXPECT_EQ(Matrix4RotX(1.5707964f) * Vector4(0, 1, 0, 0), Vector4(0, 0, 1, 0));
	EXPECT_EQ(Matrix4RotY(1.5707964f) * Vector4(0, 0, 1, 0), Vector4(1, 0, 0, 0));
	EXPECT_EQ(Matrix4RotZ(1.5707964f) * Vector4(1, 0, 0, 0), Vector4(0, 1, 0, 0));
	EXPECT_EQ(Matrix4Determinant(Matrix4(1, 2, 3, 4, 5, 6, 7, 8, 2, 6, 4, 8, 3, 1, 1, 2)), 72.0f);
	EXPECT_EQ(axis, Vector4(0, 0, 1, 0));   // normalised in place
	Matrix4 affine = Matrix4Translate(4, -2, 7) * Matrix4RotAxis(axis, 0.8f) * Matrix4Scale(2, 2, 2);
	EXPECT_EQ(affine * Matrix4AffineInverse(affine), id);

	// Looking down -x from (10, 0, 0): the camera's right is world -z.
	Matrix4 side = Matrix4LookAt(Point4(10, 0, 0, 1), Point4(0, 0, 0, 1), Vector4(0, 1, 0, 0));
	EXPECT_EQ(side * Vector4(0, 0, 1, 0), Vector4(-1, 0, 0, 0));
	// Ortho maps the far corner of the view volume onto the clip cube.
	EXPECT_EQ(Matrix4Ortho(4, 2, 1, 101) * Point4(-2, 1, -101, 1), Point4(-1, 1, 1, 1));
}
