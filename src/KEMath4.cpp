#include "KEMath4.h"

#include <cmath>
#include <cstdio>

namespace
{
const float kEpsilon = 1e-5f;

bool Near(float a, float b)
{
	return std::fabs(a - b) < kEpsilon;
}
}

// ---------------------------------------------------------------------------
// Vector4

Vector4::Vector4() : x(0.0f), y(0.0f), z(0.0f), w(0.0f) {}
Vector4::Vector4(const Vector4& rhs) : x(rhs.x), y(rhs.y), z(rhs.z), w(rhs.w) {}
Vector4::Vector4(float xx, float yy, float zz, float ww) : x(xx), y(yy), z(zz), w(ww) {}

Vector4& Vector4::operator=(const Vector4& rhs)
{
	x = rhs.x; y = rhs.y; z = rhs.z; w = rhs.w;
	return *this;
}

Vector4 Vector4::operator-() const { return Vector4(-x, -y, -z, -w); }
Vector4 Vector4::operator+(const Vector4& rhs) const { return Vector4(x + rhs.x, y + rhs.y, z + rhs.z, w + rhs.w); }
Vector4 Vector4::operator-(const Vector4& rhs) const { return Vector4(x - rhs.x, y - rhs.y, z - rhs.z, w - rhs.w); }
Vector4 Vector4::operator*(float s) const { return Vector4(x * s, y * s, z * s, w * s); }
Vector4 Vector4::operator/(float s) const { return *this * (1.0f / s); }

Vector4& Vector4::operator+=(const Vector4& rhs) { return *this = *this + rhs; }
Vector4& Vector4::operator-=(const Vector4& rhs) { return *this = *this - rhs; }
Vector4& Vector4::operator*=(float s) { return *this = *this * s; }
Vector4& Vector4::operator/=(float s) { return *this = *this / s; }

bool Vector4::operator==(const Vector4& rhs) const
{
	return Near(x, rhs.x) && Near(y, rhs.y) && Near(z, rhs.z) && Near(w, rhs.w);
}
bool Vector4::operator!=(const Vector4& rhs) const { return !(*this == rhs); }

float Vector4::Dot(const Vector4& rhs) const { return x * rhs.x + y * rhs.y + z * rhs.z; }

Vector4 Vector4::Cross(const Vector4& rhs) const
{
	return Vector4(y * rhs.z - z * rhs.y, z * rhs.x - x * rhs.z, x * rhs.y - y * rhs.x, 0.0f);
}

float Vector4::Length() const { return std::sqrt(LengthSq()); }
float Vector4::LengthSq() const { return x * x + y * y + z * z + w * w; }

void Vector4::Normalize()
{
	float len = Length();
	if (len > -kEpsilon && len < kEpsilon)
		return;
	x /= len; y /= len; z /= len; w /= len;
}

void Vector4::Zero() { x = y = z = w = 0.0f; }

void Vector4::Print() const
{
	printf("%5.3f, %5.3f, %5.3f, %5.3f\n", x, y, z, w);
}

// ---------------------------------------------------------------------------
// Point4

Point4::Point4() : x(0.0f), y(0.0f), z(0.0f), w(1.0f) {}
Point4::Point4(const Point4& rhs) : x(rhs.x), y(rhs.y), z(rhs.z), w(rhs.w) {}
Point4::Point4(float xx, float yy, float zz, float ww) : x(xx), y(yy), z(zz), w(ww) {}

Point4& Point4::operator=(const Point4& rhs)
{
	x = rhs.x; y = rhs.y; z = rhs.z; w = rhs.w;
	return *this;
}

Point4 Point4::operator-() const { return Point4(-x, -y, -z, -w); }
Vector4 Point4::operator-(const Point4& rhs) const { return Vector4(x - rhs.x, y - rhs.y, z - rhs.z, w - rhs.w); }
Point4 Point4::operator+(const Vector4& rhs) const { return Point4(x + rhs.x, y + rhs.y, z + rhs.z, w + rhs.w); }
Point4 Point4::operator-(const Vector4& rhs) const { return Point4(x - rhs.x, y - rhs.y, z - rhs.z, w - rhs.w); }

Point4& Point4::operator+=(const Vector4& rhs) { return *this = *this + rhs; }
Point4& Point4::operator-=(const Vector4& rhs) { return *this = *this - rhs; }

bool Point4::operator==(const Point4& rhs) const
{
	return Near(x, rhs.x) && Near(y, rhs.y) && Near(z, rhs.z) && Near(w, rhs.w);
}
bool Point4::operator!=(const Point4& rhs) const { return !(*this == rhs); }

void Point4::Zero() { x = y = z = 0.0f; w = 1.0f; }

void Point4::Print() const
{
	printf("%5.3f, %5.3f, %5.3f, %5.3f\n", x, y, z, w);
}

// ---------------------------------------------------------------------------
// Matrix4

Matrix4::Matrix4() { Zero(); }

Matrix4::Matrix4(const Matrix4& rhs) { *this = rhs; }

Matrix4::Matrix4(float mm00, float mm01, float mm02, float mm03,
                 float mm10, float mm11, float mm12, float mm13,
                 float mm20, float mm21, float mm22, float mm23,
                 float mm30, float mm31, float mm32, float mm33)
{
	m[0][0] = mm00; m[0][1] = mm01; m[0][2] = mm02; m[0][3] = mm03;
	m[1][0] = mm10; m[1][1] = mm11; m[1][2] = mm12; m[1][3] = mm13;
	m[2][0] = mm20; m[2][1] = mm21; m[2][2] = mm22; m[2][3] = mm23;
	m[3][0] = mm30; m[3][1] = mm31; m[3][2] = mm32; m[3][3] = mm33;
}

Matrix4& Matrix4::operator=(const Matrix4& rhs)
{
	for (int r = 0; r < 4; ++r)
		for (int c = 0; c < 4; ++c)
			m[r][c] = rhs.m[r][c];
	return *this;
}

Vector4 Matrix4::operator*(const Vector4& v) const
{
	float out[4];
	for (int r = 0; r < 4; ++r)
		out[r] = m[r][0] * v.x + m[r][1] * v.y + m[r][2] * v.z + m[r][3] * v.w;
	return Vector4(out[0], out[1], out[2], out[3]);
}

Point4 Matrix4::operator*(const Point4& p) const
{
	float out[4];
	for (int r = 0; r < 4; ++r)
		out[r] = m[r][0] * p.x + m[r][1] * p.y + m[r][2] * p.z + m[r][3] * p.w;
	return Point4(out[0], out[1], out[2], out[3]);
}

Matrix4 Matrix4::operator+(const Matrix4& rhs) const
{
	Matrix4 out;
	for (int r = 0; r < 4; ++r)
		for (int c = 0; c < 4; ++c)
			out.m[r][c] = m[r][c] + rhs.m[r][c];
	return out;
}

Matrix4 Matrix4::operator-(const Matrix4& rhs) const
{
	Matrix4 out;
	for (int r = 0; r < 4; ++r)
		for (int c = 0; c < 4; ++c)
			out.m[r][c] = m[r][c] - rhs.m[r][c];
	return out;
}

Matrix4 Matrix4::operator*(const Matrix4& rhs) const
{
	Matrix4 out;
	for (int r = 0; r < 4; ++r)
		for (int c = 0; c < 4; ++c)
			out.m[r][c] = m[r][0] * rhs.m[0][c] + m[r][1] * rhs.m[1][c] +
			              m[r][2] * rhs.m[2][c] + m[r][3] * rhs.m[3][c];
	return out;
}

Matrix4& Matrix4::operator+=(const Matrix4& rhs) { return *this = *this + rhs; }
Matrix4& Matrix4::operator-=(const Matrix4& rhs) { return *this = *this - rhs; }
Matrix4& Matrix4::operator*=(const Matrix4& rhs) { return *this = *this * rhs; }

Matrix4 Matrix4::operator*(float s) const
{
	Matrix4 out;
	for (int r = 0; r < 4; ++r)
		for (int c = 0; c < 4; ++c)
			out.m[r][c] = m[r][c] * s;
	return out;
}

Matrix4 Matrix4::operator/(float s) const { return *this * (1.0f / s); }
Matrix4& Matrix4::operator*=(float s) { return *this = *this * s; }
Matrix4& Matrix4::operator/=(float s) { return *this = *this / s; }

bool Matrix4::operator==(const Matrix4& rhs) const
{
	for (int r = 0; r < 4; ++r)
		for (int c = 0; c < 4; ++c)
			if (!Near(m[r][c], rhs.m[r][c]))
				return false;
	return true;
}
bool Matrix4::operator!=(const Matrix4& rhs) const { return !(*this == rhs); }

void Matrix4::Zero()
{
	for (int r = 0; r < 4; ++r)
		for (int c = 0; c < 4; ++c)
			m[r][c] = 0.0f;
}

void Matrix4::Identity()
{
	Zero();
	m[0][0] = m[1][1] = m[2][2] = m[3][3] = 1.0f;
}

void Matrix4::Print() const
{
	printf("--------------------------\n");
	for (int r = 0; r < 4; ++r)
		printf("%5.3f %5.3f %5.3f %5.3f\n", m[r][0], m[r][1], m[r][2], m[r][3]);
	printf("--------------------------\n");
}

// ---------------------------------------------------------------------------
// Builders

static Matrix4 IdentityMatrix()
{
	Matrix4 out;
	out.Identity();
	return out;
}

Matrix4 Matrix4Scale(float x, float y, float z)
{
	Matrix4 out = IdentityMatrix();
	out.m[0][0] = x;
	out.m[1][1] = y;
	out.m[2][2] = z;
	return out;
}

Matrix4 Matrix4ScaleFromVector(const Vector4& scale) { return Matrix4Scale(scale.x, scale.y, scale.z); }
Matrix4 Matrix4ScaleFromPoint(const Point4& scale) { return Matrix4Scale(scale.x, scale.y, scale.z); }

Matrix4 Matrix4Translate(float x, float y, float z)
{
	Matrix4 out = IdentityMatrix();
	out.m[0][3] = x;
	out.m[1][3] = y;
	out.m[2][3] = z;
	return out;
}

Matrix4 Matrix4TranslateFromVector(const Vector4& offset) { return Matrix4Translate(offset.x, offset.y, offset.z); }
Matrix4 Matrix4TranslateFromPoint(const Point4& offset) { return Matrix4Translate(offset.x, offset.y, offset.z); }

Matrix4 Matrix4RotX(float angle)
{
	float c = std::cos(angle), s = std::sin(angle);
	Matrix4 out = IdentityMatrix();
	out.m[1][1] = c; out.m[1][2] = -s;
	out.m[2][1] = s; out.m[2][2] = c;
	return out;
}

Matrix4 Matrix4RotY(float angle)
{
	float c = std::cos(angle), s = std::sin(angle);
	Matrix4 out = IdentityMatrix();
	out.m[0][0] = c;  out.m[0][2] = s;
	out.m[2][0] = -s; out.m[2][2] = c;
	return out;
}

Matrix4 Matrix4RotZ(float angle)
{
	float c = std::cos(angle), s = std::sin(angle);
	Matrix4 out = IdentityMatrix();
	out.m[0][0] = c; out.m[0][1] = -s;
	out.m[1][0] = s; out.m[1][1] = c;
	return out;
}

Matrix4 Matrix4RotAxis(Vector4& axis, float angle)
{
	if (axis.Length() < kEpsilon)
		return IdentityMatrix();
	axis.Normalize();

	float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
	float x = axis.x, y = axis.y, z = axis.z;
	Matrix4 out = IdentityMatrix();
	out.m[0][0] = t * x * x + c;     out.m[0][1] = t * x * y - s * z; out.m[0][2] = t * x * z + s * y;
	out.m[1][0] = t * x * y + s * z; out.m[1][1] = t * y * y + c;     out.m[1][2] = t * y * z - s * x;
	out.m[2][0] = t * x * z - s * y; out.m[2][1] = t * y * z + s * x; out.m[2][2] = t * z * z + c;
	return out;
}

Matrix4 Matrix4FromAxes(Vector4& a, Vector4& b, Vector4& c)
{
	a.Normalize();
	b.Normalize();
	c.Normalize();
	Matrix4 out = IdentityMatrix();
	out.m[0][0] = a.x; out.m[0][1] = b.x; out.m[0][2] = c.x;
	out.m[1][0] = a.y; out.m[1][1] = b.y; out.m[1][2] = c.y;
	out.m[2][0] = a.z; out.m[2][1] = b.z; out.m[2][2] = c.z;
	return out;
}

Matrix4 Matrix4Transpose(const Matrix4& mtx)
{
	Matrix4 out;
	for (int r = 0; r < 4; ++r)
		for (int c = 0; c < 4; ++c)
			out.m[r][c] = mtx.m[c][r];
	return out;
}

float Matrix4Determinant(const Matrix4& mtx)
{
	const float (*a)[4] = mtx.m;
	// Expansion along the first row using 2x2 minors of the lower two rows.
	float s0 = a[2][2] * a[3][3] - a[2][3] * a[3][2];
	float s1 = a[2][1] * a[3][3] - a[2][3] * a[3][1];
	float s2 = a[2][1] * a[3][2] - a[2][2] * a[3][1];
	float s3 = a[2][0] * a[3][3] - a[2][3] * a[3][0];
	float s4 = a[2][0] * a[3][2] - a[2][2] * a[3][0];
	float s5 = a[2][0] * a[3][1] - a[2][1] * a[3][0];

	float c0 = a[1][1] * s0 - a[1][2] * s1 + a[1][3] * s2;
	float c1 = a[1][0] * s0 - a[1][2] * s3 + a[1][3] * s4;
	float c2 = a[1][0] * s1 - a[1][1] * s3 + a[1][3] * s5;
	float c3 = a[1][0] * s2 - a[1][1] * s4 + a[1][2] * s5;

	return a[0][0] * c0 - a[0][1] * c1 + a[0][2] * c2 - a[0][3] * c3;
}

Matrix4 Matrix4AffineInverse(const Matrix4& mtx)
{
	// Orthogonal axes: the inverse of the upper 3x3 is its transpose with each
	// axis divided by its squared length; then undo the translation.
	Matrix4 out = IdentityMatrix();
	for (int c = 0; c < 3; ++c)
	{
		float lenSq = mtx.m[0][c] * mtx.m[0][c] + mtx.m[1][c] * mtx.m[1][c] + mtx.m[2][c] * mtx.m[2][c];
		float inv = lenSq > 0.0f ? 1.0f / lenSq : 0.0f;
		for (int r = 0; r < 3; ++r)
			out.m[c][r] = mtx.m[r][c] * inv;
	}
	for (int r = 0; r < 3; ++r)
		out.m[r][3] = -(out.m[r][0] * mtx.m[0][3] + out.m[r][1] * mtx.m[1][3] + out.m[r][2] * mtx.m[2][3]);
	return out;
}

Matrix4 Matrix4LookAt(const Point4& eye, const Point4& target, const Vector4& up)
{
	Vector4 z = eye - target;
	z.Normalize();
	Vector4 y = up;
	y.Normalize();
	Vector4 x = y.Cross(z);
	x.Normalize();
	return Matrix4Transpose(Matrix4FromAxes(x, y, z)) * Matrix4TranslateFromPoint(-eye);
}

Matrix4 Matrix4Ortho(float width, float height, float nearZ, float farZ)
{
	Matrix4 out = IdentityMatrix();
	out.m[0][0] = 2.0f / width;
	out.m[1][1] = 2.0f / height;
	out.m[2][2] = -2.0f / (farZ - nearZ);
	out.m[2][3] = -(farZ + nearZ) / (farZ - nearZ);
	return out;
}

Matrix4 Matrix4Perspective(float fovDeg, float aspect, float nearZ, float farZ)
{
	float t = std::tan(fovDeg / 360.0f * 3.1415925f);
	Matrix4 out;
	out.m[0][0] = 1.0f / (t * aspect);
	out.m[1][1] = 1.0f / t;
	out.m[2][2] = -(farZ + nearZ) / (farZ - nearZ);
	out.m[2][3] = -2.0f * farZ * nearZ / (farZ - nearZ);
	out.m[3][2] = -1.0f;
	out.m[3][3] = 0.0f;
	return out;
}
