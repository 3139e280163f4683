// The OpenAL sound system on OpenAL Soft's wave backend, which writes the real mix to
// a WAV file: what was audible, paused, muted or pitched is measured in that file.
//
// The test sounds in tests/data/sound were made with sox and oggenc:
//   sox -n -r 22050 -c 1 -b 16 t.wav synth 1.0 sine 440 vol 0.5
//   oggenc -Q -q 0 -o tone440_1s.ogg t.wav
//   sox -n -r 22050 -c 2 -b 16 s.wav synth 0.5 sine 660 sine 330 vol 0.5
//   oggenc -Q -q 0 -o tone_stereo_05s.ogg s.wav
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#include "Audio.h"
#include "GameObject.h"
#include "SoundManager.h"

namespace
{
// Per process: ctest may run these tests side by side.
std::string TempFile(const char* name)
{
	return testing::TempDir() + "nullvane_sound_" + std::to_string(getpid()) + "_" + name;
}

std::string WavPath()
{
	return TempFile("mix.wav");
}

// OpenAL Soft reads its configuration once, at the first call into it.
void UseWaveBackend()
{
	static bool done = false;
	if (done)
		return;
	done = true;
	std::string conf = TempFile("alsoft.conf");
	std::ofstream out(conf);
	out << "[general]\ndrivers=wave\nfrequency=44100\nchannels=stereo\nsample-type=int16\n"
	       "dither=false\n[wave]\nfile="
	    << WavPath() << "\n";
	out.close();
	setenv("ALSOFT_CONF", conf.c_str(), 1);
	unsetenv("ALSOFT_DRIVERS");
}

std::string DataPath(const char* name)
{
	const char* root = getenv("NULLVANE_SOURCE_DIR");
	return std::string(root ? root : ".") + "/tests/data/sound/" + name;
}

long FileSize(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 ? (long)st.st_size : -1;
}

// Waits until the mixer has written this much more audio, so every phase of a test
// lasts the same in the file however busy the machine is.
void WaitRendered(double seconds)
{
	const long bytes = (long)(seconds * 44100 * 2 * 2);
	long start = FileSize(WavPath());
	for (int i = 0; i < 4000; ++i)
	{
		if (FileSize(WavPath()) - start >= bytes)
			return;
		std::this_thread::sleep_for(std::chrono::milliseconds(5));
	}
	FAIL() << "the wave backend stopped writing";
}

void WaitEnded(AudioSystem* audio, AudioChannel channel)
{
	for (int i = 0; i < 4000 && audio->GetState(channel) != AUDIO_CHANNEL_NONE; ++i)
		std::this_thread::sleep_for(std::chrono::milliseconds(5));
	ASSERT_EQ(audio->GetState(channel), AUDIO_CHANNEL_NONE) << "the one-shot never ended";
}

// The mix the wave backend wrote: interleaved 16-bit samples.
struct Mix
{
	int                  rate = 0;
	int                  channels = 0;
	std::vector<int16_t> samples;

	size_t Frames() const { return channels ? samples.size() / channels : 0; }
	size_t Frame(double seconds) const { return std::min(Frames(), (size_t)std::max(0.0, seconds * rate)); }

	double Rms(double from, double to) const
	{
		double sum = 0.0;
		size_t a = Frame(from) * channels, b = Frame(to) * channels;
		for (size_t i = a; i < b; ++i)
			sum += (samples[i] / 32768.0) * (samples[i] / 32768.0);
		return b > a ? std::sqrt(sum / (b - a)) : 0.0;
	}

	int Peak(double from, double to) const
	{
		int peak = 0;
		for (size_t i = Frame(from) * channels; i < Frame(to) * channels; ++i)
			peak = std::max(peak, std::abs((int)samples[i]));
		return peak;
	}
};

Mix ReadMix()
{
	std::ifstream in(WavPath(), std::ios::binary);
	std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	Mix mix;
	int bits = 0;
	for (size_t at = 12; at + 8 <= bytes.size();)
	{
		std::string id(&bytes[at], 4);
		uint32_t size;
		memcpy(&size, &bytes[at + 4], 4);
		if (id == "fmt ")
		{
			uint16_t c, b;
			uint32_t r;
			memcpy(&c, &bytes[at + 10], 2);
			memcpy(&r, &bytes[at + 12], 4);
			memcpy(&b, &bytes[at + 22], 2);
			mix.channels = c, mix.rate = (int)r, bits = b;
		}
		if (id == "data")
		{
			// Up to the end of the file, whatever the header says.
			mix.samples.resize((bytes.size() - at - 8) / 2);
			memcpy(mix.samples.data(), &bytes[at + 8], mix.samples.size() * 2);
			break;
		}
		at += 8 + size;
	}
	EXPECT_EQ(bits, 16);
	EXPECT_GT(mix.channels, 0);
	EXPECT_GT(mix.rate, 0);
	if (bits != 16 || mix.channels <= 0 || mix.rate <= 0)
		return Mix();
	return mix;
}

struct Stretch
{
	bool   loud;
	double start, length;   // seconds
	double rms;             // 0 to 1
};

// Splits the mix into loud and quiet runs of 10 ms windows; runs shorter than 30 ms
// (the fades at a pause or a start) join the run before them.
std::vector<Stretch> Runs(const Mix& mix)
{
	std::vector<Stretch> raw;
	for (int w = 0; (size_t)((w + 1) * mix.rate / 100) <= mix.Frames(); ++w)
	{
		double t = w * 0.01;
		bool   loud = mix.Rms(t, t + 0.01) > 0.02;
		if (!raw.empty() && raw.back().loud == loud)
			raw.back().length += 0.01;
		else
			raw.push_back({ loud, t, 0.01, 0.0 });
	}
	std::vector<Stretch> runs;
	for (const Stretch& run : raw)
	{
		if (!runs.empty() && (run.length < 0.03 || runs.back().loud == run.loud))
			runs.back().length += run.length;
		else
			runs.push_back(run);
	}
	// Silence before the first sound and after the last does not count.
	while (!runs.empty() && !runs.front().loud)
		runs.erase(runs.begin());
	while (!runs.empty() && !runs.back().loud)
		runs.pop_back();
	for (Stretch& run : runs)
		run.rms = mix.Rms(run.start, run.start + run.length);
	return runs;
}

class SoundOpenAL : public ::testing::Test
{
protected:
	void SetUp() override
	{
		UseWaveBackend();
		audio = PlatformAudioCreate();
		ASSERT_NE(audio, nullptr);
		ASSERT_GT(audio->GetNumDrivers(), 0);
		std::remove(TempFile("alsoft.conf").c_str());   // read once, at the first call
		ASSERT_TRUE(audio->Init(100));
	}

	void TearDown() override
	{
		if (audio)
			audio->Release();
		delete audio;
		std::remove(WavPath().c_str());
	}

	void Finish()
	{
		audio->Release();
		delete audio;
		audio = nullptr;
	}

	AudioSystem* audio = nullptr;
};
}

TEST_F(SoundOpenAL, MusicIsAudibleAndSilentWhilePausedOrMuted)
{
	AudioSound* music = audio->CreateStream(DataPath("tone440_1s.ogg").c_str(), true);
	ASSERT_NE(music, nullptr);
	WaitRendered(0.1);

	AudioChannel channel = audio->PlaySound(music);
	audio->SetVolume(channel, 0.5f);
	WaitRendered(0.5);
	audio->SetPaused(channel, true);
	EXPECT_EQ(audio->GetState(channel), AUDIO_CHANNEL_PAUSED);
	WaitRendered(0.5);
	audio->SetMute(channel, true);   // muted while paused, then resumed: not a blip
	audio->SetPaused(channel, false);
	EXPECT_EQ(audio->GetState(channel), AUDIO_CHANNEL_PLAYING);
	WaitRendered(0.5);
	audio->SetMute(channel, false);
	WaitRendered(0.5);
	audio->SetMute(channel, true);
	WaitRendered(0.5);
	audio->SetMute(channel, false);
	WaitRendered(0.7);   // past the one-second file: it loops
	Finish();

	Mix                  mix = ReadMix();
	std::vector<Stretch> runs = Runs(mix);
	ASSERT_EQ(runs.size(), 5u) << "loud, paused and muted, loud, muted, loud";
	EXPECT_GT(runs[1].length, 0.85);
	EXPECT_LT(runs[1].length, 1.2);
	EXPECT_GT(runs[3].length, 0.35);
	EXPECT_LT(runs[3].length, 0.7);
	for (int i : { 1, 3 })
	{
		EXPECT_FALSE(runs[i].loud);
		// Away from the fades at its edges a gap holds nothing at all.
		EXPECT_LE(mix.Peak(runs[i].start + 0.05, runs[i].start + runs[i].length - 0.05), 2) << i;
	}
	for (int i : { 0, 2, 4 })
	{
		EXPECT_TRUE(runs[i].loud);
		EXPECT_GT(runs[i].length, 0.35) << i;
		EXPECT_GT(runs[i].rms, 0.05) << i;
		// Un-muting brings back the volume set before.
		EXPECT_NEAR(runs[i].rms, runs[0].rms, runs[0].rms * 0.15) << i;
	}
	EXPECT_GT(runs[4].length, 0.6) << "a looping stream goes on past its end";
}

// The manager over the real stack: the music slot's volume, the ducking while paused
// and the mute switch as they come out of the mixer.
TEST_F(SoundOpenAL, ManagerVolumesReachTheMix)
{
	gMuted = false;
	gPaused = false;
	SoundManager sm(audio);
	sm.sounds[3] = audio->CreateStream(DataPath("tone440_1s.ogg").c_str(), true);
	ASSERT_NE(sm.sounds[3], nullptr);
	WaitRendered(0.1);

	sm.PlayOnSlot(3, sm.music);
	WaitRendered(0.5);
	gPaused = true;
	sm.Update();
	WaitRendered(0.5);
	gPaused = false;
	sm.Update();
	WaitRendered(0.5);
	sm.ToggleMute();
	WaitRendered(0.5);
	sm.ToggleMute();
	WaitRendered(0.5);
	sm.Release();   // the manager releases the system it was given

	Mix                  mix = ReadMix();
	std::vector<Stretch> runs = Runs(mix);
	ASSERT_EQ(runs.size(), 3u) << "playing (ducked in the middle), muted, playing";
	EXPECT_GT(runs[0].length, 1.35);
	EXPECT_GT(runs[1].length, 0.35);
	EXPECT_LE(mix.Peak(runs[1].start + 0.05, runs[1].start + runs[1].length - 0.05), 2);

	// Sample the middle of each half-second phase.
	double t = runs[0].start;
	double full = mix.Rms(t + 0.1, t + 0.4);
	double ducked = mix.Rms(t + 0.6, t + 0.9);
	double back = mix.Rms(t + 1.1, t + 1.4);
	EXPECT_NEAR(ducked / full, 0.35, 0.03);
	EXPECT_NEAR(back / full, 1.0, 0.03);
	EXPECT_NEAR(runs[2].rms / full, 1.0, 0.05) << "un-muting keeps the volume";
	// Tone at half scale, panned to the middle of two speakers, at volume 0.6.
	EXPECT_NEAR(full, 0.5 * 0.6 / 2.0, 0.03);
}

TEST_F(SoundOpenAL, PitchShortensAOneShot)
{
	AudioSound* once = audio->CreateStream(DataPath("tone440_1s.ogg").c_str(), false);
	ASSERT_NE(once, nullptr);
	WaitRendered(0.1);
	AudioChannel normal = audio->PlaySound(once);
	WaitEnded(audio, normal);
	WaitRendered(0.3);
	AudioChannel fast = audio->PlaySound(once);
	audio->SetPitch(fast, 1.5f);
	WaitEnded(audio, fast);
	WaitRendered(0.3);
	Finish();

	std::vector<Stretch> runs = Runs(ReadMix());
	ASSERT_EQ(runs.size(), 3u) << "the tone, a pause, the faster tone";
	EXPECT_NEAR(runs[0].length, 1.0, 0.06);
	EXPECT_NEAR(runs[2].length / runs[0].length, 1.0 / 1.5, 0.08);
}

TEST_F(SoundOpenAL, OneShotPausesInPlaceAndRewindsToItsStart)
{
	AudioSound* once = audio->CreateStream(DataPath("tone440_1s.ogg").c_str(), false);
	ASSERT_NE(once, nullptr);
	WaitRendered(0.1);
	AudioChannel channel = audio->PlaySound(once);
	WaitRendered(0.3);
	audio->SetPaused(channel, true);
	WaitRendered(0.3);
	EXPECT_EQ(audio->GetState(channel), AUDIO_CHANNEL_PAUSED) << "a paused one-shot has not ended";
	audio->SetPaused(channel, false);
	WaitEnded(audio, channel);
	WaitRendered(0.3);

	channel = audio->PlaySound(once);
	WaitRendered(0.4);
	audio->SetPaused(channel, true);
	audio->Rewind(channel);
	WaitRendered(0.3);
	audio->SetPaused(channel, false);
	WaitEnded(audio, channel);
	WaitRendered(0.2);
	Finish();

	std::vector<Stretch> runs = Runs(ReadMix());
	ASSERT_EQ(runs.size(), 7u);
	EXPECT_NEAR(runs[0].length + runs[2].length, 1.0, 0.06) << "resumed where it stopped";
	EXPECT_NEAR(runs[6].length, 1.0, 0.06) << "rewound to the start";
	EXPECT_LT(runs[4].length, 0.7);
}

TEST_F(SoundOpenAL, StaleHandlesNeverTouchTheSoundNowPlaying)
{
	AudioSound* music = audio->CreateStream(DataPath("tone440_1s.ogg").c_str(), true);
	AudioSound* stereo = audio->CreateStream(DataPath("tone_stereo_05s.ogg").c_str(), false);
	ASSERT_NE(music, nullptr);
	ASSERT_NE(stereo, nullptr);

	AudioChannel first = audio->PlaySound(music);
	audio->SetPaused(first, true);
	AudioChannel second = audio->PlaySound(music);   // one channel per sound
	EXPECT_EQ(audio->GetState(first), AUDIO_CHANNEL_NONE);
	EXPECT_EQ(audio->GetState(second), AUDIO_CHANNEL_PLAYING) << "restarted sounds play, unpaused";
	audio->SetPaused(first, true);
	audio->SetVolume(first, 0.0f);
	audio->Rewind(first);
	EXPECT_EQ(audio->GetState(second), AUDIO_CHANNEL_PLAYING);

	AudioChannel effect = audio->PlaySound(stereo);
	EXPECT_EQ(audio->GetState(effect), AUDIO_CHANNEL_PLAYING);
	EXPECT_EQ(audio->GetState(second), AUDIO_CHANNEL_PLAYING) << "different sounds play together";
	WaitEnded(audio, effect);
	audio->SetPaused(effect, false);   // an ended one-shot is not started again
	EXPECT_EQ(audio->GetState(effect), AUDIO_CHANNEL_NONE);
	AudioChannel reuse = audio->PlaySound(stereo);
	audio->SetPaused(effect, true);
	EXPECT_EQ(audio->GetState(reuse), AUDIO_CHANNEL_PLAYING);

	AudioChannel empty;
	audio->SetPaused(empty, false);
	audio->SetVolume(empty, 1.0f);
	audio->SetMute(empty, true);
	audio->SetPitch(empty, 2.0f);
	audio->Rewind(empty);
	EXPECT_EQ(audio->GetState(empty), AUDIO_CHANNEL_NONE);
	EXPECT_EQ(audio->PlaySound(nullptr).index, -1);

	audio->ReleaseSound(music);
	EXPECT_EQ(audio->GetState(second), AUDIO_CHANNEL_NONE);
	audio->ReleaseSound(nullptr);
}

TEST_F(SoundOpenAL, BrokenFilesGiveNoSoundQuietly)
{
	const std::string dir = testing::TempDir();
	const std::string empty = TempFile("empty.ogg");
	const std::string text = TempFile("text.ogg");
	const std::string cut = TempFile("cut.ogg");
	std::ofstream(empty).close();
	std::ofstream(text) << "not a sound at all\n";
	{
		std::ifstream in(DataPath("tone440_1s.ogg"), std::ios::binary);
		std::vector<char> head(300);
		in.read(head.data(), head.size());
		std::ofstream(cut, std::ios::binary).write(head.data(), head.size());
	}

	testing::internal::CaptureStdout();
	for (const std::string& path : { std::string("tests/data/sound/missing.ogg"), empty, text, cut, dir })
		EXPECT_EQ(audio->CreateStream(path.c_str(), false), nullptr) << path;
	EXPECT_EQ(audio->CreateStream(nullptr, true), nullptr);
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

	EXPECT_NEAR(PlatformAudioOggSeconds(DataPath("tone440_1s.ogg").c_str()), 1.0, 0.01);
	EXPECT_NEAR(PlatformAudioOggSeconds(DataPath("tone_stereo_05s.ogg").c_str()), 0.5, 0.01);
	for (const std::string& path : { std::string("tests/data/sound/missing.ogg"), empty, text, cut })
		EXPECT_EQ(PlatformAudioOggSeconds(path.c_str()), -1.0) << path;
	EXPECT_EQ(PlatformAudioOggSeconds(nullptr), -1.0);

	std::remove(empty.c_str());
	std::remove(text.c_str());
	std::remove(cut.c_str());
}
