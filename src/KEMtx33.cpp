#include "KEMtx33.h"

#include "KEMath.h"

// Every function builds its result before writing it, so the result may alias
// an input matrix or vector.

void KEMtx33Identity(KEMtx33* pResult)
{
	KEMtx33Scale(pResult, 1.0f, 1.0f);
}

void KEMtx33Transpose(KEMtx33* pResult, const KEMtx33* pMtx)
{
	KEMtx33 t;
	for (int r = 0; r < 3; ++r)
		for (int c = 0; c < 3; ++c)
			t.m[r][c] = pMtx->m[c][r];
	*pResult = t;
}

float KEMtx33Inverse(KEMtx33* pResult, const KEMtx33* pMtx)
{
	const float (*m)[3] = pMtx->m;
	float c0 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
	float c1 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
	float c2 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
	float det = m[0][0] * c0 + m[0][1] * c1 + m[0][2] * c2;

	// Near-singular: report 0 and leave the result as it was.
	if (det * det < 1e-10f)
		return 0.0f;

	KEMtx33 inv;
	inv.m[0][0] = c0;
	inv.m[1][0] = c1;
	inv.m[2][0] = c2;
	inv.m[0][1] = m[0][2] * m[2][1] - m[0][1] * m[2][2];
	inv.m[1][1] = m[0][0] * m[2][2] - m[0][2] * m[2][0];
	inv.m[2][1] = m[0][1] * m[2][0] - m[0][0] * m[2][1];
	inv.m[0][2] = m[0][1] * m[1][2] - m[0][2] * m[1][1];
	inv.m[1][2] = m[0][2] * m[1][0] - m[0][0] * m[1][2];
	inv.m[2][2] = m[0][0] * m[1][1] - m[0][1] * m[1][0];
	for (int r = 0; r < 3; ++r)
		for (int c = 0; c < 3; ++c)
			inv.m[r][c] /= det;
	*pResult = inv;
	return det;
}

void KEMtx33InvTranspose(KEMtx33* pResult, const KEMtx33* pMtx)
{
	KEMtx33Inverse(pResult, pMtx);
	KEMtx33Transpose(pResult, pResult);
}

void KEMtx33Concat(KEMtx33* pResult, const KEMtx33* pMtx0, const KEMtx33* pMtx1)
{
	const float (*a)[3] = pMtx0->m;
	const float (*b)[3] = pMtx1->m;
	KEMtx33 t;
	for (int r = 0; r < 3; ++r)
		for (int c = 0; c < 3; ++c)
			t.m[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
	*pResult = t;
}

void KEMtx33Orthogonalize(KEMtx33*)
{
}

void KEMtx33Trans(KEMtx33* pResult, float x, float y)
{
	KEMtx33Identity(pResult);
	pResult->m[0][2] = x;
	pResult->m[1][2] = y;
}

void KEMtx33TransApply(KEMtx33* pResult, const KEMtx33* pMtx, float x, float y)
{
	*pResult = *pMtx;
	pResult->m[0][2] += x;
	pResult->m[1][2] += y;
}

void KEMtx33Scale(KEMtx33* pResult, float x, float y)
{
	*pResult = KEMtx33{{{x, 0.0f, 0.0f}, {0.0f, y, 0.0f}, {0.0f, 0.0f, 1.0f}}};
}

void KEMtx33ScaleApply(KEMtx33* pResult, const KEMtx33* pMtx, float x, float y)
{
	*pResult = *pMtx;
	for (int c = 0; c < 3; ++c)
	{
		pResult->m[0][c] *= x;
		pResult->m[1][c] *= y;
	}
}

void KEMtx33Rot(KEMtx33* pResult, float angle)
{
	float c = KECos(angle);
	float s = KESin(angle);
	*pResult = KEMtx33{{{c, -s, 0.0f}, {s, c, 0.0f}, {0.0f, 0.0f, 1.0f}}};
}

void KEMtx33RotDeg(KEMtx33* pResult, float angle)
{
	// The engine has always used 3.1415 here; rotations rely on it.
	KEMtx33Rot(pResult, angle * 3.1415f / 180.0f);
}

// Out-of-range indices are ignored rather than writing past the matrix.
void KEMtx33SetCol(KEMtx33* pResult, unsigned int col, const KEVec2* pVec)
{
	if (col > 2)
		return;
	pResult->m[0][col] = pVec->x;
	pResult->m[1][col] = pVec->y;
	pResult->m[2][col] = (col == 2) ? 1.0f : 0.0f;
}

void KEMtx33SetRow(KEMtx33* pResult, unsigned int row, const KEVec2* pVec)
{
	if (row > 2)
		return;
	pResult->m[row][0] = pVec->x;
	pResult->m[row][1] = pVec->y;
	pResult->m[row][2] = (row == 2) ? 1.0f : 0.0f;
}

float KEMtx33Determinant(const KEMtx33* pMtx)
{
	const float (*m)[3] = pMtx->m;
	return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) +
	       m[0][1] * (m[1][2] * m[2][0] - m[1][0] * m[2][2]) +
	       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

void KEMtx33GetCol(KEVec2* pResult, const KEMtx33* pMtx, unsigned int col)
{
	if (col > 2)
		return;
	KEVec2Set(pResult, pMtx->m[0][col], pMtx->m[1][col]);
}

void KEMtx33GetRow(KEVec2* pResult, const KEMtx33* pMtx, unsigned int row)
{
	if (row > 2)
		return;
	KEVec2Set(pResult, pMtx->m[row][0], pMtx->m[row][1]);
}

void KEMtx33MultVec(KEVec2* pResult, const KEMtx33* pMtx, const KEVec2* pVec)
{
	const float (*m)[3] = pMtx->m;
	KEVec2Set(pResult, m[0][0] * pVec->x + m[0][1] * pVec->y + m[0][2],
	                   m[1][0] * pVec->x + m[1][1] * pVec->y + m[1][2]);
}

void KEMtx33MultVecSR(KEVec2* pResult, const KEMtx33* pMtx, const KEVec2* pVec)
{
	const float (*m)[3] = pMtx->m;
	KEVec2Set(pResult, m[0][0] * pVec->x + m[0][1] * pVec->y,
	                   m[1][0] * pVec->x + m[1][1] * pVec->y);
}

void KEMtx33MultVecArray(KEVec2* pResult, const KEMtx33* pMtx, const KEVec2* pVec, unsigned int count)
{
	for (unsigned int i = 0; i < count; ++i)
		KEMtx33MultVec(pResult + i, pMtx, pVec + i);
}

void KEMtx33MultVecArraySR(KEVec2* pResult, const KEMtx33* pMtx, const KEVec2* pVec, unsigned int count)
{
	for (unsigned int i = 0; i < count; ++i)
		KEMtx33MultVecSR(pResult + i, pMtx, pVec + i);
}
