// Without any output device the game runs on silently.
#include <gtest/gtest.h>

#include <cstdlib>
#include "SoundManager.h"

TEST(SoundNoDevice, TheManagerStopsAtConstructionAndEveryOperationIsHarmless)
{
	setenv("ALSOFT_DRIVERS", "nullvane-no-such-backend", 1);   // a backend list naming nothing real
	unsetenv("ALSOFT_CONF");
	testing::internal::CaptureStdout();
	{
		SoundManager sm;
		sm.LoadSounds();
		bool counted = false;
		for (int id = -1; id <= SOUND_ID_COUNT; ++id)
			sm.PlayOnSlot(id, sm.music), sm.PlayEffect(id), sm.GuardAlarm(id % 3, 2, counted, 5.0f), sm.Update();
		sm.HackSound(false), sm.ToggleMute(), sm.ToggleSlotPause(sm.music), sm.PauseSlot(sm.alarm);
		sm.PauseLevelSounds(), sm.Release();
	}   // and the destructor after Release
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "Sound: no output driver, playing silently\n");
	EXPECT_TRUE(gDetectingGuards == 0 && !gAlarmMusicOn);
}
