// Frame pacing on the real counter (only lower bounds, which a slow machine cannot break)
// and the virtual clock the game tests run on.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "KEFrameRateController.h"

namespace
{
void Work(int milliseconds)
{
	std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
} // namespace

TEST(FrameRate, RealClockHoldsTheLimitAndNeverClampsLongFrames)
{
	KEFrameRateControllerUseVirtualClock(false);
	KEFrameRateControllerInit(60);
	EXPECT_DOUBLE_EQ(KEFrameRateControllerGetFrameTime(), 1.0 / 60.0);
	EXPECT_EQ(KEFrameRateControllerGetFrameCount(), 0u);

	// A short frame is stretched to the limit.
	KEFrameRateControllerStart();
	Work(5);
	KEFrameRateControllerEnd();
	EXPECT_GE(KEFrameRateControllerGetFrameTime(), 1.0 / 60.0);
	EXPECT_EQ(KEFrameRateControllerGetFrameCount(), 1u);

	// A long frame reports its whole length.
	KEFrameRateControllerStart();
	Work(40);
	KEFrameRateControllerEnd();
	EXPECT_GE(KEFrameRateControllerGetFrameTime(), 0.040);
	EXPECT_EQ(KEFrameRateControllerGetFrameCount(), 2u);

	// Every state starts counting again, with the nominal frame time.
	KEFrameRateControllerReset();
	EXPECT_EQ(KEFrameRateControllerGetFrameCount(), 0u);
	EXPECT_DOUBLE_EQ(KEFrameRateControllerGetFrameTime(), 1.0 / 60.0);
}

TEST(FrameRate, NoLimitMeansNoWait)
{
	KEFrameRateControllerUseVirtualClock(false);
	KEFrameRateControllerInit(0);
	EXPECT_EQ(KEFrameRateControllerGetFrameTime(), 0.0);
	KEFrameRateControllerReset();
	EXPECT_EQ(KEFrameRateControllerGetFrameTime(), 0.0);

	KEFrameRateControllerStart();
	Work(2);
	KEFrameRateControllerEnd();
	EXPECT_GE(KEFrameRateControllerGetFrameTime(), 0.002);
	EXPECT_EQ(KEFrameRateControllerGetFrameCount(), 1u);
}

TEST(FrameRate, VirtualClockMeasuresExactlyOneFrameOfTheLimit)
{
	KEFrameRateControllerUseVirtualClock(true);
	KEFrameRateControllerInit(60);
	for (int i = 0; i < 3; ++i)
	{
		KEFrameRateControllerStart();
		if (i == 1)
			Work(30);   // a slow frame still measures one tick
		KEFrameRateControllerEnd();
		EXPECT_DOUBLE_EQ(KEFrameRateControllerGetFrameTime(), 1.0 / 60.0);
	}
	EXPECT_EQ(KEFrameRateControllerGetFrameCount(), 3u);

	KEFrameRateControllerInit(30);
	KEFrameRateControllerStart();
	KEFrameRateControllerEnd();
	EXPECT_DOUBLE_EQ(KEFrameRateControllerGetFrameTime(), 1.0 / 30.0);

	// Without a limit the virtual clock still ticks at the game's 60 per second.
	KEFrameRateControllerInit(0);
	KEFrameRateControllerStart();
	KEFrameRateControllerEnd();
	EXPECT_DOUBLE_EQ(KEFrameRateControllerGetFrameTime(), 1.0 / 60.0);
	KEFrameRateControllerUseVirtualClock(false);
}
