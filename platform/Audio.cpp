// The sound system on OpenAL Soft. Every file is decoded whole with libvorbisfile when
// it is opened, so playing never reads a file or allocates.
#include "Audio.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

struct AudioSound
{
	ALuint       buffer = 0;
	bool         looping = false;
	AudioChannel channel;   // where it plays, or played last
};

namespace
{
// Decodes a whole OGG Vorbis file to 16-bit PCM. False if it is missing, not Vorbis,
// has more than two channels or holds no samples.
bool DecodeOgg(const char* path, std::vector<char>* pcm, int* channels, long* rate)
{
	OggVorbis_File vf;
	if (!path || ov_fopen(path, &vf) != 0)
		return false;
	vorbis_info* info = ov_info(&vf, -1);
	bool ok = info && (info->channels == 1 || info->channels == 2);
	if (ok)
	{
		*channels = info->channels;
		*rate = info->rate;
		char chunk[16384];
		int  section = 0;
		for (;;)
		{
			long n = ov_read(&vf, chunk, sizeof chunk, 0, 2, 1, &section);
			if (n == OV_HOLE)
				continue;   // a gap in the data; decoding goes on after it
			if (n <= 0)
				break;   // the end, or damage: keep what decoded so far
			// A chained file may change its format; keep the part in the first one.
			vorbis_info* link = ov_info(&vf, section);
			if (!link || link->channels != *channels || link->rate != *rate)
				break;
			pcm->insert(pcm->end(), chunk, chunk + n);
		}
	}
	ov_clear(&vf);
	return ok && !pcm->empty();
}

// Looking for an output device, the drivers under OpenAL print pages of their own errors
// when there is none ("ALSA lib ... cannot find card", "AL lib: (EE) ..."): the game says
// it in one line instead, so standard error goes nowhere while the device is opened. A
// real device opens the same either way. ALSOFT_LOGLEVEL set means someone wants the log.
class QuietStderr
{
public:
	QuietStderr()
	{
		if (std::getenv("ALSOFT_LOGLEVEL"))
			return;
		std::fflush(stderr);
		int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
		saved = nowhere < 0 ? -1 : fcntl(2, F_DUPFD_CLOEXEC, 3);
		if (saved >= 0 && dup2(nowhere, 2) < 0)
		{
			close(saved);
			saved = -1;
		}
		if (nowhere >= 0)
			close(nowhere);
	}
	~QuietStderr()
	{
		if (saved < 0)
			return;
		std::fflush(stderr);
		dup2(saved, 2);
		close(saved);
	}
	QuietStderr(const QuietStderr&) = delete;
	QuietStderr& operator=(const QuietStderr&) = delete;

private:
	int saved = -1;
};

class OpenALAudio : public AudioSystem
{
public:
	~OpenALAudio() override { Release(); }

	int GetNumDrivers() override
	{
		QuietStderr quiet;
		if (!device)
			device = alcOpenDevice(nullptr);
		if (!device)
			return 0;
		int count = 0;
		if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATION_EXT"))
			for (const ALCchar* name = alcGetString(nullptr, ALC_DEVICE_SPECIFIER); name && *name;
			     name += strlen(name) + 1)
				++count;
		return std::max(count, 1);
	}

	bool Init(int maxChannels) override
	{
		if (context)
			return true;
		if (!device)
		{
			QuietStderr quiet;
			device = alcOpenDevice(nullptr);
		}
		if (!device)
			return false;
		context = alcCreateContext(device, nullptr);
		if (!context || !alcMakeContextCurrent(context))
			return false;
		alGetError();
		for (int i = 0; i < maxChannels; ++i)
		{
			Voice voice;
			alGenSources(1, &voice.source);
			if (alGetError() != AL_NO_ERROR)
				break;
			alSourcei(voice.source, AL_SOURCE_RELATIVE, AL_TRUE);
			voices.push_back(voice);
		}
		return true;
	}

	AudioSound* CreateStream(const char* path, bool looping) override
	{
		if (!context)
			return nullptr;
		std::vector<char> pcm;
		int  channels = 0;
		long rate = 0;
		if (!DecodeOgg(path, &pcm, &channels, &rate))
			return nullptr;
		alGetError();
		ALuint buffer = 0;
		alGenBuffers(1, &buffer);
		alBufferData(buffer, channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, pcm.data(),
		             (ALsizei)pcm.size(), (ALsizei)rate);
		if (alGetError() != AL_NO_ERROR)
		{
			alDeleteBuffers(1, &buffer);
			return nullptr;
		}
		AudioSound* sound = new AudioSound;
		sound->buffer = buffer;
		sound->looping = looping;
		sounds.push_back(sound);
		return sound;
	}

	AudioChannel PlaySound(AudioSound* sound) override
	{
		if (!sound || !context)
			return AudioChannel();
		Stop(sound->channel);

		int index = -1;
		for (int i = 0; i < (int)voices.size() && index < 0; ++i)
			if (!Live(i))
				index = i;
		if (index < 0)
			return AudioChannel();   // every channel busy: the sound is dropped

		Voice& voice = voices[index];
		voice.sound = sound;
		voice.volume = 1.0f;
		voice.muted = false;
		voice.paused = false;
		++voice.generation;
		alSourcei(voice.source, AL_BUFFER, (ALint)sound->buffer);
		alSourcei(voice.source, AL_SAMPLE_OFFSET, 0);   // not where a paused sound stopped
		alSourcei(voice.source, AL_LOOPING, sound->looping ? AL_TRUE : AL_FALSE);
		alSourcef(voice.source, AL_PITCH, 1.0f);
		alSourcef(voice.source, AL_GAIN, 1.0f);
		alSourcePlay(voice.source);
		sound->channel.index = index;
		sound->channel.generation = voice.generation;
		return sound->channel;
	}

	// A paused source is stopped with its offset kept, and started afresh on resume: a
	// resumed OpenAL voice would glide from its old gain, so a channel muted while
	// paused would blurt out for a moment.
	void SetPaused(AudioChannel channel, bool paused) override
	{
		Voice* voice = Find(channel);
		if (!voice || voice->paused == paused)
			return;
		if (paused)
		{
			ALint offset = 0;
			alGetSourcei(voice->source, AL_SAMPLE_OFFSET, &offset);
			alSourceStop(voice->source);
			alSourcei(voice->source, AL_SAMPLE_OFFSET, offset);   // taken up by the next play
		}
		else
		{
			alSourcePlay(voice->source);
		}
		voice->paused = paused;
	}

	void SetVolume(AudioChannel channel, float volume) override
	{
		if (Voice* voice = Find(channel))
		{
			voice->volume = volume;
			ApplyGain(*voice);
		}
	}

	void SetMute(AudioChannel channel, bool mute) override
	{
		if (Voice* voice = Find(channel))
		{
			voice->muted = mute;
			ApplyGain(*voice);
		}
	}

	void SetPitch(AudioChannel channel, float pitch) override
	{
		if (Voice* voice = Find(channel))
			if (pitch > 0.0f)
				alSourcef(voice->source, AL_PITCH, pitch);
	}

	void Rewind(AudioChannel channel) override
	{
		// A paused source stays paused and starts from 0 ms when resumed.
		if (Voice* voice = Find(channel))
			alSourcei(voice->source, AL_SAMPLE_OFFSET, 0);
	}

	AudioChannelState GetState(AudioChannel channel) override
	{
		Voice* voice = Find(channel);
		if (!voice)
			return AUDIO_CHANNEL_NONE;
		return voice->paused ? AUDIO_CHANNEL_PAUSED : AUDIO_CHANNEL_PLAYING;
	}

	void ReleaseSound(AudioSound* sound) override
	{
		auto it = std::find(sounds.begin(), sounds.end(), sound);
		if (!sound || it == sounds.end())
			return;
		for (Voice& voice : voices)
			if (voice.sound == sound)
				Detach(voice);
		alDeleteBuffers(1, &sound->buffer);
		sounds.erase(it);
		delete sound;
	}

	void Release() override
	{
		if (context)
		{
			// The deletes below go to the current context: make sure it is this one.
			alcMakeContextCurrent(context);
			for (Voice& voice : voices)
			{
				Detach(voice);
				alDeleteSources(1, &voice.source);
			}
			voices.clear();
			while (!sounds.empty())
				ReleaseSound(sounds.back());
			alcMakeContextCurrent(nullptr);
			alcDestroyContext(context);
			context = nullptr;
		}
		if (device)
			alcCloseDevice(device);
		device = nullptr;
	}

private:
	struct Voice
	{
		ALuint      source = 0;
		unsigned    generation = 0;
		AudioSound* sound = nullptr;   // null while free
		float       volume = 1.0f;
		bool        muted = false;
		bool        paused = false;
	};

	// A voice is live while its sound is playing or paused; a finished one is free.
	bool Live(int index)
	{
		Voice& voice = voices[index];
		if (!voice.sound)
			return false;
		if (voice.paused)
			return true;
		ALint state = AL_STOPPED;
		alGetSourcei(voice.source, AL_SOURCE_STATE, &state);
		if (state == AL_PLAYING)
			return true;
		Detach(voice);
		return false;
	}

	Voice* Find(AudioChannel channel)
	{
		if (channel.index < 0 || channel.index >= (int)voices.size())
			return nullptr;
		if (voices[channel.index].generation != channel.generation || !Live(channel.index))
			return nullptr;
		return &voices[channel.index];
	}

	void Stop(AudioChannel channel)
	{
		if (Voice* voice = Find(channel))
			Detach(*voice);
	}

	// Stops the voice and frees it; old handles to it go stale.
	void Detach(Voice& voice)
	{
		alSourceStop(voice.source);
		alSourcei(voice.source, AL_BUFFER, 0);
		voice.sound = nullptr;
		voice.paused = false;
		++voice.generation;
	}

	void ApplyGain(Voice& voice)
	{
		float gain = voice.muted ? 0.0f : std::max(voice.volume, 0.0f);
		alSourcef(voice.source, AL_GAIN, gain);
	}

	ALCdevice*               device = nullptr;
	ALCcontext*              context = nullptr;
	std::vector<Voice>       voices;
	std::vector<AudioSound*> sounds;
};
}

AudioSystem* PlatformAudioCreate()
{
	return new OpenALAudio;
}

double PlatformAudioOggSeconds(const char* path)
{
	OggVorbis_File vf;
	if (!path || ov_fopen(path, &vf) != 0)
		return -1.0;
	double seconds = ov_time_total(&vf, -1);
	ov_clear(&vf);
	return seconds < 0.0 ? -1.0 : seconds;
}
