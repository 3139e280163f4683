#pragma once
// Music and sound effects: a fixed table of sounds played on six channel slots, the
// guard alarm music, the volume keys, the mute switch and the lowering of the music
// while the game is paused.
#include <string>
#include <vector>
#include "Audio.h"

enum
{
	SOUND_ID_COUNT = 30,    // room in the sound table; ids 24 to 29 stay empty
	SOUND_SLOT_COUNT = 6,
	SOUND_CHANNELS = 100,
};

struct SoundSlot
{
	AudioChannel channel;          // the sound last started here
	bool         paused = true;
	float        volume = 0.0f;
	float        maxVolume = 0.0f; // ceiling for the volume keys
};

class SoundManager
{
public:
	SoundManager();                             // the OpenAL sound system
	// A caller-owned system (tests); may be null. It is released, never deleted.
	explicit SoundManager(AudioSystem* audio);
	~SoundManager();
	SoundManager(const SoundManager&) = delete;   // slotTable points into this object
	SoundManager& operator=(const SoundManager&) = delete;

	void LoadSounds();
	void Update();
	void PlayOnSlot(int id, SoundSlot& slot);
	void PlayEffect(int id);
	void ToggleSlotPause(SoundSlot& slot);
	void PauseSlot(SoundSlot& slot);            // pause the channel and set paused
	void PauseLevelSounds();
	void Release();
	void HackSound(bool done);
	void GuardAlarm(int state, int pursuitTarget, bool& alarmCounted, float routeEndDistance);
	void ToggleMute();                 // and saves the setting
	// The volume keys' level, 0 to 1, as a share of each slot's ceiling (the pause's
	// lowering left out); setting it places every slot at that share.
	float VolumeLevel() const;
	void  SetVolumeLevel(float level);

	// Without a sound system or an output device this is a do-nothing stand-in, so
	// the game runs on silently.
	AudioSystem* system = nullptr;

	SoundSlot music;
	SoundSlot spareA;
	SoundSlot alarm;
	SoundSlot effects;
	SoundSlot hack;
	SoundSlot spareB;

	bool                     ducked = false;
	std::vector<AudioSound*> releaseList;
	AudioSound*              sounds[SOUND_ID_COUNT] = {};
	// music, alarm, effects, hack, spare B, spare A
	SoundSlot*               slotTable[SOUND_SLOT_COUNT] = {};

private:
	void Construct(AudioSystem* audio);

	bool ownsSystem = false;
	bool volumeKeysHeld = false;   // the level is saved once they are let go
};

// File path of each sound id, joined once at start; empty for the ids without a file.
extern const std::string gSoundPaths[SOUND_ID_COUNT];

extern bool gAlarmMusicOn;
extern int  gDetectingGuards;
