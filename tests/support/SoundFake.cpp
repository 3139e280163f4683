#include "SoundFake.h"

int SoundFake::GetNumDrivers()
{
	return drivers;
}

bool SoundFake::Init(int maxChannels)
{
	initChannels = maxChannels;
	return initWorks;
}

AudioSound* SoundFake::CreateStream(const char* path, bool looping)
{
	if (released)
		calls.push_back("CreateStream");
	if (missing.count(path))
		return nullptr;
	sounds.push_back(std::unique_ptr<Sound>(new Sound{ path, looping, false }));
	return reinterpret_cast<AudioSound*>(sounds.back().get());
}

AudioChannel SoundFake::PlaySound(AudioSound* sound)
{
	if (released)
		calls.push_back("PlaySound");
	if (!sound)
		return AudioChannel();
	for (Channel& channel : channels)
		if (channel.sound == sound)
			channel.stopped = true;   // one channel per sound
	Channel channel;
	channel.sound = sound;
	channels.push_back(channel);
	AudioChannel handle;
	handle.index = (int)channels.size() - 1;
	handle.generation = 1;
	return handle;
}

SoundFake::Channel* SoundFake::At(AudioChannel channel)
{
	if (channel.index < 0 || channel.index >= (int)channels.size() || channel.generation != 1)
		return nullptr;
	return &channels[channel.index];
}

SoundFake::Channel* SoundFake::Live(AudioChannel channel)
{
	if (released)
		calls.push_back("channel call");
	Channel* c = At(channel);
	return c && !c->stopped ? c : nullptr;
}

SoundFake::Sound* SoundFake::Of(AudioSound* sound)
{
	return reinterpret_cast<Sound*>(sound);
}

void SoundFake::SetPaused(AudioChannel channel, bool paused)
{
	if (Channel* c = Live(channel))
	{
		if (paused && !c->paused)
			++c->pauses;
		if (!paused && c->paused)
			++c->resumes;
		c->paused = paused;
	}
}

void SoundFake::SetVolume(AudioChannel channel, float volume)
{
	if (Channel* c = Live(channel))
		c->volume = volume;
}

void SoundFake::SetMute(AudioChannel channel, bool mute)
{
	if (Channel* c = Live(channel))
		c->muted = mute;
}

void SoundFake::SetPitch(AudioChannel channel, float pitch)
{
	if (Channel* c = Live(channel))
	{
		c->pitch = pitch;
		c->pitches.push_back(pitch);
	}
}

void SoundFake::Rewind(AudioChannel channel)
{
	if (Channel* c = Live(channel))
		++c->rewinds;
}

AudioChannelState SoundFake::GetState(AudioChannel channel)
{
	Channel* c = At(channel);
	if (!c || c->stopped)
		return AUDIO_CHANNEL_NONE;
	return c->paused ? AUDIO_CHANNEL_PAUSED : AUDIO_CHANNEL_PLAYING;
}

void SoundFake::ReleaseSound(AudioSound* sound)
{
	if (released)
		calls.push_back("ReleaseSound");
	if (!sound)
		return;
	Of(sound)->released = true;
	releasedPaths.push_back(Of(sound)->path);
}

void SoundFake::Release()
{
	if (released)
		calls.push_back("Release");
	released = true;
}

void SoundFake::End(AudioChannel channel)
{
	if (Channel* c = At(channel))
		c->stopped = true;
}

int SoundFake::Plays(AudioSound* sound) const
{
	int count = 0;
	for (const Channel& channel : channels)
		count += channel.sound == sound;
	return count;
}
