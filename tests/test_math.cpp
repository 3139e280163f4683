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

// Exact unless a tolerance is given.
void ExpectMtx(const KEMtx33& want, const KEMtx33& got, float tol = 0.0f)
{
	for (int r = 0; r < 3; ++r)
		for (int c = 0; c < 3; ++c)
			EXPECT_NEAR(want.m[r][c], got.m[r][c], tol) << "element " << r << "," << c;
}

KEVec2 V(float x, float y) { return KEVec2{x, y}; }
}

TEST(ScalarMath, WrapClampPowersAndTrig)
{
	EXPECT_EQ(KEWrap(-30.0f, 0.0f, 360.0f), 330.0f);
	EXPECT_EQ(KEWrap(750.0f, 0.0f, 360.0f), 390.0f);   // one wrap only
	EXPECT_EQ(KEWrap(360.0f, 0.0f, 360.0f), 360.0f);   // bounds are inside
	EXPECT_EQ(KEClamp(5.0f, 10.0f, 0.0f), 10.0f);      // lower bound checked first
	EXPECT_EQ(KEClamp(2.0f, 0.0f, 1.0f), 1.0f);
	EXPECT_FALSE(KEInRange(1.5f, 2.0f, 1.0f));
	EXPECT_TRUE(KEInRange(1.0f, 1.0f, 2.0f) && KEInRange(2.0f, 1.0f, 2.0f));   // both ends inside
	EXPECT_FALSE(KEInRange(2.0001f, 1.0f, 2.0f) || KEInRange(0.9999f, 1.0f, 2.0f));

	EXPECT_EQ(KENextPowOf2(8u), 16u);   // strictly above
	EXPECT_EQ(KENextPowOf2(0u), 1u);
	EXPECT_EQ(KENextPowOf2(5u), 8u);
	EXPECT_EQ(KENextPowOf2(0x80000000u), 0u);
	EXPECT_EQ(KEIsPowOf2(0u), 0u);
	EXPECT_EQ(KEIsPowOf2(96u), 0u);
	EXPECT_EQ(KELogBase2(1u), 0u);
	EXPECT_EQ(KELogBase2(1023u), 9u);
	EXPECT_EQ(KELogBase2(1024u), 10u);
	EXPECT_EQ(KELogBase2(0xFFFFFFFFu), 31u);

	// Computed in double and rounded once to float.
	EXPECT_EQ(KECos(2.5f), (float)std::cos((double)2.5f));
}

TEST(Vec2, ArithmeticProjectionAndAliasing)
{
	KEVec2 a = V(3, 4), b = V(1, -2), r;
	KEVec2Lerp(&r, &a, &b, 0.25f);
	EXPECT_FLOAT_EQ(r.x, 2.5f); EXPECT_FLOAT_EQ(r.y, 2.5f);
	EXPECT_EQ(KEVec2DotProduct(&a, &b), -5.0f);
	EXPECT_EQ(KEVec2CrossProductMag(&a, &b), -10.0f);

	// Results may alias an input.
	KEVec2 c = a;
	KEVec2Sub(&c, &c, &b);
	EXPECT_EQ(c.x, 2.0f); EXPECT_EQ(c.y, 6.0f);
	c = a;
	KEVec2Normalize(&c, &c);
	EXPECT_FLOAT_EQ(c.x, 0.6f); EXPECT_FLOAT_EQ(c.y, 0.8f);
	KEVec2 axis = V(10, 0);
	c = a;
	KEVec2ProjectPerp(&c, &c, &axis);
	EXPECT_FLOAT_EQ(c.x, 0.0f); EXPECT_FLOAT_EQ(c.y, 4.0f);

	// No guard against a zero vector: the caller must avoid it.
	KEVec2 zero = V(0, 0);
	KEVec2Normalize(&r, &zero);
	EXPECT_FALSE(std::isfinite(r.x));
}

TEST(Mtx33, InverseRefusesNearSingularAndLeavesResult)
{
	const KEMtx33 old = Mtx(1, 2, 3, 4, 5, 6, 7, 8, 10);
	KEMtx33 tiny, r = old;
	KEMtx33Scale(&tiny, 0.001f, 0.001f);   // det 1e-6, det^2 below 1e-10
	EXPECT_EQ(KEMtx33Inverse(&r, &tiny), 0.0f);
	ExpectMtx(old, r);
	// InvTranspose then only transposes whatever the result held.
	KEMtx33InvTranspose(&r, &tiny);
	ExpectMtx(Mtx(1, 4, 7, 2, 5, 8, 3, 6, 10), r);

	// Just above the threshold still inverts: det 2e-5.
	KEMtx33 small;
	KEMtx33Scale(&small, 0.002f, 0.01f);
	EXPECT_FLOAT_EQ(KEMtx33Inverse(&r, &small), 2e-5f);

	// A general affine matrix, inverted into another matrix and in place.
	const KEMtx33 m = Mtx(2, -1, 5, 1, 3, -7, 0, 0, 1);
	KEMtx33 inv, product, id;
	EXPECT_FLOAT_EQ(KEMtx33Inverse(&inv, &m), 7.0f);
	KEMtx33Concat(&product, &m, &inv);
	KEMtx33Identity(&id);
	ExpectMtx(id, product, 1e-5f);
	r = m;
	KEMtx33Inverse(&r, &r);
	ExpectMtx(inv, r);

	// A mirror (negative determinant) inverts like any other matrix.
	const KEMtx33 mirror = Mtx(-2, 0, 3, 0, 1, 0, 0, 0, 1);
	EXPECT_FLOAT_EQ(KEMtx33Inverse(&inv, &mirror), -2.0f);
	KEMtx33Concat(&product, &mirror, &inv);
	ExpectMtx(id, product, 1e-6f);
}

TEST(Mtx33, ConcatAliasingAndOrder)
{
	const KEMtx33 a = Mtx(1, 2, 3, 4, 5, 6, 7, 8, 9);
	const KEMtx33 b = Mtx(9, 8, 7, 6, 5, 4, 3, 2, 1);
	const KEMtx33 ab = Mtx(30, 24, 18, 84, 69, 54, 138, 114, 90);
	KEMtx33 r0 = a, r1 = b, sq = a;
	KEMtx33Concat(&r0, &r0, &b);
	KEMtx33Concat(&r1, &a, &r1);
	KEMtx33Concat(&sq, &sq, &sq);
	ExpectMtx(ab, r0);
	ExpectMtx(ab, r1);
	ExpectMtx(Mtx(30, 36, 42, 66, 81, 96, 102, 126, 150), sq);

	// translation x scale x rotation: rotate, then scale, then move.
	KEMtx33 s, rot, t, world;
	KEMtx33Scale(&s, 2.0f, 3.0f);
	KEMtx33Rot(&rot, 1.5707964f);
	KEMtx33Trans(&t, 10.0f, 20.0f);
	KEMtx33Concat(&world, &s, &rot);
	KEMtx33Concat(&world, &t, &world);
	KEVec2 p = V(1, 0), out;
	KEMtx33MultVec(&out, &world, &p);
	EXPECT_NEAR(out.x, 10.0f, 1e-5f); EXPECT_NEAR(out.y, 23.0f, 1e-5f);
	KEMtx33MultVecSR(&out, &world, &p);
	EXPECT_NEAR(out.x, 0.0f, 1e-5f); EXPECT_NEAR(out.y, 3.0f, 1e-5f);
}

TEST(Mtx33, RotationUsesTheEngineApproximationOfPi)
{
	KEMtx33 r;
	KEMtx33RotDeg(&r, 180.0f);
	const double angle = 180.0f * 3.1415f / 180.0f;
	EXPECT_EQ(r.m[0][0], (float)std::cos(angle));
	EXPECT_EQ(r.m[1][0], (float)std::sin(angle));
	EXPECT_GT(r.m[1][0], 9e-5f);   // sin(pi - 3.1415) is about 9.27e-5
	EXPECT_EQ(r.m[0][1], -r.m[1][0]);
}

TEST(Mtx33, BuildersRowsAndColumns)
{
	const KEMtx33 m = Mtx(1, 2, 3, 4, 5, 6, 7, 8, 9);
	KEMtx33 r;
	KEMtx33TransApply(&r, &m, 10.0f, 20.0f);
	ExpectMtx(Mtx(1, 2, 13, 4, 5, 26, 7, 8, 9), r);

	KEVec2 v = V(-1, -2);
	r = m;
	KEMtx33SetCol(&r, 2, &v);
	ExpectMtx(Mtx(1, 2, -1, 4, 5, -2, 7, 8, 1), r);
	KEMtx33SetRow(&r, 2, &v);
	KEMtx33SetRow(&r, 3, &v);   // out of range: ignored
	ExpectMtx(Mtx(1, 2, -1, 4, 5, -2, -1, -2, 1), r);

	KEMtx33 d = Mtx(2, 0, 1, 1, 3, 0, 0, 1, 4);
	EXPECT_EQ(KEMtx33Determinant(&d), 25.0f);

	KEVec2 in[3] = {{1, 0}, {0, 1}, {2, 2}};
	KEMtx33MultVecArray(in, &m, in, 3);   // in place
	EXPECT_EQ(in[1].x, 5.0f); EXPECT_EQ(in[1].y, 11.0f);
	EXPECT_EQ(in[2].x, 9.0f); EXPECT_EQ(in[2].y, 24.0f);
}

TEST(Collision, DistancesAndOverlaps)
{
	// 10 by 4 rectangle at the origin.
	KEVec2 o = V(0, 0), side = V(8, 0), corner = V(8, 6);
	EXPECT_FLOAT_EQ(KECalcDistPointToRect(&o, &o, 10, 4), -2.0f);
	EXPECT_FLOAT_EQ(KECalcDistPointToRect(&side, &o, 10, 4), 3.0f);
	EXPECT_FLOAT_EQ(KECalcDistPointToRect(&corner, &o, 10, 4), 5.0f);   // (3, 4) from the corner
	EXPECT_FLOAT_EQ(KECalcDistCircleToRect(&side, 1.0f, &o, 10, 4), 2.0f);

	// Segments: beyond either end the distance is to that end; degenerate is its start.
	KEVec2 b = V(10, 0), above = V(4, 3), before = V(-3, 4), after = V(13, 4);
	EXPECT_FLOAT_EQ(KECalcDistPointToLineSeg(&above, &o, &b), 3.0f);
	EXPECT_FLOAT_EQ(KECalcDistPointToLineSeg(&before, &o, &b), 5.0f);
	EXPECT_FLOAT_EQ(KECalcDistPointToLineSeg(&after, &o, &b), 5.0f);
	EXPECT_FLOAT_EQ(KECalcDistPointToLineSeg(&after, &b, &b), 5.0f);
	// Rounding may make |v|^2 - t^2 slightly negative: never NaN.
	KEVec2 s0 = V(0.1f, 0.3f), s1 = V(7.7f, 23.1f), mid = V(3.9f, 11.7f);
	EXPECT_NEAR(KECalcDistPointToLineSeg(&mid, &s0, &s1), 0.0f, 1e-3f);

	// Overlap 1 on x and 2 on y: x is the shallower push-out.
	KEVec2 r1 = V(3, 1), n = V(9, 9), far = V(20, 0), touching = V(4, 0);
	EXPECT_FLOAT_EQ(KECalcDistRectToRect(&o, 4, 4, &r1, 4, 2, &n), -1.0f);
	EXPECT_EQ(n.x, -1.0f); EXPECT_EQ(n.y, 0.0f);
	// Separated (or just touching) rectangles give 0, not their gap; normal untouched.
	n = V(9, 9);
	EXPECT_EQ(KECalcDistRectToRect(&o, 4, 4, &far, 4, 4, &n), 0.0f);
	EXPECT_EQ(KECalcDistRectToRect(&o, 4, 4, &touching, 4, 4, &n), 0.0f);
	EXPECT_EQ(n.x, 9.0f);

	// Boundaries count, except circle against rectangle, which is strict.
	KEVec2 edge = V(3, 4), out = V(3, 4.01f), rectEdge = V(5, -2), touch = V(6, 0), inside = V(5.5f, 0);
	EXPECT_TRUE(KETestPointToCircle(&edge, &o, 5.0f));
	EXPECT_FALSE(KETestPointToCircle(&out, &o, 5.0f));
	EXPECT_TRUE(KETestPointToRect(&rectEdge, &o, 10, 4));
	EXPECT_FALSE(KETestCircleToRect(&touch, 1.0f, &o, 10, 4));
	EXPECT_TRUE(KETestCircleToRect(&inside, 1.0f, &o, 10, 4));
	// Heights decide the vertical test.
	KEVec2 up25 = V(0, 2.5f), up15 = V(0, 1.5f);
	EXPECT_FALSE(KETestRectToRect(&o, 4, 2, &up25, 4, 2));
	EXPECT_TRUE(KETestRectToRect(&o, 4, 2, &up15, 4, 2));
}

TEST(Collision, SweepsAgainstSegmentsAndCircles)
{
	// Horizontal wall at y = 5 from x = 0 to 10; its normal (0, 1) points up.
	KEVec2 w0 = V(10, 5), w1 = V(0, 5);
	KELineSeg wall;
	KEBuildLineSegment(&wall, &w0, &w1);

	KEVec2 s = V(2, 9), e = V(6, 1), hit = V(-1, -1), refl = V(-1, -1);
	EXPECT_FLOAT_EQ(KEReflectAnimatedPointOnStaticLineSegment(&s, &e, &wall, &hit, &refl), 0.5f);
	EXPECT_FLOAT_EQ(hit.x, 4.0f); EXPECT_FLOAT_EQ(hit.y, 5.0f);
	EXPECT_FLOAT_EQ(refl.x, 2.0f); EXPECT_FLOAT_EQ(refl.y, 4.0f);   // (2, -4) mirrored

	// Moving parallel, staying on one side or passing beside the segment: no contact.
	KEVec2 par0 = V(-5, 5), par1 = V(15, 5), e2 = V(6, 6), s3 = V(12, 9), wide = V(14, 1);
	hit = V(-1, -1);
	EXPECT_EQ(KEAnimatedPointToStaticLineSegment(&par0, &par1, &wall, &hit), -1.0f);
	EXPECT_EQ(KEAnimatedPointToStaticLineSegment(&s, &e2, &wall, &hit), -1.0f);
	EXPECT_EQ(KEAnimatedPointToStaticLineSegment(&s3, &wide, &wall, &hit), -1.0f);
	EXPECT_EQ(hit.x, -1.0f);

	// A circle of radius 1 touches when its centre is one radius off the line, on either side.
	KEVec2 top = V(4, 10), bottom = V(4, 0), short0 = V(4, 6.5f);
	EXPECT_FLOAT_EQ(KEAnimatedCircleToStaticLineSegment(&top, &bottom, 1.0f, &wall, &hit), 0.4f);
	EXPECT_FLOAT_EQ(hit.y, 6.0f);
	EXPECT_FLOAT_EQ(KEAnimatedCircleToStaticLineSegment(&bottom, &top, 1.0f, &wall, &hit), 0.4f);
	EXPECT_FLOAT_EQ(hit.y, 4.0f);
	EXPECT_EQ(KEAnimatedCircleToStaticLineSegment(&top, &short0, 1.0f, &wall, &hit), -1.0f);

	// Against a circle: head-on contact reflects straight back; stopping short misses.
	KEVec2 c = V(10, 0), p0 = V(0, 0), p1 = V(20, 0), shortEnd = V(5, 0);
	EXPECT_FLOAT_EQ(KEReflectAnimatedCircleOnStaticCircle(&p0, &p1, 1.0f, &c, 1.0f, &hit, &refl), 0.4f);
	EXPECT_FLOAT_EQ(hit.x, 8.0f);
	EXPECT_FLOAT_EQ(refl.x, -8.0f); EXPECT_NEAR(refl.y, 0.0f, 1e-5f);
	EXPECT_EQ(KEAnimatedPointToStaticCircle(&p0, &shortEnd, &c, 2.0f, &hit), -1.0f);
	// Moving away from a circle it is outside of: the time found lies before the start
	// (negative), so nothing is reflected.
	KEVec2 away = V(-10, 0);
	refl = V(7, 7);
	EXPECT_FLOAT_EQ(KEReflectAnimatedPointOnStaticCircle(&p0, &away, &c, 2.0f, &hit, &refl), -1.2f);
	EXPECT_FLOAT_EQ(hit.x, 12.0f);
	EXPECT_EQ(refl.x, 7.0f);
	KEVec2 aside = V(0, 10);   // passing wide of it
	EXPECT_EQ(KEAnimatedPointToStaticCircle(&p0, &aside, &c, 2.0f, &hit), -1.0f);
}

TEST(Math4, VectorsAndPoints)
{
	Vector4 a(1, 2, 3, 4), b(1, 1, 1, 100);
	EXPECT_EQ(a.Dot(b), 6.0f);   // w does not take part
	EXPECT_EQ(a.LengthSq(), 30.0f);   // but counts in the length

	Vector4 zero(0, 0, 0, 0), v(3, 0, 0, 4);
	zero.Normalize();
	EXPECT_EQ(zero.x, 0.0f); EXPECT_EQ(zero.w, 0.0f);
	v.Normalize();
	EXPECT_FLOAT_EQ(v.x, 0.6f); EXPECT_EQ(v.y, 0.0f); EXPECT_FLOAT_EQ(v.w, 0.8f);

	// Equality is within 1e-5 per component.
	EXPECT_TRUE(Vector4(1, 2, 3, 4) == Vector4(1, 2, 3, 4.000001f));
	EXPECT_TRUE(Vector4(1, 2, 3, 4) != Vector4(1, 2, 3.0001f, 4));

	Point4 p;
	EXPECT_EQ((-p).w, -1.0f);   // defaults to w = 1; unary minus negates w too
}

TEST(Math4, MatrixProductsBuildersAndInverse)
{
	Matrix4 a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16), id;
	id.Identity();
	Matrix4 t = Matrix4Translate(1, 2, 3);
	EXPECT_EQ((a * t).m[0][3], 1 * 1 + 2 * 2 + 3 * 3 + 4.0f);
	EXPECT_EQ(Matrix4Transpose(a).m[0][3], 13.0f);

	// Column vectors: a point picks up the translation, a vector does not.
	EXPECT_EQ(t * Point4(1, 1, 1, 1), Point4(2, 3, 4, 1));
	EXPECT_EQ(t * Vector4(1, 1, 1, 0), Vector4(1, 1, 1, 0));

	const float q = 1.5707964f;
	EXPECT_EQ(Matrix4RotZ(q) * Vector4(1, 0, 0, 0), Vector4(0, 1, 0, 0));
	EXPECT_EQ(Matrix4RotY(q) * Vector4(0, 0, 1, 0), Vector4(1, 0, 0, 0));
	Vector4 axis(0, 0, 5, 0), none(0, 0, 0, 0);
	EXPECT_EQ(Matrix4RotAxis(axis, 0.4f), Matrix4RotZ(0.4f));
	EXPECT_EQ(axis, Vector4(0, 0, 1, 0));   // normalised in place
	EXPECT_EQ(Matrix4RotAxis(none, 1.0f), id);

	Matrix4 m(2, 0, 1, 3, 1, 3, 0, 0, 0, 1, 4, 1, 1, 0, 0, 2);
	EXPECT_FLOAT_EQ(Matrix4Determinant(m), 17.0f);
	Matrix4 affine = Matrix4Translate(4, -2, 7) * Matrix4RotAxis(axis, 0.8f) * Matrix4Scale(2, 2, 2);
	EXPECT_EQ(affine * Matrix4AffineInverse(affine), id);
}

TEST(Math4, CameraMatrices)
{
	Matrix4 view = Matrix4LookAt(Point4(5, 7, 60, 1), Point4(5, 7, 0, 1), Vector4(0, 1, 0, 0));
	EXPECT_EQ(view, Matrix4Translate(-5, -7, -60));
	// Looking down -x from (10, 0, 0): the camera's right is world -z.
	Matrix4 side = Matrix4LookAt(Point4(10, 0, 0, 1), Point4(0, 0, 0, 1), Vector4(0, 1, 0, 0));
	EXPECT_EQ(side * Point4(0, 0, 0, 1), Point4(0, 0, -10, 1));
	EXPECT_EQ(side * Vector4(0, 0, 1, 0), Vector4(-1, 0, 0, 0));

	Matrix4 ortho = Matrix4Ortho(800, 600, -1, 1);
	EXPECT_EQ(ortho, Matrix4(2.0f / 800, 0, 0, 0, 0, 2.0f / 600, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1));
	EXPECT_EQ(ortho * Point4(400, -300, 0, 1), Point4(1, -1, 0, 1));
	Matrix4 depth = Matrix4Ortho(2, 2, 1, 101);
	EXPECT_FLOAT_EQ(depth.m[2][2], -0.02f);
	EXPECT_FLOAT_EQ(depth.m[2][3], -1.02f);

	Matrix4 persp = Matrix4Perspective(90, 2, 1, 3);
	float f = 1.0f / std::tan(90.0f / 360.0f * 3.1415925f);
	EXPECT_FLOAT_EQ(persp.m[0][0], f / 2); EXPECT_FLOAT_EQ(persp.m[1][1], f);
	EXPECT_FLOAT_EQ(persp.m[2][2], -2.0f); EXPECT_FLOAT_EQ(persp.m[2][3], -3.0f);
	EXPECT_EQ(persp.m[3][2], -1.0f); EXPECT_EQ(persp.m[3][3], 0.0f);
}
