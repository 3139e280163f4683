// Frame pacing on the real counter (lower bounds only, which a slow machine cannot break)
// and the virtual clock the game tests run on.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "KEFrameRateController.h"

namespace
{
// One frame that works for the given time; returns the frame time it reports.
double Frame(int milliseconds)
{
	KEFrameRateControllerStart();
	std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
	KEFrameRateControllerEnd();
	return KEFrameRateControllerGetFrameTime();
}
} // namespace

TEST(FrameRate, RealClockHoldsTheLimitAndNeverClampsLongFrames)
{
	KEFrameRateControllerUseVirtualClock(false);
	KEFrameRateControllerInit(60);
	EXPECT_GE(Frame(5), 1.0 / 60.0);   // stretched to the limit
	EXPECT_GE(Frame(40), 0.040);       // reported whole
	EXPECT_EQ(KEFrameRateControllerGetFrameCount(), 2u);
	KEFrameRateControllerReset();   // every state starts counting from 0
	EXPECT_EQ(KEFrameRateControllerGetFrameCount(), 0u);
	EXPECT_DOUBLE_EQ(KEFrameRateControllerGetFrameTime(), 1.0 / 60.0);

	// No limit: no wait, and no frame time before the first frame ends.
	KEFrameRateControllerInit(0);
	EXPECT_EQ(KEFrameRateControllerGetFrameTime(), 0.0);
	EXPECT_GE(Frame(2), 0.002);
}

TEST(FrameRate, VirtualClockMeasuresExactlyOneFrameOfTheLimit)
{
	KEFrameRateControllerUseVirtualClock(true);
	KEFrameRateControllerInit(60);
	EXPECT_DOUBLE_EQ(Frame(0), 1.0 / 60.0);
	EXPECT_DOUBLE_EQ(Frame(30), 1.0 / 60.0);   // a slow frame still measures one tick
	KEFrameRateControllerInit(0);                // without a limit it ticks at the game's 60 per second
	EXPECT_DOUBLE_EQ(Frame(0), 1.0 / 60.0);
	KEFrameRateControllerUseVirtualClock(false);
}
