#include "KEVec2.h"

#include <cmath>

#include "KEMath.h"

// Every function reads its inputs before writing, so the result may alias them.

void KEVec2Zero(KEVec2* pResult)
{
	pResult->x = 0.0f;
	pResult->y = 0.0f;
}

void KEVec2Set(KEVec2* pResult, float x, float y)
{
	pResult->x = x;
	pResult->y = y;
}

void KEVec2Neg(KEVec2* pResult, const KEVec2* pVec0)
{
	KEVec2Set(pResult, -pVec0->x, -pVec0->y);
}

void KEVec2Add(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1)
{
	KEVec2Set(pResult, pVec0->x + pVec1->x, pVec0->y + pVec1->y);
}

void KEVec2Sub(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1)
{
	KEVec2Set(pResult, pVec0->x - pVec1->x, pVec0->y - pVec1->y);
}

void KEVec2Normalize(KEVec2* pResult, const KEVec2* pVec0)
{
	// No zero test: callers keep zero vectors away.
	KEVec2Scale(pResult, pVec0, 1.0f / KEVec2Length(pVec0));
}

void KEVec2Scale(KEVec2* pResult, const KEVec2* pVec0, float s)
{
	KEVec2Set(pResult, pVec0->x * s, pVec0->y * s);
}

void KEVec2ScaleAdd(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1, float s)
{
	KEVec2Set(pResult, pVec0->x * s + pVec1->x, pVec0->y * s + pVec1->y);
}

void KEVec2ScaleSub(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1, float s)
{
	KEVec2Set(pResult, pVec0->x * s - pVec1->x, pVec0->y * s - pVec1->y);
}

void KEVec2Project(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1)
{
	KEVec2 n;
	KEVec2Normalize(&n, pVec1);
	KEVec2Scale(pResult, &n, KEVec2DotProduct(pVec0, &n));
}

void KEVec2ProjectPerp(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1)
{
	KEVec2 proj;
	KEVec2Project(&proj, pVec0, pVec1);
	KEVec2Sub(pResult, pVec0, &proj);
}

void KEVec2Lerp(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1, float t)
{
	KEVec2Set(pResult, (pVec1->x - pVec0->x) * t + pVec0->x, (pVec1->y - pVec0->y) * t + pVec0->y);
}

void KEVec2FromAngle(KEVec2* pResult, float angle)
{
	KEVec2Set(pResult, KECos(angle), KESin(angle));
}

float KEVec2Length(const KEVec2* pVec0)
{
	return std::sqrt(KEVec2SquareLength(pVec0));
}

float KEVec2SquareLength(const KEVec2* pVec0)
{
	return pVec0->x * pVec0->x + pVec0->y * pVec0->y;
}

float KEVec2Distance(const KEVec2* pVec0, const KEVec2* pVec1)
{
	return std::sqrt(KEVec2SquareDistance(pVec0, pVec1));
}

float KEVec2SquareDistance(const KEVec2* pVec0, const KEVec2* pVec1)
{
	KEVec2 d;
	KEVec2Sub(&d, pVec0, pVec1);
	return KEVec2SquareLength(&d);
}

float KEVec2DotProduct(const KEVec2* pVec0, const KEVec2* pVec1)
{
	return pVec0->x * pVec1->x + pVec0->y * pVec1->y;
}

float KEVec2CrossProductMag(const KEVec2* pVec0, const KEVec2* pVec1)
{
	return pVec0->x * pVec1->y - pVec1->x * pVec0->y;
}

unsigned int KEVec2Test(unsigned int i, unsigned int j)
{
	return i + j;
}
