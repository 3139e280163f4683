#include "KEMath.h"

#include <cmath>

float KEDegToRad(float x) { return x * 0.017453292f; }
float KERadToDeg(float x) { return x * 57.295784f; }

float KESin(float x)  { return (float)std::sin((double)x); }
float KECos(float x)  { return (float)std::cos((double)x); }
float KETan(float x)  { return (float)std::tan((double)x); }
float KEASin(float x) { return (float)std::asin((double)x); }
float KEACos(float x) { return (float)std::acos((double)x); }
float KEATan(float x) { return (float)std::atan((double)x); }

unsigned int KEIsPowOf2(unsigned int x)
{
	return (x != 0 && (x & (x - 1)) == 0) ? 1u : 0u;
}

unsigned int KENextPowOf2(unsigned int x)
{
	// No initial decrement: a power of two maps to the next one.
	x |= x >> 1;
	x |= x >> 2;
	x |= x >> 4;
	x |= x >> 8;
	x |= x >> 16;
	return x + 1;
}

unsigned int KELogBase2(unsigned int x)
{
	unsigned int n = 0;
	while (((x >> 1) >> n) != 0)
		++n;
	return n;
}

float KEClamp(float x, float lo, float hi)
{
	if (lo > x)
		return lo;
	if (x > hi)
		return hi;
	return x;
}

float KEWrap(float x, float lo, float hi)
{
	if (lo > x)
		return hi - lo + x;
	if (x > hi)
		return x - (hi - lo);
	return x;
}

float KEMin(float a, float b) { return b > a ? a : b; }
float KEMax(float a, float b) { return b > a ? b : a; }

bool KEInRange(float x, float lo, float hi) { return x >= lo && hi >= x; }
