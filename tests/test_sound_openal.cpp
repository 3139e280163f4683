// OpenAL on OpenAL Soft's wave backend: what was audible, paused, muted or pitched is measured in the mix it writes.
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
