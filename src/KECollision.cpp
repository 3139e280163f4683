#include "KECollision.h"

#include <cmath>

#include "KEMath.h"

void KEBuildLineSegment(KELineSeg* pSeg, const KEVec2* pStart, const KEVec2* pEnd)
{
	pSeg->start = *pStart;
	pSeg->end = *pEnd;
	KEVec2 n = {pEnd->y - pStart->y, pStart->x - pEnd->x};
	KEVec2Normalize(&pSeg->normal, &n);
	pSeg->d = KEVec2DotProduct(&pSeg->normal, pStart);
}

// ---------------------------------------------------------------------------
// Distances

float KECalcDistPointToCircle(const KEVec2* pPos, const KEVec2* pCtr, float radius)
{
	return KEVec2Distance(pPos, pCtr) - radius;
}

float KECalcDistPointToRect(const KEVec2* pPos, const KEVec2* pRect, float sizeX, float sizeY)
{
	float hw = sizeX * 0.5f;
	float hh = sizeY * 0.5f;
	KEVec2 v;
	KEVec2Sub(&v, pPos, pRect);
	float ax = std::fabs(v.x);
	float ay = std::fabs(v.y);

	if (ax <= hw && ay <= hh)
		return -KEMin(hw - ax, hh - ay);

	KEVec2 clamped = {KEClamp(v.x, -hw, hw), KEClamp(v.y, -hh, hh)};
	return KEVec2Distance(&v, &clamped);
}

float KECalcDistPointToLineSeg(const KEVec2* pPos, const KEVec2* pLine0, const KEVec2* pLine1)
{
	KEVec2 s, v;
	KEVec2Sub(&s, pLine1, pLine0);
	KEVec2Sub(&v, pPos, pLine0);
	float len = KEVec2Length(&s);
	if (len < 1e-5f)
		return KEVec2Distance(pPos, pLine0);

	float t = KEVec2DotProduct(&s, &v) / len;
	if (t <= 0.0f)
		return KEVec2Length(&v);
	if (t >= len)
		return KEVec2Distance(pPos, pLine1);

	float sq = KEVec2SquareLength(&v) - t * t;
	return sq > 0.0f ? std::sqrt(sq) : 0.0f;
}

float KECalcDistPointToConvexPoly(const KEVec2*, const KEVec2*, unsigned int)
{
	return -1.0f;
}

float KECalcDistCircleToCircle(const KEVec2* pCtr0, float radius0, const KEVec2* pCtr1, float radius1)
{
	return KEVec2Distance(pCtr0, pCtr1) - radius0 - radius1;
}

float KECalcDistCircleToRect(const KEVec2* pCtr0, float radius, const KEVec2* pRect, float sizeX, float sizeY)
{
	return KECalcDistPointToRect(pCtr0, pRect, sizeX, sizeY) - radius;
}

float KECalcDistRectToRect(const KEVec2* pRect0, float sizeX0, float sizeY0,
                           const KEVec2* pRect1, float sizeX1, float sizeY1, KEVec2* pNormal)
{
	KEVec2 v;
	KEVec2Sub(&v, pRect1, pRect0);
	if (std::fabs(v.x) >= (sizeX0 + sizeX1) * 0.5f || std::fabs(v.y) >= (sizeY0 + sizeY1) * 0.5f)
		return 0.0f;

	float distX, distY;
	KEVec2 nX, nY;
	if (v.x >= 0.0f) { distX = v.x - sizeX0 * 0.5f - sizeX1 * 0.5f;  KEVec2Set(&nX, -1.0f, 0.0f); }
	else             { distX = -v.x - sizeX0 * 0.5f - sizeX1 * 0.5f; KEVec2Set(&nX, 1.0f, 0.0f); }
	if (v.y >= 0.0f) { distY = v.y - sizeY0 * 0.5f - sizeY1 * 0.5f;  KEVec2Set(&nY, 0.0f, -1.0f); }
	else             { distY = -v.y - sizeY0 * 0.5f - sizeY1 * 0.5f; KEVec2Set(&nY, 0.0f, 1.0f); }

	bool useX = distX > distY;
	if (pNormal)
		*pNormal = useX ? nX : nY;
	return useX ? distX : distY;
}

// ---------------------------------------------------------------------------
// Overlap tests

bool KETestPointToCircle(const KEVec2* pPos, const KEVec2* pCtr, float radius)
{
	return radius >= KEVec2Distance(pPos, pCtr);
}

bool KETestPointToRect(const KEVec2* pPos, const KEVec2* pRect, float sizeX, float sizeY)
{
	float hw = sizeX * 0.5f;
	float hh = sizeY * 0.5f;
	KEVec2 v;
	KEVec2Sub(&v, pPos, pRect);
	return -hw <= v.x && v.x <= hw && -hh <= v.y && v.y <= hh;
}

bool KETestCircleToCircle(const KEVec2* pCtr0, float radius0, const KEVec2* pCtr1, float radius1)
{
	return radius0 + radius1 >= KEVec2Distance(pCtr0, pCtr1);
}

bool KETestCircleToRect(const KEVec2* pCtr0, float radius, const KEVec2* pRect, float sizeX, float sizeY)
{
	return radius > KECalcDistPointToRect(pCtr0, pRect, sizeX, sizeY);
}

bool KETestRectToRect(const KEVec2* pRect0, float sizeX0, float sizeY0,
                      const KEVec2* pRect1, float sizeX1, float sizeY1)
{
	KEVec2 v;
	KEVec2Sub(&v, pRect1, pRect0);
	return std::fabs(v.x) <= sizeX0 * 0.5f + sizeX1 * 0.5f &&
	       std::fabs(v.y) <= sizeY0 * 0.5f + sizeY1 * 0.5f;
}

// ---------------------------------------------------------------------------
// Segments

float KEStaticPointToStaticLineSegment(const KEVec2* pPos, const KELineSeg* pSeg)
{
	return KEVec2DotProduct(&pSeg->normal, pPos) - pSeg->d;
}

// True when p lies between the two ends of the segment (measured along it).
static bool WithinSegment(const KEVec2* p, const KELineSeg* pSeg)
{
	KEVec2 fromStart, fromEnd, along, back;
	KEVec2Sub(&fromStart, p, &pSeg->start);
	KEVec2Sub(&fromEnd, p, &pSeg->end);
	KEVec2Sub(&along, &pSeg->end, &pSeg->start);
	KEVec2Sub(&back, &pSeg->start, &pSeg->end);
	return KEVec2DotProduct(&fromStart, &along) >= 0.0f && KEVec2DotProduct(&fromEnd, &back) >= 0.0f;
}

// Shared by the point and circle sweeps: offset is 0 for a point, +-radius for a circle.
static float SweepAgainstSegment(const KEVec2* pStart, const KEVec2* pEnd, float offset,
                                 const KELineSeg* pSeg, KEVec2* pInter)
{
	KEVec2 v;
	KEVec2Sub(&v, pEnd, pStart);
	float nv = KEVec2DotProduct(&pSeg->normal, &v);
	if (std::fabs(nv) < 1e-5f)
		return -1.0f;

	float nStart = KEVec2DotProduct(&pSeg->normal, pStart);
	float t = (KEVec2DotProduct(&pSeg->normal, &pSeg->start) - nStart + offset) / nv;
	KEVec2 hit;
	KEVec2ScaleAdd(&hit, &v, pStart, t);
	if (!WithinSegment(&hit, pSeg))
		return -1.0f;
	*pInter = hit;
	return t;
}

float KEAnimatedPointToStaticLineSegment(const KEVec2* pStart, const KEVec2* pEnd,
                                         const KELineSeg* pSeg, KEVec2* pInter)
{
	float ds = KEVec2DotProduct(&pSeg->normal, pStart);
	float de = KEVec2DotProduct(&pSeg->normal, pEnd);
	float d = pSeg->d;
	if ((ds < d && de < d) || (ds > d && de > d))
		return -1.0f;
	return SweepAgainstSegment(pStart, pEnd, 0.0f, pSeg, pInter);
}

float KEAnimatedCircleToStaticLineSegment(const KEVec2* pStart, const KEVec2* pEnd, float radius,
                                          const KELineSeg* pSeg, KEVec2* pInter)
{
	float ds = KEStaticPointToStaticLineSegment(pStart, pSeg);
	float de = KEStaticPointToStaticLineSegment(pEnd, pSeg);
	if ((ds < -radius && de < -radius) || (ds > radius && de > radius))
		return -1.0f;
	return SweepAgainstSegment(pStart, pEnd, ds < 0.0f ? -radius : radius, pSeg, pInter);
}

static void ReflectOnSegment(const KEVec2* pEnd, const KELineSeg* pSeg, const KEVec2* pInter, KEVec2* pReflect)
{
	KEVec2 u;
	KEVec2Sub(&u, pEnd, pInter);
	KEVec2ScaleAdd(pReflect, &pSeg->normal, &u, -2.0f * KEVec2DotProduct(&u, &pSeg->normal));
}

float KEReflectAnimatedPointOnStaticLineSegment(const KEVec2* pStart, const KEVec2* pEnd,
                                                const KELineSeg* pSeg, KEVec2* pInter, KEVec2* pReflect)
{
	float t = KEAnimatedPointToStaticLineSegment(pStart, pEnd, pSeg, pInter);
	if (t > 0.0f)
		ReflectOnSegment(pEnd, pSeg, pInter, pReflect);
	return t;
}

float KEReflectAnimatedCircleOnStaticLineSegment(const KEVec2* pStart, const KEVec2* pEnd, float radius,
                                                 const KELineSeg* pSeg, KEVec2* pInter, KEVec2* pReflect)
{
	float t = KEAnimatedCircleToStaticLineSegment(pStart, pEnd, radius, pSeg, pInter);
	if (t > 0.0f)
		ReflectOnSegment(pEnd, pSeg, pInter, pReflect);
	return t;
}

// ---------------------------------------------------------------------------
// Circles

float KEAnimatedPointToStaticCircle(const KEVec2* pStart, const KEVec2* pEnd,
                                    const KEVec2* pCtr, float radius, KEVec2* pInter)
{
	KEVec2 m, v, w;
	KEVec2Sub(&m, pCtr, pStart);
	KEVec2Sub(&v, pEnd, pStart);
	KEVec2Normalize(&w, &v);
	float p = KEVec2DotProduct(&m, &w);
	float dSq = KEVec2SquareDistance(pStart, pCtr);
	float rSq = radius * radius;

	if (p < 0.0f && rSq > dSq)
		return -1.0f;
	float qSq = dSq - p * p;
	if (qSq > rSq)
		return -1.0f;

	float t = (p - std::sqrt(rSq - qSq)) / KEVec2Length(&v);
	KEVec2ScaleAdd(pInter, &v, pStart, t);

	KEVec2 toHit, toStart;
	KEVec2Sub(&toHit, pInter, pEnd);
	KEVec2Sub(&toStart, pStart, pEnd);
	return KEVec2DotProduct(&toHit, &toStart) >= 0.0f ? t : -1.0f;
}

float KEReflectAnimatedPointOnStaticCircle(const KEVec2* pStart, const KEVec2* pEnd,
                                           const KEVec2* pCtr, float radius, KEVec2* pInter, KEVec2* pReflect)
{
	float t = KEAnimatedPointToStaticCircle(pStart, pEnd, pCtr, radius, pInter);
	if (t > 0.0f)
	{
		KEVec2 nrm, u;
		KEVec2Sub(&nrm, pInter, pCtr);
		KEVec2Normalize(&nrm, &nrm);
		KEVec2Sub(&u, pStart, pInter);
		KEVec2ScaleSub(pReflect, &nrm, &u, 2.0f * KEVec2DotProduct(&u, &nrm));
	}
	return t;
}

float KEAnimatedCircleToStaticCircle(const KEVec2* pStart, const KEVec2* pEnd, float radius0,
                                     const KEVec2* pCtr, float radius1, KEVec2* pInter)
{
	return KEAnimatedPointToStaticCircle(pStart, pEnd, pCtr, radius0 + radius1, pInter);
}

float KEReflectAnimatedCircleOnStaticCircle(const KEVec2* pStart, const KEVec2* pEnd, float radius0,
                                            const KEVec2* pCtr, float radius1, KEVec2* pInter, KEVec2* pReflect)
{
	return KEReflectAnimatedPointOnStaticCircle(pStart, pEnd, pCtr, radius0 + radius1, pInter, pReflect);
}
