#pragma once
// Scalar helpers of the Kelvo Engine. Angles are radians unless a name says
// degrees; trigonometry is evaluated in double and rounded to float.

float KEDegToRad(float x);
float KERadToDeg(float x);

float KESin(float x);
float KECos(float x);
float KETan(float x);
float KEASin(float x);
float KEACos(float x);
float KEATan(float x);

// 1 when x is a non-zero power of two.
unsigned int KEIsPowOf2(unsigned int x);
// Smallest power of two strictly above x: 8 gives 16, 0 gives 1, 2^31 and up give 0.
unsigned int KENextPowOf2(unsigned int x);
// floor(log2 x); 0 for 0 and 1.
unsigned int KELogBase2(unsigned int x);

// The lower bound wins when lo > hi.
float KEClamp(float x, float lo, float hi);
// Wraps by one period (hi - lo) at most.
float KEWrap(float x, float lo, float hi);
float KEMin(float a, float b);
float KEMax(float a, float b);
bool  KEInRange(float x, float lo, float hi);
