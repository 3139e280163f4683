#pragma once
// A sound system that plays nothing and records what the SoundManager asks of it.
#include <memory>
#include <set>
#include <string>
#include <vector>
#include "Audio.h"

class SoundFake : public AudioSystem
{
public:
	struct Sound
	{
		std::string path;
		bool        looping = false;
		bool        released = false;
	};
	struct Channel
	{
		AudioSound*        sound = nullptr;
		bool               stopped = false;   // restarted elsewhere or ended
		bool               paused = false;
		bool               muted = false;
		float              volume = 1.0f;
		float              pitch = 1.0f;
		int                pauses = 0;        // playing -> paused transitions
		int                resumes = 0;       // paused -> playing transitions
		int                rewinds = 0;
		std::vector<float> pitches;           // every pitch set, in order
	};

	int GetNumDrivers() override;
	bool Init(int maxChannels) override;
	AudioSound* CreateStream(const char* path, bool looping) override;
	AudioChannel PlaySound(AudioSound* sound) override;
	void SetPaused(AudioChannel channel, bool paused) override;
	void SetVolume(AudioChannel channel, float volume) override;
	void SetMute(AudioChannel channel, bool mute) override;
	void SetPitch(AudioChannel channel, float pitch) override;
	void Rewind(AudioChannel channel) override;
	AudioChannelState GetState(AudioChannel channel) override;
	void ReleaseSound(AudioSound* sound) override;
	void Release() override;

	// The channel behind a handle, stopped or not; null for an empty or unknown handle.
	Channel* At(AudioChannel channel);
	Sound* Of(AudioSound* sound);
	// Ends a one-shot as if it had played to its end.
	void End(AudioChannel channel);
	// How many channels were started for this sound.
	int Plays(AudioSound* sound) const;

	int                                 drivers = 1;
	bool                                initWorks = true;
	int                                 initChannels = -1;   // -1: Init never called
	bool                                released = false;
	std::set<std::string>               missing;             // paths that fail to open
	std::vector<std::unique_ptr<Sound>> sounds;              // in the order opened
	std::vector<Channel>                channels;            // in the order started
	std::vector<std::string>            calls;               // every call after release
	std::vector<std::string>            releasedPaths;       // in release order

private:
	Channel* Live(AudioChannel channel);
};
