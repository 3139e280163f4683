// Every sound file the game opens decodes, the music loops long enough, and effects sit well with it.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>
#include <algorithm>
#include <cmath>
#include <numeric>
#include "SoundManager.h"

namespace
{
using Wave = std::vector<double>;
struct Pcm { int rate = 0; std::vector<Wave> channels; };

Pcm Decode(int id)
{
	Pcm pcm;
	OggVorbis_File vf;
	if (ov_fopen(gSoundPaths[id].c_str(), &vf) != 0)
		return pcm;
	pcm.rate = (int)ov_info(&vf, -1)->rate;
	pcm.channels.resize(ov_info(&vf, -1)->channels);
	float** chunk = nullptr;
	int section = 0;
	for (long n; (n = ov_read_float(&vf, &chunk, 4096, &section)) > 0;)
		for (size_t c = 0; c < pcm.channels.size(); ++c)
			pcm.channels[c].insert(pcm.channels[c].end(), chunk[c], chunk[c] + n);
	ov_clear(&vf);
	return pcm;
}

// One biquad section, coefficients not yet divided by a0.
Wave Filter(const Wave& x, double b0, double b1, double b2, double a0, double a1, double a2)
{
	Wave y(x.size());
	double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
	for (size_t i = 0; i < x.size(); ++i)
	{
		y[i] = (b0 * x[i] + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) / a0;
		x2 = x1, x1 = x[i], y2 = y1, y1 = y[i];
	}
	return y;
}

// K-weighted loudness (4 dB shelf above 1.7 kHz, 38 Hz high-pass) in LUFS of 400 ms blocks every `hop` s.
std::vector<double> Blocks(const Pcm& pcm, double hop)
{
	const double a = std::pow(10.0, 0.1), w = 2 * M_PI * 1681.97 / pcm.rate, c = std::cos(w);
	const double s = std::sqrt(a) * std::sin(w) / 0.7071752, hw = 2 * M_PI * 38.1355 / pcm.rate, hc = std::cos(hw);
	const double alpha = std::sin(hw) / (2 * 0.5003270);
	const size_t block = (size_t)(0.4 * pcm.rate), step = (size_t)(hop * pcm.rate);
	std::vector<double> sum;
	for (const Wave& channel : pcm.channels)
	{
		Wave k = Filter(channel, a * ((a + 1) + (a - 1) * c + s), -2 * a * ((a - 1) + (a + 1) * c), a * ((a + 1) + (a - 1) * c - s),
		                (a + 1) - (a - 1) * c + s, 2 * ((a - 1) - (a + 1) * c), (a + 1) - (a - 1) * c - s);
		k = Filter(k, (1 + hc) / 2, -(1 + hc), (1 + hc) / 2, 1 + alpha, -2 * hc, 1 - alpha);
		k.resize(std::max(k.size(), block), 0.0);
		sum.resize(std::max(sum.size(), (k.size() - block) / step + 1), 0.0);
		for (size_t at = 0, b = 0; at + block <= k.size(); at += step, ++b)
			sum[b] += std::inner_product(k.begin() + at, k.begin() + at + block, k.begin() + at, 0.0) / block;
	}
	for (double& v : sum)
		v = -0.691 + 10 * std::log10(v + 1e-20);
	return sum;
}

// Gated loudness of a whole piece: blocks below -70 LUFS, then those 10 dB under the mean, left out.
double Integrated(const Pcm& pcm)
{
	const std::vector<double> blocks = Blocks(pcm, 0.1);
	auto mean = [&](double gate) {
		double energy = 0.0;
		int n = 0;
		for (double b : blocks)
			if (b > gate)
				energy += std::pow(10.0, (b + 0.691) / 10.0), ++n;
		return -0.691 + 10 * std::log10(energy / std::max(n, 1));
	};
	return mean(mean(-70.0) - 10.0);
}

}

TEST(AssetsSounds, EveryFileDecodesMusicLasts20To60sEffectsStayNearTheMenuMusicAndGruntsFadeOut)
{
	// Effects play at full volume, music at 0.6: an effect's loudest 400 ms against the whole menu loop.
	const double music = Integrated(Decode(0)) + 20 * std::log10(0.6);
	for (int id = 0; id < SOUND_ID_COUNT; ++id)
	{
		const std::string& path = gSoundPaths[id];
		const bool isMusic = id == 0 || id == 3 || id == 5;
		const double seconds = path.empty() ? 1.0 : PlatformAudioOggSeconds(path.c_str());
		EXPECT_TRUE(seconds > 0.0 && (!isMusic || (seconds >= 20.0 && seconds <= 60.0))) << path << ": " << seconds;
		if (isMusic || path.empty())
			continue;
		const Pcm pcm = Decode(id);
		const std::vector<double> b = Blocks(pcm, 0.01);
		const double over = *std::max_element(b.begin(), b.end()) - music;
		EXPECT_LE(over, 8.0) << path << " is " << over << " dB above the menu music";
		if (id < 6 || id > 8)
			continue;
		// After its last loud moment (15 ms peak within 12 dB of the loudest) an alert grunt may not fall 10 dB in 10 ms.
		const Wave& x = pcm.channels.at(0);
		const size_t win = (size_t)(0.015 * pcm.rate), hop = (size_t)(0.005 * pcm.rate);
		std::vector<double> peak;
		for (size_t s = 0; s + win <= x.size(); s += hop)
			peak.push_back(20 * std::log10(std::max(1e-9, std::fabs(*std::max_element(x.begin() + s, x.begin() + s + win,
			                                 [](double p, double q) { return std::fabs(p) < std::fabs(q); })))));
		const double loudest = *std::max_element(peak.begin(), peak.end());
		size_t last = 0;
		for (size_t i = 0; i < peak.size(); ++i)
			last = peak[i] >= loudest - 12.0 ? i : last;
		ASSERT_LT(last + 2, peak.size()) << path;
		EXPECT_LT(peak[last] - peak[last + 2], 10.0) << path << " stops dead at " << last * 0.005 << " s";
	}
}
