// Vector4, Point4 and Matrix4: the pieces the renderer builds its camera from.
#include <gtest/gtest.h>

#include <cmath>

#include "KEMath4.h"

TEST(Vector4, ArithmeticDotCrossAndLength)
{
	Vector4 a(1, 2, 3, 4), b(1, 1, 1, 100);
	EXPECT_EQ(a.Dot(b), 6.0f);   // w does not take part
	EXPECT_EQ(a + b, Vector4(2, 3, 4, 104));
	EXPECT_EQ(a - b, Vector4(0, 1, 2, -96));
	EXPECT_EQ(-a, Vector4(-1, -2, -3, -4));
	EXPECT_EQ(a * 2.0f, Vector4(2, 4, 6, 8));
	EXPECT_EQ(a / 4.0f, Vector4(0.25f, 0.5f, 0.75f, 1.0f));

	Vector4 c = a;
	c += b; EXPECT_EQ(c, Vector4(2, 3, 4, 104));
	c -= b; EXPECT_EQ(c, a);
	c *= 3.0f; EXPECT_EQ(c, Vector4(3, 6, 9, 12));
	c /= 3.0f; EXPECT_EQ(c, a);

	EXPECT_EQ(Vector4(1, 0, 0, 7).Cross(Vector4(0, 1, 0, 9)), Vector4(0, 0, 1, 0));
	EXPECT_EQ(Vector4(0, 1, 0, 0).Cross(Vector4(1, 0, 0, 0)), Vector4(0, 0, -1, 0));

	EXPECT_EQ(a.LengthSq(), 30.0f);   // all four components
	EXPECT_FLOAT_EQ(a.Length(), std::sqrt(30.0f));

	Vector4 z;
	EXPECT_EQ(z.x, 0.0f); EXPECT_EQ(z.w, 0.0f);
	c.Zero();
	EXPECT_EQ(c, Vector4(0, 0, 0, 0));
}

TEST(Vector4, NormalizeAndTolerantEquality)
{
	Vector4 zero(0, 0, 0, 0);
	zero.Normalize();
	EXPECT_EQ(zero.x, 0.0f); EXPECT_EQ(zero.y, 0.0f); EXPECT_EQ(zero.z, 0.0f); EXPECT_EQ(zero.w, 0.0f);

	Vector4 tiny(1e-6f, 0, 0, 0);   // shorter than the tolerance: unchanged
	tiny.Normalize();
	EXPECT_EQ(tiny.x, 1e-6f);

	Vector4 v(3, 0, 0, 4);
	v.Normalize();
	EXPECT_FLOAT_EQ(v.x, 0.6f); EXPECT_EQ(v.y, 0.0f); EXPECT_FLOAT_EQ(v.w, 0.8f);

	EXPECT_TRUE(Vector4(1, 2, 3, 4) == Vector4(1, 2, 3, 4.000001f));
	EXPECT_FALSE(Vector4(1, 2, 3, 4) != Vector4(1, 2, 3, 4.000001f));
	EXPECT_TRUE(Vector4(1, 2, 3, 4) != Vector4(1, 2, 3.0001f, 4));
}

TEST(Point4, DefaultsAndMixedArithmetic)
{
	Point4 p;
	EXPECT_EQ(p.x, 0.0f); EXPECT_EQ(p.w, 1.0f);
	Point4 n = -p;
	EXPECT_EQ(n.w, -1.0f);   // unary minus negates w too

	Point4 a(5, 6, 7, 1), b(1, 2, 3, 1);
	Vector4 d = a - b;
	EXPECT_EQ(d, Vector4(4, 4, 4, 0));
	EXPECT_EQ(b + d, a);
	EXPECT_EQ(a - d, b);
	Point4 c = b;
	c += d; EXPECT_EQ(c, a);
	c -= d; EXPECT_EQ(c, b);
	EXPECT_TRUE(c != a);

	c.x = 9; c.w = 3;
	c.Zero();
	EXPECT_EQ(c, Point4(0, 0, 0, 1));
}

TEST(Matrix4, ConstructionProductsAndEquality)
{
	Matrix4 zero;
	for (int r = 0; r < 4; ++r)
		for (int c = 0; c < 4; ++c)
			EXPECT_EQ(zero.m[r][c], 0.0f);

	Matrix4 a(1, 2, 3, 4,
	          5, 6, 7, 8,
	          9, 10, 11, 12,
	          13, 14, 15, 16);
	EXPECT_EQ(a.m[1][2], 7.0f);   // row by row
	Matrix4 id;
	id.Identity();
	EXPECT_EQ(a * id, a);
	EXPECT_EQ(id * a, a);

	Matrix4 b = Matrix4Translate(1, 2, 3);
	Matrix4 ab = a * b;
	EXPECT_EQ(ab.m[0][3], 1 * 1 + 2 * 2 + 3 * 3 + 4.0f);
	Matrix4 c = a;
	c *= b;
	EXPECT_EQ(c, ab);
	EXPECT_EQ(a + a, a * 2.0f);
	EXPECT_EQ((a + b) - b, a);
	EXPECT_EQ(a / 2.0f, a * 0.5f);
	c = a; c += a; c -= a; c *= 4.0f; c /= 2.0f;
	EXPECT_EQ(c, a * 2.0f);

	// Column vectors: the w of a point picks up the translation, a vector's does not.
	EXPECT_EQ(b * Point4(1, 1, 1, 1), Point4(2, 3, 4, 1));
	EXPECT_EQ(b * Vector4(1, 1, 1, 0), Vector4(1, 1, 1, 0));

	Matrix4 close = a;
	close.m[2][1] += 1e-6f;
	EXPECT_TRUE(close == a);
	close.m[2][1] += 1e-3f;
	EXPECT_TRUE(close != a);

	EXPECT_EQ(Matrix4Transpose(a).m[0][3], 13.0f);
	EXPECT_EQ(Matrix4Transpose(Matrix4Transpose(a)), a);
}

TEST(Matrix4, BuildersAndDeterminant)
{
	EXPECT_EQ(Matrix4Scale(2, 3, 4) * Point4(1, 1, 1, 1), Point4(2, 3, 4, 1));
	EXPECT_EQ(Matrix4ScaleFromVector(Vector4(2, 3, 4, 9)), Matrix4Scale(2, 3, 4));
	EXPECT_EQ(Matrix4ScaleFromPoint(Point4(2, 3, 4, 9)), Matrix4Scale(2, 3, 4));
	EXPECT_EQ(Matrix4TranslateFromVector(Vector4(2, 3, 4, 9)), Matrix4Translate(2, 3, 4));
	EXPECT_EQ(Matrix4TranslateFromPoint(Point4(2, 3, 4, 9)), Matrix4Translate(2, 3, 4));

	const float q = 1.5707964f;
	EXPECT_EQ(Matrix4RotZ(q) * Vector4(1, 0, 0, 0), Vector4(0, 1, 0, 0));
	EXPECT_EQ(Matrix4RotX(q) * Vector4(0, 1, 0, 0), Vector4(0, 0, 1, 0));
	EXPECT_EQ(Matrix4RotY(q) * Vector4(0, 0, 1, 0), Vector4(1, 0, 0, 0));

	Vector4 axis(0, 0, 5, 0);
	EXPECT_EQ(Matrix4RotAxis(axis, 0.4f), Matrix4RotZ(0.4f));
	EXPECT_EQ(axis, Vector4(0, 0, 1, 0));   // normalised in place
	Vector4 none(0, 0, 0, 0);
	Matrix4 id;
	id.Identity();
	EXPECT_EQ(Matrix4RotAxis(none, 1.0f), id);

	Vector4 x(2, 0, 0, 0), y(0, 3, 0, 0), z(0, 0, 4, 0);
	EXPECT_EQ(Matrix4FromAxes(x, y, z), id);
	EXPECT_EQ(x, Vector4(1, 0, 0, 0));

	EXPECT_FLOAT_EQ(Matrix4Determinant(Matrix4Scale(2, 3, 4)), 24.0f);
	Matrix4 m(2, 0, 1, 3,
	          1, 3, 0, 0,
	          0, 1, 4, 1,
	          1, 0, 0, 2);
	EXPECT_FLOAT_EQ(Matrix4Determinant(m), 17.0f);
	EXPECT_FLOAT_EQ(Matrix4Determinant(Matrix4Transpose(m)), 17.0f);

	Matrix4 affine = Matrix4Translate(4, -2, 7) * Matrix4RotAxis(axis, 0.8f) * Matrix4Scale(2, 2, 2);
	EXPECT_EQ(affine * Matrix4AffineInverse(affine), id);
}

TEST(Matrix4, CameraMatrices)
{
	Matrix4 view = Matrix4LookAt(Point4(5, 7, 60, 1), Point4(5, 7, 0, 1), Vector4(0, 1, 0, 0));
	EXPECT_EQ(view, Matrix4Translate(-5, -7, -60));

	// Looking down -x from (10, 0, 0): the camera's right is world -z.
	Matrix4 side = Matrix4LookAt(Point4(10, 0, 0, 1), Point4(0, 0, 0, 1), Vector4(0, 1, 0, 0));
	EXPECT_EQ(side * Point4(0, 0, 0, 1), Point4(0, 0, -10, 1));
	EXPECT_EQ(side * Vector4(0, 0, 1, 0), Vector4(-1, 0, 0, 0));

	Matrix4 ortho = Matrix4Ortho(800, 600, -1, 1);
	Matrix4 want;
	want.Identity();
	want.m[0][0] = 2.0f / 800;
	want.m[1][1] = 2.0f / 600;
	want.m[2][2] = -1.0f;
	want.m[2][3] = 0.0f;
	EXPECT_EQ(ortho, want);
	EXPECT_EQ(ortho * Point4(400, -300, 0, 1), Point4(1, -1, 0, 1));
	Matrix4 depth = Matrix4Ortho(2, 2, 1, 101);
	EXPECT_FLOAT_EQ(depth.m[2][2], -0.02f);
	EXPECT_FLOAT_EQ(depth.m[2][3], -1.02f);

	Matrix4 persp = Matrix4Perspective(90, 2, 1, 3);
	float t = std::tan(90.0f / 360.0f * 3.1415925f);
	EXPECT_FLOAT_EQ(persp.m[0][0], 1.0f / (t * 2));
	EXPECT_FLOAT_EQ(persp.m[1][1], 1.0f / t);
	EXPECT_FLOAT_EQ(persp.m[2][2], -2.0f);
	EXPECT_FLOAT_EQ(persp.m[2][3], -3.0f);
	EXPECT_EQ(persp.m[3][2], -1.0f);
	EXPECT_EQ(persp.m[3][3], 0.0f);
}
