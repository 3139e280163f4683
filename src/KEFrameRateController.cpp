#include "KEFrameRateController.h"

#include <cstdint>

#include "Window.h"

namespace
{
double       sFrameRateMax = 0.0;
double       sFrameRate = 0.0;
double       sFrameTime = 0.0;
double       sFrameTimeMin = 0.0;
unsigned int sFrameCounter = 0;
uint64_t     sFrameTimeStart = 0;
uint64_t     sFrameTimeEnd = 0;
double       sTimerSecondsPerCount = 0.0;
bool         sVirtualClock = false;

void ResetTimes()
{
	sFrameCounter = 0;
	sFrameRate = sFrameRateMax;
	if (sFrameRate != 0.0)
	{
		sFrameTime = 1.0 / sFrameRate;
		sFrameTimeMin = 1.0 / sFrameRateMax;
	}
	else
	{
		sFrameTime = 0.0;
		sFrameTimeMin = 0.0;
	}
}
} // namespace

void KEFrameRateControllerInit(unsigned int frameRateMax)
{
	sFrameRateMax = (double)frameRateMax;
	ResetTimes();
	sFrameTimeStart = PlatformCounterRead();
}

void KEFrameRateControllerReset()
{
	ResetTimes();
}

void KEFrameRateControllerStart()
{
	sTimerSecondsPerCount = 1.0 / (double)PlatformCounterFrequency();
	sFrameTimeStart = PlatformCounterRead();
}

void KEFrameRateControllerEnd()
{
	if (sVirtualClock)
	{
		sFrameTime = sFrameTimeMin > 0.0 ? sFrameTimeMin : 1.0 / 60.0;
	}
	else
	{
		// Sleep while more than a margin of the frame is left, so that a waiting game does
		// not hold a whole core; then spin on the counter, so that frames leave as close to
		// the limit as the counter allows.
		const double margin = 0.0005;
		const double left = sFrameTimeMin - (double)(PlatformCounterRead() - sFrameTimeStart) * sTimerSecondsPerCount;
		if (left > margin)
			PlatformSleepMicroseconds((unsigned int)((left - margin) * 1e6));
		do
		{
			sFrameTimeEnd = PlatformCounterRead();
			sFrameTime = (double)(sFrameTimeEnd - sFrameTimeStart) * sTimerSecondsPerCount;
		} while (sFrameTimeMin > sFrameTime);
	}
	sFrameRate = 1.0 / sFrameTime;
	++sFrameCounter;
}

double KEFrameRateControllerGetFrameTime()
{
	return sFrameTime;
}

unsigned int KEFrameRateControllerGetFrameCount()
{
	return sFrameCounter;
}

void KEFrameRateControllerUseVirtualClock(bool on)
{
	sVirtualClock = on;
}
