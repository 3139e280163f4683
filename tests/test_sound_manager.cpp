// Sound: the sound manager's rules, played against a recording fake of the sound system; the
// game running on silently without any output device; and OpenAL on OpenAL Soft's wave backend,
// where what was audible, paused, muted or pitched is measured in the mix it writes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "Audio.h"
#include "GameObject.h"
#include "KEInput.h"
#include "SoundFake.h"
#include "SoundManager.h"
#include "Window.h"

namespace
{
class SoundManagerTest : public ::testing::Test
{
protected:
	void SetUp() override   // what the program does at start, then entering a level
	{
		fake.missing = { gSoundPaths[16], gSoundPaths[21] };   // ids 16 and 17 share a file
		sm.LoadSounds();
		PlatformInputClearKeys(), KEInputReset();
		gMuted = gPaused = false, gDeltaTime = 1.0f / 60.0f;
		sm.PlayOnSlot(5, sm.alarm), sm.PauseSlot(sm.alarm), sm.PlayOnSlot(0, sm.music);
		ChangeState(3);
	}
	void ChangeState(int musicId) { gDetectingGuards = 0, gAlarmMusicOn = false, sm.PauseLevelSounds(), sm.PlayOnSlot(musicId, sm.music); }
	void Key(unsigned char vk, bool down, int frames) { for (PlatformInputSetKey(vk, down), KEInputUpdate(); frames-- > 0;) sm.Update(); }
	template <class F> void EachSlot(F check) { for (SoundSlot* slot : sm.slotTable) check(*slot); }
	SoundFake::Channel& Ch(const SoundSlot& slot) { return *fake.At(slot.channel); }

	SoundFake    fake;
	SoundManager sm{ &fake };
};
}

TEST_F(SoundManagerTest, IdsWithoutASoundPlayNothingAndReleaseFreesTheLevelSounds)
{
	size_t started = fake.channels.size();
	for (int id : { 1, 2, 4, 16, 17, 19, 21, 24, 29, -1, 30 })
		sm.PlayEffect(id), sm.PlayOnSlot(id, sm.spareB);
	EXPECT_EQ(fake.channels.size(), started);
	for (int id = 0; id < 24; ++id)   // the menu, level, alarm and radio music loop; effects play once
		EXPECT_TRUE(!sm.sounds[id] || fake.Loops(sm.sounds[id]) == (id == 0 || id == 3 || id == 5 || id == 15)) << id;
	sm.Release();   // ids 19 down to 0 that opened; the menu sounds go with the system
	EXPECT_TRUE(fake.released && fake.releasedSounds == 14);
}

TEST_F(SoundManagerTest, ChasingGuardsShareOneAlarmAndCountOnceEach)
{
	SoundFake::Channel &music = Ch(sm.music), &alarm = Ch(sm.alarm);
	bool a = false, b = false, c = false;
	sm.GuardAlarm(1, 2, a, 1000.0f);
	sm.GuardAlarm(1, 2, b, 1000.0f);
	sm.GuardAlarm(1, 0, a, 1000.0f);   // off to a radio and back, still pursuing: counted once
	sm.GuardAlarm(1, 2, a, 1000.0f);
	sm.GuardAlarm(1, 0, c, 1000.0f);   // pursuing a radio is no chase
	EXPECT_TRUE(a && !c && gAlarmMusicOn && music.paused && sm.music.paused && !alarm.paused && !sm.alarm.paused);
	EXPECT_TRUE(gDetectingGuards == 2 && alarm.rewinds == 1 && alarm.resumes == 1) << "the alarm starts once, at 0 ms";
	EXPECT_EQ(fake.Plays(sm.sounds[9]) + fake.Plays(sm.sounds[10]), 2);
	sm.GuardAlarm(2, 2, a, 1000.0f);
	EXPECT_TRUE(gDetectingGuards == 1 && !alarm.paused);
	for (int i = 0; i < 2; ++i)
		sm.GuardAlarm(0, 2, b, 1000.0f);
	EXPECT_TRUE(gDetectingGuards == 0 && !gAlarmMusicOn && alarm.paused && sm.alarm.paused) << "never below 0";
	EXPECT_TRUE(!music.paused && music.pauses == 1 && music.resumes == 1 && music.rewinds == 0) << "resumed where it stopped";
	sm.GuardAlarm(1, 2, b, 1000.0f);
	EXPECT_EQ(alarm.rewinds, 2) << "a new chase starts the alarm from its beginning";
}

TEST_F(SoundManagerTest, AlarmPitchRisesWithNearnessAndNeverReturnsToNormal)
{
	bool counted = false;
	// Unchanged up to 3 cells; any state counts; a farther guard steps it down, never to 1.
	for (auto [state, distance] : std::vector<std::pair<int, float>>{ { 0, 201 }, { 0, 200 }, { 0, 60 }, { 0, 59 }, { 0, 49 }, { 1, 29 }, { 2, 100 }, { 0, 5000 }, { 0, 55 } })
		sm.GuardAlarm(state, state == 1 ? 2 : 0, counted, distance);
	EXPECT_EQ(Ch(sm.alarm).pitches, std::vector<float>({ 1.1f, 1.1f, 1.25f, 1.1f, 1.25f, 1.5f, 1.1f }));
}

TEST_F(SoundManagerTest, PauseDucksFourSlotsExactlyAndVolumeKeysSweepThemAll)
{
	sm.PlayOnSlot(14, sm.hack);
	std::vector<float> before;
	EachSlot([&](SoundSlot& slot) { before.push_back(slot.volume); });
	for (bool paused : { true, false })
	{
		gPaused = paused;
		Key(0, false, paused ? 6 : 1);   // ducked once, not every frame; effects (2) and spare A (5) stay
		for (int i = 0; i < SOUND_SLOT_COUNT; ++i)
			EXPECT_FLOAT_EQ(sm.slotTable[i]->volume, before[i] * (paused && i != 2 && i != 5 ? 0.35f : 1.0f)) << i;
		EXPECT_TRUE(Ch(sm.music).volume == sm.music.volume && Ch(sm.hack).volume == sm.hack.volume);
	}
	EXPECT_TRUE(sm.music.volume == 0.6f && sm.hack.volume == 1.0f) << "back exactly";
	Key(0x21, true, 0), Key(0x22, true, 125);   // Page Down wins when both are held
	EachSlot([](SoundSlot& slot) { EXPECT_EQ(slot.volume, 0.0f); });
	Key(0x22, false, 150);   // back up, at most one step over
	EachSlot([](SoundSlot& slot) { EXPECT_LT(slot.volume, slot.maxVolume * (1.0f + 0.5f / 60.0f) + 1e-5f); });
	EXPECT_TRUE(Ch(sm.music).volume == 0.6f && Ch(sm.hack).volume == 1.0f) << "held at the ceiling";
}

TEST_F(SoundManagerTest, LevelToLevelRestartsTheMusicAndMuteCoversOnlyNewSoundsAndSlots)
{
	SoundFake::Channel& first = Ch(sm.music);
	ChangeState(3);
	SoundFake::Channel& level = Ch(sm.music);
	EXPECT_TRUE(first.stopped && !level.paused && !sm.music.paused && level.sound == sm.sounds[3]);
	sm.ToggleMute(), sm.PlayEffect(20);
	SoundFake::Channel& forgotten = Ch(sm.effects);
	sm.PlayOnSlot(14, sm.hack), sm.PlayEffect(18), ChangeState(0);
	EXPECT_TRUE(gMuted && level.muted && forgotten.muted && Ch(sm.hack).muted && Ch(sm.effects).muted && Ch(sm.music).muted);
	sm.ToggleMute();
	EXPECT_FALSE(gMuted || Ch(sm.music).muted || Ch(sm.hack).muted || Ch(sm.effects).muted);
	EXPECT_TRUE(forgotten.muted) << "an effect the slot forgot stays muted";
}

TEST_F(SoundManagerTest, HackSoundStartsOnSpaceRunsWhileItIsHeldAndNeverOnceHacked)
{
	for (int frame = 0; frame < 5; ++frame)   // held three frames, then let go
		PlatformInputSetKey(0x20, frame < 3), KEInputUpdate(), sm.HackSound(false);
	EXPECT_TRUE(fake.Plays(sm.sounds[14]) == 1 && sm.hack.paused && Ch(sm.hack).paused);
	PlatformInputSetKey(0x20, true), KEInputUpdate(), sm.HackSound(true);
	EXPECT_EQ(fake.Plays(sm.sounds[14]), 1);
}

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

namespace
{
const char* const kTone = "tests/data/sound/tone440_1s.ogg";
const long        kWindow = 441 * 4;   // 10 ms of 44.1 kHz stereo 16-bit, as configured

std::string TempFile(const char* name) { return testing::TempDir() + "nullvane" + std::to_string(getpid()) + name; }

// Each test plays its sound decoded whole, and again streamed as the music is.
class SoundOpenAL : public ::testing::TestWithParam<bool>
{
protected:
	void SetUp() override
	{
		PlatformAudioStreamLongerThan(GetParam() ? 0.0 : 10.0);
		std::ofstream(TempFile("alsoft.conf")) << "[general]\ndrivers=wave\nfrequency=44100\nchannels=stereo\nsample-type=int16\n"
		                                          "dither=false\n[wave]\nfile=" << TempFile("mix.wav") << "\n";
		setenv("ALSOFT_CONF", TempFile("alsoft.conf").c_str(), 1), unsetenv("ALSOFT_DRIVERS");
		audio = PlatformAudioCreate();
		ASSERT_GT(audio->GetNumDrivers(), 0);
		std::remove(TempFile("alsoft.conf").c_str());
		ASSERT_TRUE(audio->Init(100));
	}
	void TearDown() override { delete audio; std::remove(TempFile("mix.wav").c_str()); }
	long Written() { struct stat st; return stat(TempFile("mix.wav").c_str(), &st) == 0 ? (long)st.st_size : -1; }
	long After(double seconds)   // waits on audio written, not the clock; returns where the mix has got to
	{
		long target = Written() + (long)(seconds * 100) * kWindow;
		for (int i = 0; i < 4000 && Written() < target; ++i)
			std::this_thread::sleep_for(std::chrono::milliseconds(5));
		return Written();
	}
	void Finish()   // closes the device; keeps the loudest sample of every 10 ms, whatever the header says
	{
		delete audio, audio = nullptr;
		std::ifstream     in(TempFile("mix.wav"), std::ios::binary);
		std::vector<char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
		for (uint32_t size = 0; data + 8 <= (long)b.size() && memcmp(&b[data], "data", 4); data += 8 + size)
			memcpy(&size, &b[data + 4], 4);
		for (long at = data += 8; at + kWindow <= (long)b.size(); at += kWindow)
		{
			peaks.push_back(0);
			for (long i = at; i < at + kWindow; i += 2)
				peaks.back() = std::max(peaks.back(), std::abs((int)(int16_t)(uint8_t(b[i]) | uint8_t(b[i + 1]) << 8)));
		}
	}
	int Peak(long from, long to)   // the loudest between two marks, away from the fades at either end
	{
		long a = Window(from) + 10, b = Window(to) - 10;
		EXPECT_LT(a, b) << "no mix written there";
		return a < b ? *std::max_element(peaks.begin() + a, peaks.begin() + b) : -1;
	}
	int Loud(long from, long to)   // 10 ms windows with a sound in them
	{ return (int)std::count_if(peaks.begin() + Window(from), peaks.begin() + Window(to), [](int p) { return p > 900; }); }
	long Window(long mark) { return std::min((mark - data) / kWindow, (long)peaks.size()); }

	AudioSystem*     audio = nullptr;
	long             data = 12;   // the first chunk after "RIFF", size, "WAVE"
	std::vector<int> peaks;
};
}

TEST_P(SoundOpenAL, MusicIsAudibleSilentWhilePausedOrMutedAndLoops)
{
	AudioSound*  music = audio->CreateStream(kTone, true);
	long         start = After(0.1);
	AudioChannel channel = audio->PlaySound(music);
	audio->SetVolume(channel, 0.5f);
	long paused = After(0.5);
	audio->SetPaused(channel, true), After(0.5);
	audio->SetMute(channel, true), audio->SetPaused(channel, false);   // muted while paused, then resumed
	long unmuted = After(0.5);
	audio->SetMute(channel, false);
	long end = After(0.6);   // past the end of the file
	Finish();
	const int level = Peak(start, paused);
	EXPECT_GT(level, 3000);
	EXPECT_LE(Peak(paused, unmuted), 2) << "silent while paused and on resuming muted, not even a blip";
	EXPECT_NEAR(Peak(unmuted, end), level, level * 0.1) << "un-muting brings back the volume set before, and it loops";
}

TEST_P(SoundOpenAL, OneShotResumesInPlaceRewindsToItsStartAndPitchShortensIt)
{
	AudioSound* once = audio->CreateStream(kTone, false);
	long marks[4] = { After(0.1) }, resumed = 0;
	for (int pass = 0; pass < 3; ++pass)   // paused, paused and rewound, at pitch 1.5
	{
		AudioChannel channel = audio->PlaySound(once);
		audio->SetPitch(channel, pass == 2 ? 1.5f : 1.0f);
		if (pass < 2)
		{
			After(0.4), audio->SetPaused(channel, true);
			if (pass == 1)
				audio->Rewind(channel);
			resumed = After(0.3);
			EXPECT_EQ(audio->GetState(channel), AUDIO_CHANNEL_PAUSED) << "a paused one-shot has not ended";
			audio->SetPaused(channel, false);
		}
		for (int i = 0; i < 100 && audio->GetState(channel) != AUDIO_CHANNEL_NONE; ++i)
			After(0.05);
		audio->SetPaused(channel, false);   // an ended one-shot is not started again
		marks[pass + 1] = After(0.3);
	}
	Finish();
	EXPECT_NEAR(Loud(marks[0], marks[1]), 100, 6) << "resumed where it stopped";
	EXPECT_NEAR(Loud(resumed, marks[2]), 100, 6) << "rewound to its start";
	EXPECT_NEAR(Loud(marks[2], marks[3]), 67, 6) << "two thirds of the time";
}

INSTANTIATE_TEST_SUITE_P(WholeAndStreamed, SoundOpenAL, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Streamed" : "Whole"; });
