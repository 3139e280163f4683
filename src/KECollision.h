#pragma once
// 2-D distance, overlap and swept-contact tests of the Kelvo Engine.
// Distances are signed: negative means inside or overlapping. Swept tests
// return the time t in [0, 1] along start -> end at first contact, or -1.
#include "KEVec2.h"

// A line segment with its unit normal n and d = n . start (callers fill all four).
struct KELineSeg
{
	KEVec2 start;
	KEVec2 end;
	KEVec2 normal;
	float  d;
};

// Fills a segment from its two ends; the normal is the direction turned a
// quarter turn clockwise, (dy, -dx) normalised.
void KEBuildLineSegment(KELineSeg* pSeg, const KEVec2* pStart, const KEVec2* pEnd);

// Distances
float KECalcDistPointToCircle(const KEVec2* pPos, const KEVec2* pCtr, float radius);
float KECalcDistPointToRect(const KEVec2* pPos, const KEVec2* pRect, float sizeX, float sizeY);
float KECalcDistPointToLineSeg(const KEVec2* pPos, const KEVec2* pLine0, const KEVec2* pLine1);
// Not provided: always -1.
float KECalcDistPointToConvexPoly(const KEVec2* pPos, const KEVec2* pVtx, unsigned int vtxNum);
float KECalcDistCircleToCircle(const KEVec2* pCtr0, float radius0, const KEVec2* pCtr1, float radius1);
float KECalcDistCircleToRect(const KEVec2* pCtr0, float radius, const KEVec2* pRect, float sizeX, float sizeY);
// 0 when the rectangles do not overlap; otherwise the (negative) smaller push-out
// depth, with its direction written to pNormal when that is not null.
float KECalcDistRectToRect(const KEVec2* pRect0, float sizeX0, float sizeY0,
                           const KEVec2* pRect1, float sizeX1, float sizeY1, KEVec2* pNormal);

// Overlap tests
bool KETestPointToCircle(const KEVec2* pPos, const KEVec2* pCtr, float radius);
bool KETestPointToRect(const KEVec2* pPos, const KEVec2* pRect, float sizeX, float sizeY);
bool KETestCircleToCircle(const KEVec2* pCtr0, float radius0, const KEVec2* pCtr1, float radius1);
bool KETestCircleToRect(const KEVec2* pCtr0, float radius, const KEVec2* pRect, float sizeX, float sizeY);
bool KETestRectToRect(const KEVec2* pRect0, float sizeX0, float sizeY0,
                      const KEVec2* pRect1, float sizeX1, float sizeY1);

// Segments: signed distance of a point to the segment's line.
float KEStaticPointToStaticLineSegment(const KEVec2* pPos, const KELineSeg* pSeg);
float KEAnimatedPointToStaticLineSegment(const KEVec2* pStart, const KEVec2* pEnd,
                                         const KELineSeg* pSeg, KEVec2* pInter);
float KEAnimatedCircleToStaticLineSegment(const KEVec2* pStart, const KEVec2* pEnd, float radius,
                                          const KELineSeg* pSeg, KEVec2* pInter);
// The reflected vector is written only when contact happens at t > 0.
float KEReflectAnimatedPointOnStaticLineSegment(const KEVec2* pStart, const KEVec2* pEnd,
                                                const KELineSeg* pSeg, KEVec2* pInter, KEVec2* pReflect);
float KEReflectAnimatedCircleOnStaticLineSegment(const KEVec2* pStart, const KEVec2* pEnd, float radius,
                                                 const KELineSeg* pSeg, KEVec2* pInter, KEVec2* pReflect);

// Circles
float KEAnimatedPointToStaticCircle(const KEVec2* pStart, const KEVec2* pEnd,
                                    const KEVec2* pCtr, float radius, KEVec2* pInter);
float KEReflectAnimatedPointOnStaticCircle(const KEVec2* pStart, const KEVec2* pEnd,
                                           const KEVec2* pCtr, float radius, KEVec2* pInter, KEVec2* pReflect);
float KEAnimatedCircleToStaticCircle(const KEVec2* pStart, const KEVec2* pEnd, float radius0,
                                     const KEVec2* pCtr, float radius1, KEVec2* pInter);
float KEReflectAnimatedCircleOnStaticCircle(const KEVec2* pStart, const KEVec2* pEnd, float radius0,
                                            const KEVec2* pCtr, float radius1, KEVec2* pInter, KEVec2* pReflect);
