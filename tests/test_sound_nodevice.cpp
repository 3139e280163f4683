// Without any output device the game runs on silently.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include "SoundManager.h"

namespace
{
// In a fresh process, as OpenAL Soft reads its settings once. Exits 0 when the game said, in
// its one line on standard output, that it plays silently; standard error is the caller's to judge.
[[noreturn]] void StartSound(const char* drivers, bool driverLog)
{
	const std::string conf = testing::TempDir() + "nullvane_nocard_" + std::to_string(getpid()) + ".conf";
	std::ofstream(conf) << "[general]\ndrivers=alsa\n[alsa]\ndevice=hw:CARD=NullvaneNoSuchCard\n";   // a card no machine has
	setenv("ALSOFT_CONF", conf.c_str(), 1);
	drivers ? setenv("ALSOFT_DRIVERS", drivers, 1) : unsetenv("ALSOFT_DRIVERS");
	driverLog ? setenv("ALSOFT_LOGLEVEL", "1", 1) : unsetenv("ALSOFT_LOGLEVEL");
	testing::internal::CaptureStdout();
	{
		SoundManager sm;
		sm.LoadSounds();
		bool counted = false;
		for (int id = -1; id <= SOUND_ID_COUNT; ++id)   // every operation is harmless
			sm.PlayOnSlot(id, sm.music), sm.PlayEffect(id), sm.GuardAlarm(id % 3, 2, counted, 5.0f), sm.Update();
		sm.HackSound(false), sm.ToggleMute(), sm.ToggleSlotPause(sm.music), sm.PauseSlot(sm.alarm);
		sm.PauseLevelSounds(), sm.Release();
	}   // and the destructor after Release
	const bool ok = testing::internal::GetCapturedStdout() == "Sound: no output driver, playing silently\n" && gDetectingGuards == 0 && !gAlarmMusicOn;
	std::remove(conf.c_str());
	_exit(ok ? 0 : 1);   // no exit handlers: only what sound wrote
}
} // namespace

TEST(SoundNoDevice, NoDriverOrNoCardMeansOneLineAndNoDriverNoiseUnlessTheDriverLogIsAskedFor)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT(StartSound("nullvane-no-such-backend", false), testing::ExitedWithCode(0), "^$");   // a backend list naming nothing real
	EXPECT_EXIT(StartSound(nullptr, false), testing::ExitedWithCode(0), "^$");   // ALSA alone, on a card that cannot open
	EXPECT_EXIT(StartSound(nullptr, true), testing::ExitedWithCode(0), "ALSA lib");   // what is kept off the terminal
}
