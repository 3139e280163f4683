// Scalar helpers, KEVec2 and KEMtx33.
#include <gtest/gtest.h>

#include <cmath>

#include "KEMath.h"
#include "KEMtx33.h"
#include "KEVec2.h"

namespace
{
KEMtx33 Mtx(float a, float b, float c, float d, float e, float f, float g, float h, float i)
{
	return KEMtx33{{{a, b, c}, {d, e, f}, {g, h, i}}};
}

void ExpectMtxEq(const KEMtx33& want, const KEMtx33& got, float tol = 1e-5f)
{
	for (int r = 0; r < 3; ++r)
		for (int c = 0; c < 3; ++c)
			EXPECT_NEAR(want.m[r][c], got.m[r][c], tol) << "element " << r << "," << c;
}

void ExpectMtxExact(const KEMtx33& want, const KEMtx33& got)
{
	for (int r = 0; r < 3; ++r)
		for (int c = 0; c < 3; ++c)
			EXPECT_EQ(want.m[r][c], got.m[r][c]) << "element " << r << "," << c;
}
}

TEST(ScalarMath, ClampWrapMinMaxRange)
{
	EXPECT_EQ(KEWrap(-30.0f, 0.0f, 360.0f), 330.0f);
	EXPECT_EQ(KEWrap(750.0f, 0.0f, 360.0f), 390.0f);   // one wrap only
	EXPECT_EQ(KEWrap(360.0f, 0.0f, 360.0f), 360.0f);   // bounds are inside
	EXPECT_EQ(KEWrap(0.0f, 0.0f, 360.0f), 0.0f);

	EXPECT_EQ(KEClamp(5.0f, 10.0f, 0.0f), 10.0f);      // lower bound checked first
	EXPECT_EQ(KEClamp(-1.0f, 0.0f, 1.0f), 0.0f);
	EXPECT_EQ(KEClamp(2.0f, 0.0f, 1.0f), 1.0f);
	EXPECT_EQ(KEClamp(0.5f, 0.0f, 1.0f), 0.5f);

	EXPECT_EQ(KEMin(1.0f, 2.0f), 1.0f);
	EXPECT_EQ(KEMin(2.0f, 1.0f), 1.0f);
	EXPECT_EQ(KEMax(1.0f, 2.0f), 2.0f);
	EXPECT_EQ(KEMax(2.0f, 1.0f), 2.0f);

	EXPECT_TRUE(KEInRange(1.0f, 1.0f, 2.0f));
	EXPECT_TRUE(KEInRange(2.0f, 1.0f, 2.0f));
	EXPECT_FALSE(KEInRange(2.5f, 1.0f, 2.0f));
	EXPECT_FALSE(KEInRange(1.5f, 2.0f, 1.0f));
}

TEST(ScalarMath, PowersOfTwo)
{
	EXPECT_EQ(KENextPowOf2(8u), 16u);   // no initial decrement
	EXPECT_EQ(KENextPowOf2(0u), 1u);
	EXPECT_EQ(KENextPowOf2(5u), 8u);
	EXPECT_EQ(KENextPowOf2(1u), 2u);
	EXPECT_EQ(KENextPowOf2(0x7FFFFFFFu), 0x80000000u);
	EXPECT_EQ(KENextPowOf2(0x80000000u), 0u);

	EXPECT_EQ(KEIsPowOf2(0u), 0u);
	EXPECT_EQ(KEIsPowOf2(1u), 1u);
	EXPECT_EQ(KEIsPowOf2(64u), 1u);
	EXPECT_EQ(KEIsPowOf2(96u), 0u);
	EXPECT_EQ(KEIsPowOf2(0x80000000u), 1u);

	EXPECT_EQ(KELogBase2(0u), 0u);
	EXPECT_EQ(KELogBase2(1u), 0u);
	EXPECT_EQ(KELogBase2(2u), 1u);
	EXPECT_EQ(KELogBase2(1023u), 9u);
	EXPECT_EQ(KELogBase2(1024u), 10u);
	EXPECT_EQ(KELogBase2(0xFFFFFFFFu), 31u);
}

TEST(ScalarMath, AnglesAndTrig)
{
	EXPECT_FLOAT_EQ(KEDegToRad(180.0f), 180.0f * 0.017453292f);
	EXPECT_FLOAT_EQ(KERadToDeg(1.0f), 57.295784f);
	// Computed in double and rounded once to float.
	EXPECT_EQ(KESin(1.0f), (float)std::sin(1.0));
	EXPECT_EQ(KECos(2.5f), (float)std::cos((double)2.5f));
	EXPECT_EQ(KETan(0.3f), (float)std::tan((double)0.3f));
	EXPECT_EQ(KEASin(0.5f), (float)std::asin(0.5));
	EXPECT_EQ(KEACos(-0.25f), (float)std::acos(-0.25));
	EXPECT_EQ(KEATan(3.0f), (float)std::atan(3.0));
}

TEST(Vec2, ArithmeticAndAliasing)
{
	KEVec2 a = {3.0f, 4.0f}, b = {1.0f, -2.0f}, r;

	KEVec2Add(&r, &a, &b);
	EXPECT_EQ(r.x, 4.0f); EXPECT_EQ(r.y, 2.0f);
	KEVec2Sub(&r, &a, &b);
	EXPECT_EQ(r.x, 2.0f); EXPECT_EQ(r.y, 6.0f);
	KEVec2ScaleAdd(&r, &a, &b, 2.0f);
	EXPECT_EQ(r.x, 7.0f); EXPECT_EQ(r.y, 6.0f);
	KEVec2ScaleSub(&r, &a, &b, 2.0f);
	EXPECT_EQ(r.x, 5.0f); EXPECT_EQ(r.y, 10.0f);
	KEVec2Lerp(&r, &a, &b, 0.25f);
	EXPECT_FLOAT_EQ(r.x, 2.5f); EXPECT_FLOAT_EQ(r.y, 2.5f);

	EXPECT_EQ(KEVec2Length(&a), 5.0f);
	EXPECT_EQ(KEVec2SquareLength(&a), 25.0f);
	EXPECT_EQ(KEVec2SquareDistance(&a, &b), 40.0f);
	EXPECT_FLOAT_EQ(KEVec2Distance(&a, &b), std::sqrt(40.0f));
	EXPECT_EQ(KEVec2DotProduct(&a, &b), -5.0f);
	EXPECT_EQ(KEVec2CrossProductMag(&a, &b), -10.0f);
	EXPECT_EQ(KEVec2Test(2u, 3u), 5u);

	// Result aliasing an input.
	KEVec2 c = a;
	KEVec2Sub(&c, &c, &b);
	EXPECT_EQ(c.x, 2.0f); EXPECT_EQ(c.y, 6.0f);
	c = a;
	KEVec2Normalize(&c, &c);
	EXPECT_FLOAT_EQ(c.x, 0.6f); EXPECT_FLOAT_EQ(c.y, 0.8f);

	// No guard against a zero vector: the caller must avoid it.
	KEVec2 zero = {0.0f, 0.0f};
	KEVec2Normalize(&r, &zero);
	EXPECT_FALSE(std::isfinite(r.x));
}

TEST(Vec2, ProjectionAndAngle)
{
	KEVec2 v = {3.0f, 4.0f}, axis = {10.0f, 0.0f}, r;
	KEVec2Project(&r, &v, &axis);
	EXPECT_FLOAT_EQ(r.x, 3.0f); EXPECT_FLOAT_EQ(r.y, 0.0f);
	KEVec2ProjectPerp(&r, &v, &axis);
	EXPECT_FLOAT_EQ(r.x, 0.0f); EXPECT_FLOAT_EQ(r.y, 4.0f);
	KEVec2ProjectPerp(&v, &v, &axis);   // aliased
	EXPECT_FLOAT_EQ(v.x, 0.0f); EXPECT_FLOAT_EQ(v.y, 4.0f);

	KEVec2FromAngle(&r, 0.5f);
	EXPECT_EQ(r.x, (float)std::cos(0.5)); EXPECT_EQ(r.y, (float)std::sin(0.5));
}

TEST(Mtx33, InverseRefusesNearSingularAndLeavesResult)
{
	const KEMtx33 old = Mtx(1, 2, 3, 4, 5, 6, 7, 8, 10);
	KEMtx33 tiny;
	KEMtx33Scale(&tiny, 0.001f, 0.001f);   // det 1e-6, det^2 below 1e-10

	KEMtx33 r = old;
	EXPECT_EQ(KEMtx33Inverse(&r, &tiny), 0.0f);
	ExpectMtxExact(old, r);

	// InvTranspose then only transposes whatever the result held.
	r = old;
	KEMtx33InvTranspose(&r, &tiny);
	ExpectMtxExact(Mtx(1, 4, 7, 2, 5, 8, 3, 6, 10), r);

	// Just above the threshold still inverts: det 2e-5.
	KEMtx33 small;
	KEMtx33Scale(&small, 0.002f, 0.01f);
	EXPECT_FLOAT_EQ(KEMtx33Inverse(&r, &small), 2e-5f);
	EXPECT_NEAR(r.m[0][0], 500.0f, 1e-2f);
	EXPECT_NEAR(r.m[1][1], 100.0f, 1e-3f);

	// A singular matrix with large elements is refused as well.
	KEMtx33 singular = Mtx(1, 2, 3, 2, 4, 6, 0, 0, 1);
	r = old;
	EXPECT_EQ(KEMtx33Inverse(&r, &singular), 0.0f);
	ExpectMtxExact(old, r);
}

TEST(Mtx33, InverseOfGeneralAffineMatrix)
{
	KEMtx33 rot, scale, trans, m;
	KEMtx33Rot(&rot, 0.7f);
	KEMtx33Scale(&scale, 2.0f, 3.0f);
	KEMtx33Trans(&trans, 5.0f, -7.0f);
	KEMtx33Concat(&m, &scale, &rot);
	KEMtx33Concat(&m, &trans, &m);

	KEMtx33 inv, product, id;
	float det = KEMtx33Inverse(&inv, &m);
	EXPECT_FLOAT_EQ(det, KEMtx33Determinant(&m));
	EXPECT_NEAR(det, 6.0f, 1e-5f);
	KEMtx33Concat(&product, &m, &inv);
	KEMtx33Identity(&id);
	ExpectMtxEq(id, product);

	// In place.
	KEMtx33 copy = m;
	KEMtx33Inverse(&copy, &copy);
	ExpectMtxExact(inv, copy);

	// InvTranspose of an invertible matrix.
	KEMtx33 it, invT;
	KEMtx33InvTranspose(&it, &m);
	KEMtx33Transpose(&invT, &inv);
	ExpectMtxExact(invT, it);
}

TEST(Mtx33, ConcatAliasingAndOrder)
{
	const KEMtx33 a = Mtx(1, 2, 3, 4, 5, 6, 7, 8, 9);
	const KEMtx33 b = Mtx(9, 8, 7, 6, 5, 4, 3, 2, 1);
	KEMtx33 expected;
	KEMtx33Concat(&expected, &a, &b);
	ExpectMtxExact(Mtx(30, 24, 18, 84, 69, 54, 138, 114, 90), expected);

	KEMtx33 r = a;
	KEMtx33Concat(&r, &r, &b);
	ExpectMtxExact(expected, r);
	r = b;
	KEMtx33Concat(&r, &a, &r);
	ExpectMtxExact(expected, r);
	r = a;
	KEMtx33Concat(&r, &r, &r);
	ExpectMtxExact(Mtx(30, 36, 42, 66, 81, 96, 102, 126, 150), r);

	// translation x scale x rotation: rotate, then scale, then move.
	KEMtx33 s, rot, t, world;
	KEMtx33Scale(&s, 2.0f, 3.0f);
	KEMtx33Rot(&rot, 1.5707964f);
	KEMtx33Trans(&t, 10.0f, 20.0f);
	KEMtx33Concat(&world, &s, &rot);
	KEMtx33Concat(&world, &t, &world);
	KEVec2 p = {1.0f, 0.0f}, out;
	KEMtx33MultVec(&out, &world, &p);
	EXPECT_NEAR(out.x, 10.0f, 1e-5f);
	EXPECT_NEAR(out.y, 23.0f, 1e-5f);
	KEMtx33MultVecSR(&out, &world, &p);
	EXPECT_NEAR(out.x, 0.0f, 1e-5f);
	EXPECT_NEAR(out.y, 3.0f, 1e-5f);
}

TEST(Mtx33, RotationUsesTheEngineApproximationOfPi)
{
	KEMtx33 r;
	KEMtx33RotDeg(&r, 180.0f);
	const float angle = 180.0f * 3.1415f / 180.0f;
	EXPECT_EQ(r.m[0][0], (float)std::cos((double)angle));
	EXPECT_EQ(r.m[1][0], (float)std::sin((double)angle));
	EXPECT_NE(r.m[1][0], 0.0f);
	EXPECT_GT(r.m[1][0], 9e-5f);   // sin(pi - 3.1415) is about 9.27e-5
	EXPECT_EQ(r.m[0][1], -r.m[1][0]);
	EXPECT_EQ(r.m[2][2], 1.0f);

	KEMtx33Rot(&r, 0.25f);
	ExpectMtxExact(Mtx((float)std::cos(0.25), -(float)std::sin(0.25), 0,
	                   (float)std::sin(0.25), (float)std::cos(0.25), 0, 0, 0, 1), r);
}

TEST(Mtx33, BuildersRowsAndColumns)
{
	const KEMtx33 m = Mtx(1, 2, 3, 4, 5, 6, 7, 8, 9);
	KEMtx33 r;

	KEMtx33TransApply(&r, &m, 10.0f, 20.0f);
	ExpectMtxExact(Mtx(1, 2, 13, 4, 5, 26, 7, 8, 9), r);
	KEMtx33ScaleApply(&r, &m, 2.0f, 3.0f);
	ExpectMtxExact(Mtx(2, 4, 6, 12, 15, 18, 7, 8, 9), r);

	r = m;
	KEMtx33Transpose(&r, &r);
	ExpectMtxExact(Mtx(1, 4, 7, 2, 5, 8, 3, 6, 9), r);

	KEMtx33Orthogonalize(&r);   // does nothing
	ExpectMtxExact(Mtx(1, 4, 7, 2, 5, 8, 3, 6, 9), r);

	KEVec2 v = {-1.0f, -2.0f};
	r = m;
	KEMtx33SetCol(&r, 1, &v);
	ExpectMtxExact(Mtx(1, -1, 3, 4, -2, 6, 7, 0, 9), r);
	KEMtx33SetCol(&r, 2, &v);
	ExpectMtxExact(Mtx(1, -1, -1, 4, -2, -2, 7, 0, 1), r);
	r = m;
	KEMtx33SetRow(&r, 0, &v);
	ExpectMtxExact(Mtx(-1, -2, 0, 4, 5, 6, 7, 8, 9), r);
	KEMtx33SetRow(&r, 2, &v);
	ExpectMtxExact(Mtx(-1, -2, 0, 4, 5, 6, -1, -2, 1), r);
	KEMtx33SetRow(&r, 3, &v);   // out of range: ignored
	ExpectMtxExact(Mtx(-1, -2, 0, 4, 5, 6, -1, -2, 1), r);

	KEVec2 out;
	KEMtx33GetCol(&out, &m, 2);
	EXPECT_EQ(out.x, 3.0f); EXPECT_EQ(out.y, 6.0f);
	KEMtx33GetRow(&out, &m, 1);
	EXPECT_EQ(out.x, 4.0f); EXPECT_EQ(out.y, 5.0f);

	EXPECT_EQ(KEMtx33Determinant(&m), 0.0f);
	KEMtx33 d = Mtx(2, 0, 1, 1, 3, 0, 0, 1, 4);
	EXPECT_EQ(KEMtx33Determinant(&d), 25.0f);

	KEVec2 in[3] = {{1, 0}, {0, 1}, {2, 2}}, outs[3];
	KEMtx33MultVecArray(outs, &m, in, 3);
	EXPECT_EQ(outs[2].x, 9.0f); EXPECT_EQ(outs[2].y, 24.0f);
	KEMtx33MultVecArraySR(outs, &m, in, 3);
	EXPECT_EQ(outs[0].x, 1.0f); EXPECT_EQ(outs[0].y, 4.0f);
	EXPECT_EQ(outs[2].x, 6.0f); EXPECT_EQ(outs[2].y, 18.0f);
	KEMtx33MultVecArray(in, &m, in, 3);   // in place
	EXPECT_EQ(in[1].x, 5.0f); EXPECT_EQ(in[1].y, 11.0f);
}
