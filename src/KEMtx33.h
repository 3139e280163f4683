#pragma once
// 3x3 matrix for 2-D affine transforms: m[row][column], column vectors,
// translation in the third column.
#include "KEVec2.h"

struct KEMtx33
{
	float m[3][3];
};

void  KEMtx33Identity(KEMtx33* pResult);
void  KEMtx33Transpose(KEMtx33* pResult, const KEMtx33* pMtx);
float KEMtx33Inverse(KEMtx33* pResult, const KEMtx33* pMtx);
void  KEMtx33InvTranspose(KEMtx33* pResult, const KEMtx33* pMtx);
void  KEMtx33Concat(KEMtx33* pResult, const KEMtx33* pMtx0, const KEMtx33* pMtx1);
void  KEMtx33Orthogonalize(KEMtx33* pResult);
void  KEMtx33Trans(KEMtx33* pResult, float x, float y);
void  KEMtx33TransApply(KEMtx33* pResult, const KEMtx33* pMtx, float x, float y);
void  KEMtx33Scale(KEMtx33* pResult, float x, float y);
void  KEMtx33ScaleApply(KEMtx33* pResult, const KEMtx33* pMtx, float x, float y);
void  KEMtx33Rot(KEMtx33* pResult, float angle);
void  KEMtx33RotDeg(KEMtx33* pResult, float angle);
void  KEMtx33SetCol(KEMtx33* pResult, unsigned int col, const KEVec2* pVec);
void  KEMtx33SetRow(KEMtx33* pResult, unsigned int row, const KEVec2* pVec);
float KEMtx33Determinant(const KEMtx33* pMtx);
void  KEMtx33GetCol(KEVec2* pResult, const KEMtx33* pMtx, unsigned int col);
void  KEMtx33GetRow(KEVec2* pResult, const KEMtx33* pMtx, unsigned int row);
void  KEMtx33MultVec(KEVec2* pResult, const KEMtx33* pMtx, const KEVec2* pVec);
void  KEMtx33MultVecSR(KEVec2* pResult, const KEMtx33* pMtx, const KEVec2* pVec);
void  KEMtx33MultVecArray(KEVec2* pResult, const KEMtx33* pMtx, const KEVec2* pVec, unsigned int count);
void  KEMtx33MultVecArraySR(KEVec2* pResult, const KEMtx33* pMtx, const KEVec2* pVec, unsigned int count);
