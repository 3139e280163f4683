// Music and sound effects over the platform sound system.
#include "SoundManager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include "GameObject.h"
#include "KEInput.h"
#include "PlayerFiles.h"

bool gAlarmMusicOn = false;
int  gDetectingGuards = 0;

namespace
{
const char* const kRoot = "ArtAssets/Music/";
const char* const kExt = ".ogg";
const char* const kGuard = "SE_guard_state/";

std::string Join(const char* group, const char* name, const char* sub = "")
{
	return std::string(kRoot) + group + sub + name + kExt;
}

// Stands in when there is no sound system or no output device: every call does nothing.
class SilentAudio : public AudioSystem
{
public:
	int          GetNumDrivers() override { return 0; }
	bool         Init(int) override { return false; }
	AudioSound*  CreateStream(const char*, bool) override { return nullptr; }
	AudioChannel PlaySound(AudioSound*) override { return AudioChannel(); }
	void         SetPaused(AudioChannel, bool) override {}
	void         SetVolume(AudioChannel, float) override {}
	void         SetMute(AudioChannel, bool) override {}
	void         SetPitch(AudioChannel, float) override {}
	void         Rewind(AudioChannel) override {}
	AudioChannelState GetState(AudioChannel) override { return AUDIO_CHANNEL_NONE; }
	void         ReleaseSound(AudioSound*) override {}
	void         Release() override {}
};

SilentAudio sSilent;

enum
{
	KEY_SPACE = 0x20,
	KEY_PAGE_UP = 0x21,
	KEY_PAGE_DOWN = 0x22,
	RELEASE_COUNT = 20,   // ids 0 to 19; the menu sounds go with the system
};

const float kDuck = 0.35f;
// Slots lowered while the pause menu is up: all but the effects and spare A.
const int kDucked[] = { 0, 1, 3, 4 };

bool IsDucked(int slotIndex)
{
	return std::find(std::begin(kDucked), std::end(kDucked), slotIndex) != std::end(kDucked);
}
}

const std::string gSoundPaths[SOUND_ID_COUNT] = {
	Join("BGM/", "menu"),
	"",
	"",
	Join("BGM/", "normal/normal_1"),
	"",
	Join("BGM/", "detect/detected_bgm"),
	Join(kGuard, "Male_Alert_Grunt01", "alert/"),
	Join(kGuard, "Male_Alert_Grunt02", "alert/"),
	Join(kGuard, "Male_Alert_Grunt03", "alert/"),
	Join(kGuard, "Male_Attack_Grunt06", "detect/"),
	Join(kGuard, "Male_Attack_Grunt10", "detect/"),
	Join(kGuard, "Male_Death_Grunt01", "if_usedorvyobrainno/"),
	Join(kGuard, "Male_Death_Grunt02", "if_usedorvyobrainno/"),
	Join(kGuard, "Male_Death_Grunt03", "if_usedorvyobrainno/"),
	Join("Hackable/", "hackcomputer"),
	Join("Hackable/", "MusicComedyThe CTE02_96.1"),
	Join("Hackable/", "Menu_FailError03"),
	Join("Hackable/", "Menu_FailError03"),
	Join("Hackable/", "bush1"),
	"",
	Join("Menu/", "moving_between"),
	Join("Menu/", "accept"),
	Join("Menu/", "newgame"),
	Join("Menu/", "cancel"),
};

SoundManager::SoundManager()
{
	AudioSystem* audio = PlatformAudioCreate();
	ownsSystem = audio != nullptr;
	Construct(audio);
}

SoundManager::SoundManager(AudioSystem* audio)
{
	Construct(audio);
}

SoundManager::~SoundManager()
{
	if (ownsSystem)
		Release();
}

void SoundManager::Construct(AudioSystem* audio)
{
	// The slots are set up even without sound so that every operation stays harmless.
	slotTable[0] = &music;
	slotTable[1] = &alarm;
	slotTable[2] = &effects;
	slotTable[3] = &hack;
	slotTable[4] = &spareB;
	slotTable[5] = &spareA;
	music.volume = music.maxVolume = 0.6f;
	spareA.volume = spareA.maxVolume = 0.6f;
	alarm.volume = alarm.maxVolume = 0.6f;
	effects.volume = effects.maxVolume = 1.0f;
	hack.volume = hack.maxVolume = 1.0f;
	spareB.volume = spareB.maxVolume = 1.0f;

	system = &sSilent;
	if (!audio)
	{
		printf("Sound: no sound system, playing silently\n");
		return;
	}
	const char* problem = nullptr;
	if (audio->GetNumDrivers() <= 0)
		problem = "no output driver";
	else if (!audio->Init(SOUND_CHANNELS))
		problem = "the sound system did not start";
	if (problem)
	{
		printf("Sound: %s, playing silently\n", problem);
		audio->Release();
		if (ownsSystem)
			delete audio;
		ownsSystem = false;
		return;
	}
	system = audio;
}

void SoundManager::LoadSounds()
{
	static const int kLooping[] = { 0, 3, 5 };
	static const int kOnce[] = { 6, 7, 8, 9, 10, 11, 12, 13, 14 };
	static const int kOnceLater[] = { 16, 17, 18, 20, 21, 22, 23 };

	auto open = [this](int id, bool looping) {
		sounds[id] = system->CreateStream(gSoundPaths[id].c_str(), looping);
		if (sounds[id] || system == &sSilent)
			return;
		// Ids 16 and 17 share a file: name it once.
		for (int earlier = 0; earlier < id; ++earlier)
			if (gSoundPaths[earlier] == gSoundPaths[id])
				return;
		printf("Sound: cannot open %s\n", gSoundPaths[id].c_str());
	};
	for (int id : kLooping)
		open(id, true);
	for (int id : kOnce)
		open(id, false);
	open(15, true);
	for (int id : kOnceLater)
		open(id, false);

	releaseList.assign(sounds, sounds + RELEASE_COUNT);
}

void SoundManager::PlayOnSlot(int id, SoundSlot& slot)
{
	PauseSlot(slot);
	AudioSound* sound = (id >= 0 && id < SOUND_ID_COUNT) ? sounds[id] : nullptr;
	// An id without a sound leaves the slot empty: it plays nothing.
	slot.channel = system->PlaySound(sound);
	slot.paused = false;
	system->SetPaused(slot.channel, false);
	system->SetVolume(slot.channel, slot.volume);
	if (gMuted)
		system->SetMute(slot.channel, true);
}

void SoundManager::PlayEffect(int id)
{
	// rand() is never seeded, so the variants come in the same order on every run.
	if (id == 6)
		id = 6 + rand() % 3;
	else if (id == 9)
		id = 9 + rand() % 2;
	else if (id == 11)
		id = 11 + rand() % 3;

	if (id < 0 || id >= SOUND_ID_COUNT || !sounds[id])
		return;
	// The previous effect is forgotten and plays on to its end.
	effects.channel = system->PlaySound(sounds[id]);
	system->SetVolume(effects.channel, effects.volume);
	if (gMuted)
		system->SetMute(effects.channel, true);
}

void SoundManager::ToggleSlotPause(SoundSlot& slot)
{
	slot.paused = !slot.paused;
	system->SetPaused(slot.channel, slot.paused);
}

void SoundManager::PauseSlot(SoundSlot& slot)
{
	system->SetPaused(slot.channel, true);
	slot.paused = true;
}

void SoundManager::PauseLevelSounds()
{
	PauseSlot(alarm);
	PauseSlot(effects);
	PauseSlot(hack);
	PauseSlot(spareB);
}

void SoundManager::HackSound(bool done)
{
	if (done)
		return;
	if (KEInputCheckTriggered(KEY_SPACE))
		PlayOnSlot(14, hack);
	if (KEInputCheckReleased(KEY_SPACE))
		PauseSlot(hack);
}

void SoundManager::GuardAlarm(int state, int pursuitTarget, bool& alarmCounted, float routeEndDistance)
{
	if (state == 1 && pursuitTarget == 2 && !alarmCounted)
	{
		PlayEffect(9);
		++gDetectingGuards;
		alarmCounted = true;
		if (gDetectingGuards == 1)
		{
			// The first chaser: the alarm music takes over from the start.
			if (!music.paused)
				ToggleSlotPause(music);
			system->Rewind(alarm.channel);
			ToggleSlotPause(alarm);
			gAlarmMusicOn = true;
		}
	}
	else if (state == 0 || state == 2)
	{
		if (alarmCounted)
		{
			--gDetectingGuards;
			alarmCounted = false;
		}
		if (gDetectingGuards == 0 && gAlarmMusicOn)
		{
			if (!alarm.paused)
				ToggleSlotPause(alarm);
			ToggleSlotPause(music);   // resumes where it stopped
			gAlarmMusicOn = false;
		}
	}

	// The nearer a guard gets, the faster the alarm; it never slows down again.
	float d = routeEndDistance / 20.0f;
	if (d > 10.0f)
		return;
	if (d < 3.0f)
		system->SetPitch(alarm.channel, 1.1f);
	if (d < 2.5f)
		system->SetPitch(alarm.channel, 1.25f);
	if (d < 1.5f)
		system->SetPitch(alarm.channel, 1.5f);
}

void SoundManager::Update()
{
	bool up = KEInputCheckCurr(KEY_PAGE_UP);
	bool down = KEInputCheckCurr(KEY_PAGE_DOWN);
	if (volumeKeysHeld && !up && !down)
		SettingsSetVolume(VolumeLevel());
	volumeKeysHeld = up || down;
	if (up || down)
	{
		for (SoundSlot* slot : slotTable)
		{
			float step = gDeltaTime * 0.5f * slot->maxVolume;
			if (down)
				step = -step;
			if (slot->volume <= 0.0001f && step < -1e-5f)
			{
				slot->volume = 0.0f;
				system->SetVolume(slot->channel, 0.0f);
			}
			else if (slot->volume >= slot->maxVolume && step > 1e-5f)
			{
				system->SetVolume(slot->channel, slot->maxVolume);
			}
			else
			{
				slot->volume += step;
				system->SetVolume(slot->channel, slot->volume);
			}
		}
	}

	// Lower everything but the effects while the pause menu is up.
	if (gPaused)
	{
		if (!ducked)
		{
			for (int i : kDucked)
			{
				slotTable[i]->volume *= kDuck;
				system->SetVolume(slotTable[i]->channel, slotTable[i]->volume);
			}
			ducked = true;
		}
		return;
	}
	if (ducked)
	{
		for (int i : kDucked)
		{
			slotTable[i]->volume /= kDuck;
			system->SetVolume(slotTable[i]->channel, slotTable[i]->volume);
		}
		ducked = false;
	}
}

void SoundManager::ToggleMute()
{
	gMuted = !gMuted;
	for (SoundSlot* slot : slotTable)
		system->SetMute(slot->channel, gMuted);
	SettingsChanged();
}

float SoundManager::VolumeLevel() const
{
	float level = music.volume / music.maxVolume / (ducked ? kDuck : 1.0f);
	return level < 0.0f ? 0.0f : level > 1.0f ? 1.0f : level;
}

void SoundManager::SetVolumeLevel(float level)
{
	for (int i = 0; i < SOUND_SLOT_COUNT; ++i)
	{
		SoundSlot* slot = slotTable[i];
		slot->volume = level * slot->maxVolume * (ducked && IsDucked(i) ? kDuck : 1.0f);
		system->SetVolume(slot->channel, slot->volume);
	}
}

void SoundManager::Release()
{
	while (!releaseList.empty())
	{
		system->ReleaseSound(releaseList.back());
		releaseList.pop_back();
	}
	system->Release();
	if (ownsSystem)
		delete system;
	ownsSystem = false;
	system = &sSilent;
	for (AudioSound*& sound : sounds)
		sound = nullptr;
}
