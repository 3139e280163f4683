#pragma once
// Small 3-D math library: directions (Vector4), positions (Point4) and 4x4
// matrices stored m[row][column] that multiply column vectors (M * v).
// The renderer builds its projection and view with it. Single precision.

struct Vector4
{
	float x, y, z, w;

	Vector4();
	Vector4(const Vector4& rhs);
	Vector4(float xx, float yy, float zz, float ww);

	Vector4& operator=(const Vector4& rhs);

	Vector4 operator-() const;
	Vector4 operator+(const Vector4& rhs) const;
	Vector4 operator-(const Vector4& rhs) const;
	Vector4 operator*(float s) const;
	Vector4 operator/(float s) const;

	Vector4& operator+=(const Vector4& rhs);
	Vector4& operator-=(const Vector4& rhs);
	Vector4& operator*=(float s);
	Vector4& operator/=(float s);

	bool operator==(const Vector4& rhs) const;
	bool operator!=(const Vector4& rhs) const;

	// x, y, z only: w does not take part.
	float Dot(const Vector4& rhs) const;
	// x, y, z cross product; w of the result is 0.
	Vector4 Cross(const Vector4& rhs) const;

	// Over all four components.
	float Length() const;
	float LengthSq() const;

	// Leaves a (near) zero vector unchanged.
	void Normalize();
	void Zero();
	void Print() const;
};

struct Point4
{
	float x, y, z, w;

	// (0, 0, 0, 1)
	Point4();
	Point4(const Point4& rhs);
	Point4(float xx, float yy, float zz, float ww);

	Point4& operator=(const Point4& rhs);

	// Negates w as well.
	Point4 operator-() const;
	Vector4 operator-(const Point4& rhs) const;
	Point4 operator+(const Vector4& rhs) const;
	Point4 operator-(const Vector4& rhs) const;

	Point4& operator+=(const Vector4& rhs);
	Point4& operator-=(const Vector4& rhs);

	bool operator==(const Point4& rhs) const;
	bool operator!=(const Point4& rhs) const;

	// (0, 0, 0, 1)
	void Zero();
	void Print() const;
};

struct Matrix4
{
	float m[4][4];

	// All zero.
	Matrix4();
	Matrix4(const Matrix4& rhs);
	Matrix4(float mm00, float mm01, float mm02, float mm03,
	        float mm10, float mm11, float mm12, float mm13,
	        float mm20, float mm21, float mm22, float mm23,
	        float mm30, float mm31, float mm32, float mm33);

	Matrix4& operator=(const Matrix4& rhs);

	Vector4 operator*(const Vector4& rhs) const;
	Point4 operator*(const Point4& rhs) const;

	Matrix4 operator+(const Matrix4& rhs) const;
	Matrix4 operator-(const Matrix4& rhs) const;
	Matrix4 operator*(const Matrix4& rhs) const;

	Matrix4& operator+=(const Matrix4& rhs);
	Matrix4& operator-=(const Matrix4& rhs);
	Matrix4& operator*=(const Matrix4& rhs);

	Matrix4 operator*(float s) const;
	Matrix4 operator/(float s) const;
	Matrix4& operator*=(float s);
	Matrix4& operator/=(float s);

	bool operator==(const Matrix4& rhs) const;
	bool operator!=(const Matrix4& rhs) const;

	void Zero();
	void Identity();
	void Print() const;
};

Matrix4 Matrix4Scale(float x, float y, float z);
Matrix4 Matrix4ScaleFromVector(const Vector4& scale);
Matrix4 Matrix4ScaleFromPoint(const Point4& scale);
Matrix4 Matrix4Translate(float x, float y, float z);
Matrix4 Matrix4TranslateFromVector(const Vector4& offset);
Matrix4 Matrix4TranslateFromPoint(const Point4& offset);
Matrix4 Matrix4RotX(float angle);
Matrix4 Matrix4RotY(float angle);
Matrix4 Matrix4RotZ(float angle);
// Normalises axis in place (unless it is too short, which gives the identity).
Matrix4 Matrix4RotAxis(Vector4& axis, float angle);
// Normalises the three axes in place; they become columns 0, 1, 2.
Matrix4 Matrix4FromAxes(Vector4& a, Vector4& b, Vector4& c);
Matrix4 Matrix4Transpose(const Matrix4& mtx);
float   Matrix4Determinant(const Matrix4& mtx);
// Inverse of a rotation/scale + translation matrix whose axes are orthogonal.
Matrix4 Matrix4AffineInverse(const Matrix4& mtx);
Matrix4 Matrix4LookAt(const Point4& eye, const Point4& target, const Vector4& up);
Matrix4 Matrix4Ortho(float width, float height, float nearZ, float farZ);
Matrix4 Matrix4Perspective(float fovDeg, float aspect, float nearZ, float farZ);
