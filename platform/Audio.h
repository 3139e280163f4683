#pragma once
// The sound system the SoundManager plays through: streams decoded from OGG files,
// played on channels that can be paused, muted, rewound and given volume and pitch.
// The real one runs on OpenAL Soft; tests swap in a recording fake.

struct AudioSound;   // opaque; owned by the system that created it

// A channel handle stays valid only while the sound it started is still the one on
// its source: once the sound ends, is restarted elsewhere or the source is reused,
// the generation no longer matches and every call on the handle does nothing.
struct AudioChannel
{
	int      index = -1;        // -1: empty handle
	unsigned generation = 0;
};

enum AudioChannelState
{
	AUDIO_CHANNEL_NONE,      // empty or stale handle, or the sound has ended
	AUDIO_CHANNEL_PLAYING,
	AUDIO_CHANNEL_PAUSED,
};

class AudioSystem
{
public:
	virtual ~AudioSystem() {}

	virtual int  GetNumDrivers() = 0;             // output devices available
	virtual bool Init(int maxChannels) = 0;
	// Null when the file is missing, unreadable, not OGG Vorbis or empty.
	virtual AudioSound* CreateStream(const char* path, bool looping) = 0;
	// Starts the sound from its beginning, unpaused. A sound plays on one channel at a
	// time: starting it again stops the earlier channel. Null sound: empty handle.
	virtual AudioChannel PlaySound(AudioSound* sound) = 0;
	virtual void SetPaused(AudioChannel channel, bool paused) = 0;
	virtual void SetVolume(AudioChannel channel, float volume) = 0;
	virtual void SetMute(AudioChannel channel, bool mute) = 0;   // the volume is kept
	virtual void SetPitch(AudioChannel channel, float pitch) = 0;
	virtual void Rewind(AudioChannel channel) = 0;               // back to 0 ms
	virtual AudioChannelState GetState(AudioChannel channel) = 0;
	virtual void ReleaseSound(AudioSound* sound) = 0;            // null is ignored
	// Stops everything and frees the device and the remaining sounds. The object is
	// only good for deleting afterwards.
	virtual void Release() = 0;
};

// The OpenAL sound system, not yet initialised; null if it cannot be created. OpenAL
// calls go to the one current context, so only one system may be initialised at a time.
AudioSystem* PlatformAudioCreate();

// Files longer than this are streamed as they play rather than decoded whole when created
// (10 s unless set; tests set it to play short files both ways).
void PlatformAudioStreamLongerThan(double seconds);

// Length of an OGG Vorbis file in seconds; -1 if it is missing or cannot be decoded.
double PlatformAudioOggSeconds(const char* path);
