// The sound system on OpenAL Soft. Short files are decoded whole with libvorbisfile when
// they are opened, so playing them never reads a file or allocates. Long ones (the music)
// stay open and are streamed through a few small buffers that a feeder thread refills: all
// of it decoded up front would take a third of a second at start-up and 20 MB of memory.
#include "Audio.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

namespace
{
class OpenALAudio;
OpenALAudio* sFeeding = nullptr;   // the initialised system (one at a time); its feeder stops at exit
void StopFeederAtExit();

const int  kStreamBuffers = 4;
const long kStreamFrames = 8192;     // per buffer: about 0.19 s at 44.1 kHz
double     sStreamLongerThan = 10.0; // seconds
}

struct AudioSound
{
	ALuint       buffer = 0;   // the whole sound; 0 when it is streamed
	bool         looping = false;
	AudioChannel channel;      // where it plays, or played last

	// A streamed sound: its open file and the buffers queued on the source it plays on
	// (it plays on one at a time), oldest first, with the frames each holds.
	OggVorbis_File* file = nullptr;
	ALenum          format = 0;
	long            rate = 0;
	int             frameBytes = 0;
	ogg_int64_t     frames = 0;
	ALuint          buffers[kStreamBuffers] = {};
	long            queuedFrames[kStreamBuffers] = {};
	int             queued = 0;
	ogg_int64_t     queueStart = 0;   // frame of the sound at the head of the queue
	ogg_int64_t     resumeAt = 0;     // where a paused stream starts again
	bool            drained = false;  // a one-shot's last frame is queued (or the file failed)
};

namespace
{
// A file the game can play: one or two channels.
bool Playable(OggVorbis_File* vf, int* channels, long* rate, ogg_int64_t* frames)
{
	vorbis_info* info = ov_info(vf, -1);
	if (!info || (info->channels != 1 && info->channels != 2) || info->rate <= 0)
		return false;
	*channels = info->channels;
	*rate = info->rate;
	*frames = ov_pcm_total(vf, -1);
	return true;
}

// Reads 16-bit PCM into out, up to size bytes; fewer at the end of the file. Stops at
// damage that cannot be read past, and where a chained file changes its format.
long ReadPcm(OggVorbis_File* vf, int channels, long rate, char* out, long size, bool* ended)
{
	long bytes = 0;
	while (bytes < size)
	{
		int  section = 0;
		long n = ov_read(vf, out + bytes, (int)std::min(size - bytes, 1L << 20), 0, 2, 1, &section);
		if (n == OV_HOLE)
			continue;   // a gap in the data; decoding goes on after it
		vorbis_info* link = n > 0 ? ov_info(vf, section) : nullptr;
		if (!link || link->channels != channels || link->rate != rate)
		{
			*ended = true;   // the end, or damage: keep what decoded so far
			break;
		}
		bytes += n;
	}
	return bytes;
}

// Decodes a whole open file to 16-bit PCM. False if it holds no samples.
bool DecodeOgg(OggVorbis_File* vf, int channels, long rate, ogg_int64_t frames, std::vector<char>* pcm)
{
	const long frameBytes = channels * 2;
	pcm->resize(frames > 0 ? (size_t)frames * frameBytes : 1 << 16);
	long total = 0;
	for (bool ended = false; !ended;)
	{
		if ((size_t)total == pcm->size())
			pcm->resize(pcm->size() * 2);   // longer than its header said
		total += ReadPcm(vf, channels, rate, pcm->data() + total, (long)pcm->size() - total, &ended);
	}
	pcm->resize(total - total % frameBytes);
	return !pcm->empty();
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
		scratch.resize(kStreamFrames * 4);
		quitting = false;
		feeder = std::thread([this] { Feed(); });
		// exit() (a fatal report, or a program that never releases its sound) tears OpenAL
		// down from under a running feeder: the feeders stop first.
		static bool registered = atexit(StopFeederAtExit) == 0;
		(void)registered;
		sFeeding = this;
		return true;
	}

	AudioSound* CreateStream(const char* path, bool looping) override
	{
		std::lock_guard<std::mutex> lock(mutex);
		if (!context || !path)
			return nullptr;
		OggVorbis_File* file = new OggVorbis_File;
		if (ov_fopen(path, file) != 0)
		{
			delete file;
			return nullptr;
		}
		AudioSound* sound = new AudioSound;
		sound->looping = looping;
		int channels = 0;
		bool ok = Playable(file, &channels, &sound->rate, &sound->frames);
		sound->format = channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
		sound->frameBytes = channels * 2;
		alGetError();
		if (ok && sound->frames > sStreamLongerThan * sound->rate)
		{
			sound->file = file;
			file = nullptr;
			alGenBuffers(kStreamBuffers, sound->buffers);
		}
		else if (ok)
		{
			std::vector<char> pcm;
			ok = DecodeOgg(file, channels, sound->rate, sound->frames, &pcm);
			alGenBuffers(1, &sound->buffer);
			if (ok)
				alBufferData(sound->buffer, sound->format, pcm.data(), (ALsizei)pcm.size(), (ALsizei)sound->rate);
		}
		if (file)
		{
			ov_clear(file);
			delete file;
		}
		sounds.push_back(sound);
		if (!ok || alGetError() != AL_NO_ERROR)
		{
			ReleaseLocked(sound);
			return nullptr;
		}
		return sound;
	}

	AudioChannel PlaySound(AudioSound* sound) override
	{
		std::lock_guard<std::mutex> lock(mutex);
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
		alSourcef(voice.source, AL_PITCH, 1.0f);
		alSourcef(voice.source, AL_GAIN, 1.0f);
		if (sound->file)
		{
			alSourcei(voice.source, AL_LOOPING, AL_FALSE);   // the feeder loops it
			StartStream(voice, 0);
		}
		else
		{
			alSourcei(voice.source, AL_BUFFER, (ALint)sound->buffer);
			alSourcei(voice.source, AL_SAMPLE_OFFSET, 0);   // not where a paused sound stopped
			alSourcei(voice.source, AL_LOOPING, sound->looping ? AL_TRUE : AL_FALSE);
			alSourcePlay(voice.source);
		}
		sound->channel.index = index;
		sound->channel.generation = voice.generation;
		return sound->channel;
	}

	// A paused source is stopped with its offset kept, and started afresh on resume: a
	// resumed OpenAL voice would glide from its old gain, so a channel muted while
	// paused would blurt out for a moment.
	void SetPaused(AudioChannel channel, bool paused) override
	{
		std::lock_guard<std::mutex> lock(mutex);
		Voice* voice = Find(channel);
		if (!voice || voice->paused == paused)
			return;
		AudioSound* sound = voice->sound;
		if (paused)
		{
			ALint offset = 0;
			alGetSourcei(voice->source, AL_SAMPLE_OFFSET, &offset);
			alSourceStop(voice->source);
			if (sound->file)
			{
				sound->resumeAt = Wrap(*sound, sound->queueStart + offset);
				Unqueue(*voice);
			}
			else
			{
				alSourcei(voice->source, AL_SAMPLE_OFFSET, offset);   // taken up by the next play
			}
		}
		else if (sound->file)
		{
			StartStream(*voice, sound->resumeAt);
		}
		else
		{
			alSourcePlay(voice->source);
		}
		voice->paused = paused;
	}

	void SetVolume(AudioChannel channel, float volume) override
	{
		std::lock_guard<std::mutex> lock(mutex);
		if (Voice* voice = Find(channel))
		{
			voice->volume = volume;
			ApplyGain(*voice);
		}
	}

	void SetMute(AudioChannel channel, bool mute) override
	{
		std::lock_guard<std::mutex> lock(mutex);
		if (Voice* voice = Find(channel))
		{
			voice->muted = mute;
			ApplyGain(*voice);
		}
	}

	void SetPitch(AudioChannel channel, float pitch) override
	{
		std::lock_guard<std::mutex> lock(mutex);
		if (Voice* voice = Find(channel))
			if (pitch > 0.0f)
				alSourcef(voice->source, AL_PITCH, pitch);
	}

	void Rewind(AudioChannel channel) override
	{
		// A paused source stays paused and starts from 0 ms when resumed.
		std::lock_guard<std::mutex> lock(mutex);
		Voice* voice = Find(channel);
		if (!voice)
			return;
		if (!voice->sound->file)
			alSourcei(voice->source, AL_SAMPLE_OFFSET, 0);
		else if (voice->paused)
			voice->sound->resumeAt = 0;
		else
		{
			alSourceStop(voice->source);
			Unqueue(*voice);
			StartStream(*voice, 0);
		}
	}

	AudioChannelState GetState(AudioChannel channel) override
	{
		std::lock_guard<std::mutex> lock(mutex);
		Voice* voice = Find(channel);
		if (!voice)
			return AUDIO_CHANNEL_NONE;
		return voice->paused ? AUDIO_CHANNEL_PAUSED : AUDIO_CHANNEL_PLAYING;
	}

	void ReleaseSound(AudioSound* sound) override
	{
		std::lock_guard<std::mutex> lock(mutex);
		ReleaseLocked(sound);
	}

	void Release() override
	{
		if (sFeeding == this)
			sFeeding = nullptr;
		StopFeeder();
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
				ReleaseLocked(sounds.back());
			alcMakeContextCurrent(nullptr);
			alcDestroyContext(context);
			context = nullptr;
		}
		if (device)
			alcCloseDevice(device);
		device = nullptr;
	}

	void StopFeeder()
	{
		if (!feeder.joinable())
			return;
		{
			std::lock_guard<std::mutex> lock(mutex);
			quitting = true;
		}
		wake.notify_all();
		feeder.join();
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

	// A voice is live while its sound is playing or paused; a finished one is free. A
	// stream that ran dry for a moment, with more to come, is still playing.
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
		if (voice.sound->file)
		{
			ALint processed = 0;
			alGetSourcei(voice.source, AL_BUFFERS_PROCESSED, &processed);
			if (!voice.sound->drained || processed < voice.sound->queued)
				return true;
		}
		Detach(voice);
		return false;
	}

	void ReleaseLocked(AudioSound* sound)
	{
		auto it = std::find(sounds.begin(), sounds.end(), sound);
		if (!sound || it == sounds.end())
			return;
		for (Voice& voice : voices)
			if (voice.sound == sound)
				Detach(voice);
		if (sound->file)
		{
			alDeleteBuffers(kStreamBuffers, sound->buffers);
			ov_clear(sound->file);
			delete sound->file;
		}
		else
		{
			alDeleteBuffers(1, &sound->buffer);
		}
		sounds.erase(it);
		delete sound;
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
		if (voice.sound && voice.sound->file)
			Unqueue(voice);
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

	// A frame of a stream, wrapped into the sound when it loops.
	static ogg_int64_t Wrap(const AudioSound& sound, ogg_int64_t frame)
	{
		return sound.looping && sound.frames > 0 ? frame % sound.frames : frame;
	}

	// Takes every buffer off a stopped source.
	void Unqueue(Voice& voice)
	{
		alSourcei(voice.source, AL_BUFFER, 0);
		voice.sound->queued = 0;
	}

	// Queues the stream from a frame of the sound on and plays it.
	void StartStream(Voice& voice, ogg_int64_t frame)
	{
		AudioSound& sound = *voice.sound;
		sound.drained = ov_pcm_seek(sound.file, frame) != 0;
		sound.queueStart = frame;
		sound.queued = 0;
		for (ALuint buffer : sound.buffers)
			if (!Queue(voice, buffer))
				break;
		alSourcePlay(voice.source);
	}

	// Fills a buffer with what comes next in the stream (from its start again when it
	// loops) and queues it. False when there is nothing more.
	bool Queue(Voice& voice, ALuint buffer)
	{
		AudioSound& sound = *voice.sound;
		const long size = kStreamFrames * sound.frameBytes;
		long bytes = 0;
		bool restarted = false;   // a loop that reads nothing after going back to the start
		while (bytes < size && !sound.drained)
		{
			bool ended = false;
			long read = ReadPcm(sound.file, sound.frameBytes / 2, sound.rate, scratch.data() + bytes, size - bytes, &ended);
			bytes += read;
			if (!ended)
				continue;
			if (!sound.looping || (restarted && read == 0) || ov_pcm_seek(sound.file, 0) != 0)
				sound.drained = true;
			restarted = true;
		}
		bytes -= bytes % sound.frameBytes;
		if (bytes == 0)
			return false;
		alBufferData(buffer, sound.format, scratch.data(), (ALsizei)bytes, (ALsizei)sound.rate);
		alSourceQueueBuffers(voice.source, 1, &buffer);
		sound.queuedFrames[sound.queued++] = bytes / sound.frameBytes;
		return true;
	}

	// The feeder: every few milliseconds, played buffers of each stream are refilled and
	// queued again, and a stream that ran dry is started again.
	void Feed()
	{
		std::unique_lock<std::mutex> lock(mutex);
		while (!quitting)
		{
			for (Voice& voice : voices)
				if (voice.sound && voice.sound->file && !voice.paused)
					Refill(voice);
			wake.wait_for(lock, std::chrono::milliseconds(20));
		}
	}

	void Refill(Voice& voice)
	{
		AudioSound& sound = *voice.sound;
		ALint processed = 0;
		alGetSourcei(voice.source, AL_BUFFERS_PROCESSED, &processed);
		for (; processed > 0 && sound.queued > 0; --processed)
		{
			ALuint buffer = 0;
			alSourceUnqueueBuffers(voice.source, 1, &buffer);
			sound.queueStart = Wrap(sound, sound.queueStart + sound.queuedFrames[0]);
			std::copy(sound.queuedFrames + 1, sound.queuedFrames + sound.queued, sound.queuedFrames);
			--sound.queued;
			Queue(voice, buffer);
		}
		ALint state = AL_STOPPED;
		alGetSourcei(voice.source, AL_SOURCE_STATE, &state);
		if (state != AL_PLAYING && sound.queued > 0)
			alSourcePlay(voice.source);
	}

	ALCdevice*               device = nullptr;
	ALCcontext*              context = nullptr;
	std::vector<Voice>       voices;
	std::vector<AudioSound*> sounds;
	std::vector<char>        scratch;   // one stream buffer's worth of PCM
	std::mutex               mutex;     // the voices and sounds, shared with the feeder
	std::condition_variable  wake;
	std::thread              feeder;
	bool                     quitting = false;
};
}

namespace
{
void StopFeederAtExit()
{
	if (sFeeding)
		sFeeding->StopFeeder();
}
}

AudioSystem* PlatformAudioCreate()
{
	return new OpenALAudio;
}

void PlatformAudioStreamLongerThan(double seconds)
{
	sStreamLongerThan = seconds;
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
