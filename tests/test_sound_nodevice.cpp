// Without any output device the game runs on silently.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <string>
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

namespace
{
// In a fresh process (OpenAL Soft reads its settings once): ALSA as the only driver, aimed at
// a card no machine has, so the device cannot open here or anywhere. Exits 0 when the game
// said so in its one line on standard output; whatever reached standard error is the
// caller's to judge.
[[noreturn]] void StartSoundWithoutACard(bool driverLog)
{
	const std::string conf = testing::TempDir() + "nullvane_nocard_" + std::to_string(getpid()) + ".conf";
	std::FILE* file = std::fopen(conf.c_str(), "w");
	std::fputs("[general]\ndrivers=alsa\n[alsa]\ndevice=hw:CARD=NullvaneNoSuchCard\n", file);
	std::fclose(file);
	setenv("ALSOFT_CONF", conf.c_str(), 1);
	unsetenv("ALSOFT_DRIVERS");
	if (driverLog)
		setenv("ALSOFT_LOGLEVEL", "1", 1);
	else
		unsetenv("ALSOFT_LOGLEVEL");

	testing::internal::CaptureStdout();
	{
		SoundManager sm;
		sm.LoadSounds();
		sm.PlayOnSlot(0, sm.music);
	}
	const std::string out = testing::internal::GetCapturedStdout();
	std::remove(conf.c_str());
	_exit(out == "Sound: no output driver, playing silently\n" ? 0 : 1);   // no exit handlers: only what sound wrote
}
} // namespace

TEST(SoundNoDevice, NoCardMeansOneLineAndNoDriverNoiseUnlessTheDriverLogIsAskedFor)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");   // a new process, so OpenAL starts afresh
	EXPECT_EXIT(StartSoundWithoutACard(false), testing::ExitedWithCode(0), "^$");   // nothing at all
	// The same start with OpenAL's log asked for shows what is kept off the terminal.
	EXPECT_EXIT(StartSoundWithoutACard(true), testing::ExitedWithCode(0), "ALSA lib");
}
