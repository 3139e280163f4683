// The OpenAL sound system on OpenAL Soft's wave backend, which writes the real mix to a WAV file:
// what was audible, paused, muted or pitched is measured there (tone440_1s.ogg: sox, oggenc -q 0).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>
#include "Audio.h"

namespace
{
const char* const kTone = "tests/data/sound/tone440_1s.ogg";
const long        kWindow = 441 * 4;   // 10 ms of 44.1 kHz stereo 16-bit, as configured

// Per process: ctest may run these side by side.
std::string TempFile(const char* name) { return testing::TempDir() + "nullvane" + std::to_string(getpid()) + name; }

// Each test plays its sound decoded whole, and again streamed as the music is.
class SoundOpenAL : public ::testing::TestWithParam<bool>
{
protected:
	void SetUp() override
	{
		PlatformAudioStreamLongerThan(GetParam() ? 0.0 : 10.0);
		// OpenAL Soft reads this once, at the first call into it.
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
	// Waits on audio written, not on the clock, however busy the machine; returns where the mix has got to.
	long After(double seconds)
	{
		long target = Written() + (long)(seconds * 100) * kWindow;
		for (int i = 0; i < 4000 && Written() < target; ++i)
			std::this_thread::sleep_for(std::chrono::milliseconds(5));
		EXPECT_GE(Written(), target) << "the wave backend stopped writing";
		return Written();
	}
	// Closes the device, completing the file; keeps the loudest sample of every 10 ms to its end, whatever the header says.
	void Finish()
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

TEST_P(SoundOpenAL, MusicIsAudibleAndSilentWhilePausedOrMuted)
{
	AudioSound*  music = audio->CreateStream(kTone, true);
	long         start = After(0.1);
	AudioChannel channel = audio->PlaySound(music);
	audio->SetVolume(channel, 0.5f);
	long paused = After(0.5);
	audio->SetPaused(channel, true), After(0.5);
	audio->SetMute(channel, true), audio->SetPaused(channel, false);   // muted while paused, then resumed: not even a blip
	long marks[4] = { paused };
	for (int i = 1; i < 4; ++i)   // unmuted, muted, unmuted
		marks[i] = After(0.5), audio->SetMute(channel, i == 2);
	long end = After(0.5);
	Finish();
	const int level = Peak(start, paused);
	EXPECT_GT(level, 3000);
	EXPECT_LE(Peak(marks[0], marks[1]), 2) << "silent while paused and on resuming muted";
	EXPECT_LE(Peak(marks[2], marks[3]), 2) << "silent while muted";
	EXPECT_NEAR(Peak(marks[1], marks[2]), level, level * 0.1) << "un-muting brings back the volume set before";
	EXPECT_NEAR(Peak(marks[3], end), level, level * 0.1) << "past the end of the file: it loops";
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

TEST_P(SoundOpenAL, BrokenFilesGiveNoSoundAndNoLengthQuietly)
{
	std::string head(300, '\0');
	std::ifstream(kTone, std::ios::binary).read(head.data(), head.size());
	for (auto [name, bytes] : { std::pair<const char*, std::string>{ "empty.ogg", "" }, { "text.ogg", "not a sound at all\n" }, { "cut.ogg", head } })
		std::ofstream(TempFile(name), std::ios::binary) << bytes;
	for (std::string path : { std::string("tests/data/sound/missing.ogg"), TempFile("empty.ogg"), TempFile("text.ogg"), TempFile("cut.ogg") })
	{
		EXPECT_TRUE(!audio->CreateStream(path.c_str(), false) && PlatformAudioOggSeconds(path.c_str()) == -1.0) << path;
		std::remove(path.c_str());
	}
	EXPECT_TRUE(!audio->CreateStream(nullptr, true) && PlatformAudioOggSeconds(nullptr) == -1.0);
}

INSTANTIATE_TEST_SUITE_P(WholeAndStreamed, SoundOpenAL, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Streamed" : "Whole"; });
