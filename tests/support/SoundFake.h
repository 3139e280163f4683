#pragma once
// A sound system that plays nothing and records what the SoundManager asks of it.
#include <deque>
#include <set>
#include <string>
#include <vector>
#include "Audio.h"

class SoundFake : public AudioSystem
{
public:
	struct Channel
	{
		AudioSound*        sound = nullptr;
		bool               stopped = false, paused = false, muted = false;   // stopped: restarted elsewhere
		float              volume = 1.0f;
		int                pauses = 0, resumes = 0, rewinds = 0;   // transitions and calls
		std::vector<float> pitches;                                 // every pitch set, in order
	};

	int  GetNumDrivers() override { return 1; }
	bool Init(int) override { return true; }
	struct Opened { std::string path; bool loop; };
	AudioSound* CreateStream(const char* path, bool loop) override
	{
		if (missing.count(path))
			return nullptr;
		opened.push_back({path, loop});
		return reinterpret_cast<AudioSound*>(&opened.back());
	}
	AudioChannel PlaySound(AudioSound* sound) override
	{
		if (!sound)
			return AudioChannel();
		for (Channel& c : channels)
			c.stopped |= c.sound == sound;   // one channel per sound
		channels.emplace_back();
		channels.back().sound = sound;
		return AudioChannel{ (int)channels.size() - 1, 1 };
	}
	void SetPaused(AudioChannel h, bool paused) override
	{
		Channel* c = Live(h);
		if (!c)
			return;
		c->pauses += paused && !c->paused;
		c->resumes += !paused && c->paused;
		c->paused = paused;
	}
	void SetVolume(AudioChannel h, float volume) override { if (Channel* c = Live(h)) c->volume = volume; }
	void SetMute(AudioChannel h, bool mute) override { if (Channel* c = Live(h)) c->muted = mute; }
	void SetPitch(AudioChannel h, float pitch) override { if (Channel* c = Live(h)) c->pitches.push_back(pitch); }
	void Rewind(AudioChannel h) override { if (Channel* c = Live(h)) ++c->rewinds; }
	AudioChannelState GetState(AudioChannel h) override
	{
		return !Live(h) ? AUDIO_CHANNEL_NONE : Live(h)->paused ? AUDIO_CHANNEL_PAUSED : AUDIO_CHANNEL_PLAYING;
	}
	void ReleaseSound(AudioSound* sound) override { releasedSounds += sound != nullptr; }
	void Release() override { released = true; }

	// The channel behind a handle, stopped or not; null for an empty handle.
	Channel* At(AudioChannel h) { return h.index >= 0 && h.index < (int)channels.size() ? &channels[h.index] : nullptr; }
	// How many channels were started for this sound.
	int Plays(AudioSound* sound) const { int n = 0; for (const Channel& c : channels) n += c.sound == sound; return n; }
	// The looping flag a sound was opened with.
	static bool Loops(AudioSound* sound) { return reinterpret_cast<const Opened*>(sound)->loop; }

	int                     releasedSounds = 0;
	bool                    released = false;
	std::set<std::string>   missing;    // paths that fail to open
	std::deque<Opened>      opened;     // the sounds opened, in order
	std::deque<Channel>     channels;   // in the order started; never moved

private:
	Channel* Live(AudioChannel h) { return At(h) && !At(h)->stopped ? At(h) : nullptr; }
};
