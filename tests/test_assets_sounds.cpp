// Every sound file the game opens is in the repository and decodes; the music is long enough to
// loop; and what is played over the music sits well with it.
#include <gtest/gtest.h>

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "SoundManager.h"

namespace
{
const double kPi = 3.14159265358979323846;

struct Pcm
{
	int rate = 0;
	std::vector<std::vector<double>> channels;
};

// Reads the whole file as the game hears it; the asset generators write OGG Vorbis only.
Pcm Decode(const std::string& path)
{
	Pcm pcm;
	OggVorbis_File vf;
	if (ov_fopen(path.c_str(), &vf) != 0)
		return pcm;
	const vorbis_info* info = ov_info(&vf, -1);
	pcm.rate = (int)info->rate;
	pcm.channels.resize(info->channels);
	for (;;)
	{
		float** chunk = nullptr;
		int section = 0;
		const long n = ov_read_float(&vf, &chunk, 4096, &section);
		if (n <= 0)
			break;
		for (size_t c = 0; c < pcm.channels.size(); ++c)
			pcm.channels[c].insert(pcm.channels[c].end(), chunk[c], chunk[c] + n);
	}
	ov_clear(&vf);
	return pcm;
}

struct Biquad
{
	double b0, b1, b2, a1, a2;   // normalised by a0
	std::vector<double> Run(const std::vector<double>& x) const
	{
		std::vector<double> y(x.size());
		double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
		for (size_t i = 0; i < x.size(); ++i)
		{
			y[i] = b0 * x[i] + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
			x2 = x1, x1 = x[i], y2 = y1, y1 = y[i];
		}
		return y;
	}
};

Biquad Make(double b0, double b1, double b2, double a0, double a1, double a2)
{
	return { b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0 };
}

Biquad HighPass(int rate, double f0, double q)
{
	const double w = 2 * kPi * f0 / rate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
	return Make((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

// K-weighting, the ear's weighting of loudness: a +4 dB shelf above 1.7 kHz, then a 38 Hz high-pass.
std::vector<double> KWeighted(const std::vector<double>& x, int rate)
{
	const double a = std::pow(10.0, 4.0 / 40.0), w = 2 * kPi * 1681.97 / rate, c = std::cos(w);
	const double alpha = std::sin(w) / (2 * 0.7071752), s = 2 * std::sqrt(a) * alpha;
	const Biquad shelf = Make(a * ((a + 1) + (a - 1) * c + s), -2 * a * ((a - 1) + (a + 1) * c), a * ((a + 1) + (a - 1) * c - s),
	                          (a + 1) - (a - 1) * c + s, 2 * ((a - 1) - (a + 1) * c), (a + 1) - (a - 1) * c - s);
	return HighPass(rate, 38.1355, 0.5003270).Run(shelf.Run(x));
}

// Mean-square loudness of 400 ms blocks every `hop` seconds, channels summed, in LUFS.
std::vector<double> Blocks(const Pcm& pcm, double hop)
{
	const size_t block = (size_t)(0.4 * pcm.rate), step = (size_t)(hop * pcm.rate);
	std::vector<double> sum;
	for (const std::vector<double>& channel : pcm.channels)
	{
		std::vector<double> k = KWeighted(channel, pcm.rate);
		k.resize(std::max(k.size(), block), 0.0);
		std::vector<double> acc(k.size() + 1, 0.0);
		for (size_t i = 0; i < k.size(); ++i)
			acc[i + 1] = acc[i] + k[i] * k[i];
		for (size_t s = 0, b = 0; s + block <= k.size(); s += step, ++b)
		{
			if (b == sum.size())
				sum.push_back(0.0);
			sum[b] += (acc[s + block] - acc[s]) / block;
		}
	}
	for (double& v : sum)
		v = -0.691 + 10 * std::log10(v + 1e-20);
	return sum;
}

double Loudest400ms(const Pcm& pcm)
{
	const std::vector<double> b = Blocks(pcm, 0.01);
	return *std::max_element(b.begin(), b.end());
}

// Gated loudness of a whole piece (blocks below -70 LUFS, then those 10 dB under the mean, left out).
double Integrated(const Pcm& pcm)
{
	const std::vector<double> blocks = Blocks(pcm, 0.1);
	double gate = -70.0;
	for (int pass = 0; pass < 2; ++pass)
	{
		double energy = 0.0;
		int n = 0;
		for (double b : blocks)
			if (b > gate)
				energy += std::pow(10.0, (b + 0.691) / 10.0), ++n;
		const double mean = -0.691 + 10 * std::log10(energy / std::max(n, 1));
		if (pass == 1)
			return mean;
		gate = mean - 10.0;
	}
	return gate;
}

std::string Path(int id) { return gSoundPaths[id]; }
bool IsMusic(int id) { return id == 0 || id == 3 || id == 5; }
}

TEST(AssetsSounds, EveryFileOfTheSoundTableDecodesAndTheMusicLastsTwentyToSixtySeconds)
{
	for (int id = 0; id < SOUND_ID_COUNT; ++id)
	{
		double seconds = gSoundPaths[id].empty() ? 1.0 : PlatformAudioOggSeconds(gSoundPaths[id].c_str());
		EXPECT_TRUE(seconds > 0.0 && (!IsMusic(id) || (seconds >= 20.0 && seconds <= 60.0))) << gSoundPaths[id] << ": " << seconds;
	}
}

TEST(AssetsSounds, EffectsStandAtMostEightDecibelsAboveTheMenuMusicAsItPlays)
{
	// The music slot plays at 0.6, effects at full volume: compare the loudest 400 ms of each effect
	// with the whole menu loop turned down to 0.6.
	const double music = Integrated(Decode(Path(0))) + 20 * std::log10(0.6);
	for (int id = 0; id < SOUND_ID_COUNT; ++id)
	{
		if (IsMusic(id) || Path(id).empty())
			continue;
		const double effect = Loudest400ms(Decode(Path(id)));
		EXPECT_LE(effect - music, 8.0) << Path(id) << " is " << effect - music << " dB above the menu music";
	}
}

TEST(AssetsSounds, LevelMusicKeepsAQuarterOfItsEnergyAbove300Hz)
{
	// Laptop speakers give little below 300 Hz: a track that lives down there is a murmur on them.
	const Pcm pcm = Decode(Path(3));
	ASSERT_FALSE(pcm.channels.empty());
	double all = 0.0, high = 0.0;
	for (const std::vector<double>& channel : pcm.channels)
	{
		// Fourth-order Butterworth high-pass: two sections.
		const std::vector<double> h = HighPass(pcm.rate, 300.0, 1.3065630).Run(HighPass(pcm.rate, 300.0, 0.5411961).Run(channel));
		for (size_t i = 0; i < channel.size(); ++i)
			all += channel[i] * channel[i], high += h[i] * h[i];
	}
	EXPECT_GE(high / all, 0.25);
}

TEST(AssetsSounds, AlertGruntsFadeOutInsteadOfStoppingDead)
{
	// Every distracted guard says one of these. A voice cut off on a glottal pulse ticks: after its
	// last loud moment (peak within 12 dB of the loudest, 15 ms windows) it may not fall 10 dB in 10 ms.
	for (int id = 6; id <= 8; ++id)
	{
		const Pcm pcm = Decode(Path(id));
		ASSERT_FALSE(pcm.channels.empty()) << Path(id);
		const std::vector<double>& x = pcm.channels[0];
		const size_t win = (size_t)(0.015 * pcm.rate), hop = (size_t)(0.005 * pcm.rate);
		std::vector<double> peak;
		for (size_t s = 0; s + win <= x.size(); s += hop)
		{
			double p = 1e-9;
			for (size_t i = s; i < s + win; ++i)
				p = std::max(p, std::fabs(x[i]));
			peak.push_back(20 * std::log10(p));
		}
		const double loudest = *std::max_element(peak.begin(), peak.end());
		size_t last = 0;
		for (size_t i = 0; i < peak.size(); ++i)
			if (peak[i] >= loudest - 12.0)
				last = i;
		ASSERT_LT(last + 2, peak.size()) << Path(id);
		EXPECT_LT(peak[last] - peak[last + 2], 10.0) << Path(id) << " stops dead at " << last * 0.005 << " s";
	}
}
