#pragma once
// 2-D vector of the Kelvo Engine. Results are written through the first pointer,
// which may alias an input.

struct KEVec2
{
	float x, y;
};

void  KEVec2Zero(KEVec2* pResult);
void  KEVec2Set(KEVec2* pResult, float x, float y);
void  KEVec2Neg(KEVec2* pResult, const KEVec2* pVec0);
void  KEVec2Add(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1);
void  KEVec2Sub(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1);
void  KEVec2Normalize(KEVec2* pResult, const KEVec2* pVec0);
void  KEVec2Scale(KEVec2* pResult, const KEVec2* pVec0, float s);
void  KEVec2ScaleAdd(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1, float s);
void  KEVec2ScaleSub(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1, float s);
void  KEVec2Project(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1);
void  KEVec2ProjectPerp(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1);
void  KEVec2Lerp(KEVec2* pResult, const KEVec2* pVec0, const KEVec2* pVec1, float t);
void  KEVec2FromAngle(KEVec2* pResult, float angle);
float KEVec2Length(const KEVec2* pVec0);
float KEVec2SquareLength(const KEVec2* pVec0);
float KEVec2Distance(const KEVec2* pVec0, const KEVec2* pVec1);
float KEVec2SquareDistance(const KEVec2* pVec0, const KEVec2* pVec1);
float KEVec2DotProduct(const KEVec2* pVec0, const KEVec2* pVec1);
float KEVec2CrossProductMag(const KEVec2* pVec0, const KEVec2* pVec1);
unsigned int KEVec2Test(unsigned int i, unsigned int j);
