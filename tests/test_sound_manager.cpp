// The sound manager's rules, played against a recording fake of the sound system.
#include <gtest/gtest.h>

#include <cstdlib>
#include "GameObject.h"
#include "KEInput.h"
#include "SoundFake.h"
#include "SoundManager.h"
#include "Window.h"

namespace
{
const float kFrame = 1.0f / 60.0f;

void SetKey(unsigned char vk, bool down)
{
	PlatformInputSetKey(vk, down);
	KEInputUpdate();
}

class SoundManagerTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		PlatformInputClearKeys();
		KEInputReset();
		gMuted = false;
		gPaused = false;
		gDeltaTime = kFrame;
		gDetectingGuards = 0;
		gAlarmMusicOn = false;
	}

	// What the program does at start, then entering a level.
	void StartInLevel()
	{
		sm.LoadSounds();
		sm.PlayOnSlot(5, sm.alarm);
		sm.PauseSlot(sm.alarm);
		sm.PlayOnSlot(0, sm.music);
		ChangeState(3);
	}

	void ChangeState(int musicId)
	{
		gDetectingGuards = 0;
		gAlarmMusicOn = false;
		sm.PauseLevelSounds();
		sm.PlayOnSlot(musicId, sm.music);
	}

	SoundFake::Channel& Ch(const SoundSlot& slot) { return *fake.At(slot.channel); }
	AudioSound*         Playing(const SoundSlot& slot) { return fake.At(slot.channel)->sound; }

	SoundFake    fake;
	SoundManager sm{ &fake };
};
}

TEST_F(SoundManagerTest, OpensTheTableInOrderAndReleasesTwentyAtExit)
{
	EXPECT_EQ(fake.initChannels, 100);
	EXPECT_EQ(gSoundPaths[0], "ArtAssets/Music/BGM/menu.ogg");
	EXPECT_EQ(gSoundPaths[6], "ArtAssets/Music/SE_guard_state/alert/Male_Alert_Grunt01.ogg");
	EXPECT_EQ(gSoundPaths[12], "ArtAssets/Music/SE_guard_state/if_usedorvyobrainno/Male_Death_Grunt02.ogg");
	EXPECT_EQ(gSoundPaths[15], "ArtAssets/Music/Hackable/MusicComedyThe CTE02_96.1.ogg");
	for (int id : { 1, 2, 4, 19, 24, 29 })
		EXPECT_TRUE(gSoundPaths[id].empty()) << id;

	sm.LoadSounds();
	const int order[] = { 0, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20, 21, 22, 23 };
	ASSERT_EQ(fake.sounds.size(), 20u);
	for (int i = 0; i < 20; ++i)
	{
		int id = order[i];
		EXPECT_EQ(fake.sounds[i]->path, gSoundPaths[id]);
		EXPECT_EQ(fake.sounds[i]->looping, id == 0 || id == 3 || id == 5 || id == 15) << id;
		EXPECT_EQ(sm.sounds[id], reinterpret_cast<AudioSound*>(fake.sounds[i].get()));
	}
	ASSERT_EQ(sm.releaseList.size(), 20u);

	sm.Release();
	// Ids 19 down to 0, the empty ones skipped; the menu sounds go with the system.
	std::vector<std::string> expected;
	for (int id = 19; id >= 0; --id)
		if (!gSoundPaths[id].empty())
			expected.push_back(gSoundPaths[id]);
	EXPECT_EQ(fake.releasedPaths, expected);
	EXPECT_TRUE(fake.released);
	sm.PlayOnSlot(0, sm.music);   // after release: reaches nothing
	sm.Release();
	EXPECT_TRUE(fake.calls.empty());
}

TEST_F(SoundManagerTest, MissingFilesAndEmptyIdsPlayNothingAndNeverFail)
{
	fake.missing = { gSoundPaths[16], gSoundPaths[21] };
	testing::internal::CaptureStdout();
	StartInLevel();
	// Ids 16 and 17 share a file: it is named once.
	EXPECT_EQ(testing::internal::GetCapturedStdout(),
	          "Sound: cannot open " + gSoundPaths[16] + "\nSound: cannot open " + gSoundPaths[21] + "\n");
	EXPECT_EQ(sm.sounds[16], nullptr);
	EXPECT_EQ(sm.sounds[17], nullptr);

	size_t       started = fake.channels.size();
	AudioChannel level = sm.music.channel;
	sm.PlayOnSlot(2, sm.music);   // the lose screen's music
	EXPECT_EQ(fake.At(sm.music.channel), nullptr);
	EXPECT_FALSE(sm.music.paused);
	EXPECT_TRUE(fake.At(level)->paused);
	sm.ToggleSlotPause(sm.music);
	sm.Update();
	sm.ToggleMute();
	for (int id : { 1, 2, 4, 16, 19, 21, 24, 29, -1, 30 })
		sm.PlayEffect(id);
	sm.PlayOnSlot(-5, sm.spareA);
	sm.PlayOnSlot(30, sm.spareB);
	EXPECT_EQ(fake.channels.size(), started);

	sm.PlayOnSlot(0, sm.music);   // back to the menu plays again
	EXPECT_EQ(Playing(sm.music), sm.sounds[0]);
	EXPECT_FALSE(Ch(sm.music).paused);
}

TEST_F(SoundManagerTest, TwoChasingGuardsShareOneAlarm)
{
	StartInLevel();
	AudioChannel music = sm.music.channel;
	AudioChannel alarm = sm.alarm.channel;
	ASSERT_TRUE(fake.At(alarm)->paused);
	auto grunts = [&] { return fake.Plays(sm.sounds[9]) + fake.Plays(sm.sounds[10]); };

	bool a = false, b = false;
	sm.GuardAlarm(0, 0, a, 1000.0f);
	sm.GuardAlarm(0, 0, b, 1000.0f);
	EXPECT_EQ(grunts(), 0);
	EXPECT_FALSE(gAlarmMusicOn);
	EXPECT_EQ(fake.At(music)->resumes, 0) << "no toggle while nobody chases";

	sm.GuardAlarm(1, 2, a, 1000.0f);
	EXPECT_EQ(grunts(), 1);
	EXPECT_EQ(gDetectingGuards, 1);
	EXPECT_TRUE(a);
	EXPECT_TRUE(gAlarmMusicOn);
	EXPECT_TRUE(fake.At(music)->paused);
	EXPECT_TRUE(sm.music.paused);
	EXPECT_FALSE(fake.At(alarm)->paused);
	EXPECT_FALSE(sm.alarm.paused);
	EXPECT_EQ(fake.At(alarm)->rewinds, 1);

	sm.GuardAlarm(1, 2, a, 1000.0f);   // every frame of the chase
	sm.GuardAlarm(1, 2, b, 1000.0f);
	sm.GuardAlarm(1, 2, b, 1000.0f);
	EXPECT_EQ(grunts(), 2);
	EXPECT_EQ(gDetectingGuards, 2);
	EXPECT_EQ(fake.At(alarm)->rewinds, 1);
	EXPECT_EQ(fake.At(alarm)->resumes, 1);
	EXPECT_EQ(fake.At(music)->pauses, 1);

	sm.GuardAlarm(2, 2, a, 1000.0f);
	EXPECT_EQ(gDetectingGuards, 1);
	EXPECT_FALSE(a);
	EXPECT_FALSE(fake.At(alarm)->paused);
	EXPECT_TRUE(fake.At(music)->paused);

	sm.GuardAlarm(0, 2, b, 1000.0f);
	sm.GuardAlarm(0, 2, b, 1000.0f);
	sm.GuardAlarm(0, 0, a, 1000.0f);
	EXPECT_EQ(gDetectingGuards, 0);
	EXPECT_FALSE(gAlarmMusicOn);
	EXPECT_TRUE(fake.At(alarm)->paused);
	EXPECT_TRUE(sm.alarm.paused);
	// The same music channel resumes where it stopped.
	EXPECT_EQ(sm.music.channel.index, music.index);
	EXPECT_FALSE(fake.At(music)->paused);
	EXPECT_FALSE(sm.music.paused);
	EXPECT_EQ(fake.At(music)->pauses, 1);
	EXPECT_EQ(fake.At(music)->resumes, 1);
	EXPECT_EQ(fake.At(music)->rewinds, 0);
	EXPECT_EQ(fake.Plays(sm.sounds[5]), 1) << "the alarm channel lives for the whole run";

	// A new chase starts the alarm from its beginning again.
	sm.GuardAlarm(1, 2, b, 1000.0f);
	EXPECT_EQ(fake.At(alarm)->rewinds, 2);
	EXPECT_FALSE(fake.At(alarm)->paused);
}

TEST_F(SoundManagerTest, ChangingTargetWhileChasingCountsOnce)
{
	StartInLevel();
	bool a = false, b = false;
	sm.GuardAlarm(1, 2, a, 1000.0f);
	sm.GuardAlarm(1, 0, a, 1000.0f);   // off to a radio, still pursuing
	sm.GuardAlarm(1, 1, a, 1000.0f);
	sm.GuardAlarm(1, 2, a, 1000.0f);
	EXPECT_EQ(gDetectingGuards, 1);
	EXPECT_TRUE(a);
	EXPECT_EQ(fake.Plays(sm.sounds[9]) + fake.Plays(sm.sounds[10]), 1);

	sm.GuardAlarm(1, 0, b, 1000.0f);   // pursuing a radio is no chase
	EXPECT_FALSE(b);
	EXPECT_EQ(gDetectingGuards, 1);

	sm.GuardAlarm(2, 0, a, 1000.0f);
	EXPECT_EQ(gDetectingGuards, 0);
	EXPECT_FALSE(gAlarmMusicOn);
	sm.GuardAlarm(2, 0, a, 1000.0f);
	EXPECT_EQ(gDetectingGuards, 0) << "an uncounted guard never goes below zero";
}

TEST_F(SoundManagerTest, AlarmPitchRisesWithNearnessAndNeverReturnsToNormal)
{
	StartInLevel();
	SoundFake::Channel& alarm = Ch(sm.alarm);
	bool counted = false;

	sm.GuardAlarm(0, 0, counted, 201.0f);   // 10.05 cells
	sm.GuardAlarm(0, 0, counted, 200.0f);   // 10: near enough to test, too far to change
	sm.GuardAlarm(0, 0, counted, 60.0f);    // exactly 3
	EXPECT_TRUE(alarm.pitches.empty());

	sm.GuardAlarm(0, 0, counted, 59.0f);
	EXPECT_EQ(alarm.pitches, std::vector<float>({ 1.1f }));
	sm.GuardAlarm(0, 0, counted, 49.0f);
	EXPECT_EQ(alarm.pitch, 1.25f);
	sm.GuardAlarm(1, 2, counted, 29.0f);   // any state counts
	EXPECT_EQ(alarm.pitch, 1.5f);
	EXPECT_EQ(alarm.pitches, std::vector<float>({ 1.1f, 1.1f, 1.25f, 1.1f, 1.25f, 1.5f }));

	size_t set = alarm.pitches.size();
	sm.GuardAlarm(0, 0, counted, 5000.0f);
	sm.GuardAlarm(2, 0, counted, 100.0f);
	EXPECT_EQ(alarm.pitches.size(), set);
	EXPECT_EQ(alarm.pitch, 1.5f);
	sm.GuardAlarm(0, 0, counted, 55.0f);   // a farther guard steps it down, never to 1
	EXPECT_EQ(alarm.pitch, 1.1f);
	for (float p : alarm.pitches)
		EXPECT_GT(p, 1.0f);
}

TEST_F(SoundManagerTest, PauseDucksFourSlotsAndRestoresThemExactly)
{
	StartInLevel();
	sm.PlayOnSlot(14, sm.hack);
	sm.PlayEffect(18);

	gPaused = true;
	sm.Update();
	EXPECT_TRUE(sm.ducked);
	EXPECT_FLOAT_EQ(sm.music.volume, 0.6f * 0.35f);
	EXPECT_FLOAT_EQ(sm.alarm.volume, 0.6f * 0.35f);
	EXPECT_FLOAT_EQ(sm.hack.volume, 0.35f);
	EXPECT_FLOAT_EQ(sm.spareB.volume, 0.35f);
	EXPECT_EQ(sm.effects.volume, 1.0f);
	EXPECT_EQ(sm.spareA.volume, 0.6f);
	EXPECT_EQ(Ch(sm.music).volume, sm.music.volume);
	EXPECT_EQ(Ch(sm.hack).volume, sm.hack.volume);
	EXPECT_EQ(Ch(sm.effects).volume, 1.0f);

	for (int i = 0; i < 5; ++i)
		sm.Update();
	EXPECT_FLOAT_EQ(sm.music.volume, 0.6f * 0.35f) << "ducked once, not every frame";

	gPaused = false;
	sm.Update();
	EXPECT_FALSE(sm.ducked);
	EXPECT_EQ(sm.music.volume, 0.6f);
	EXPECT_EQ(sm.alarm.volume, 0.6f);
	EXPECT_EQ(sm.hack.volume, 1.0f);
	EXPECT_EQ(sm.spareB.volume, 1.0f);
	EXPECT_EQ(Ch(sm.music).volume, 0.6f);
	EXPECT_EQ(Ch(sm.hack).volume, 1.0f);

	// From a volume the keys left behind.
	SetKey(0x22, true);
	for (int i = 0; i < 7; ++i)
		sm.Update();
	SetKey(0x22, false);
	float before = sm.music.volume;
	gPaused = true;
	sm.Update();
	gPaused = false;
	sm.Update();
	EXPECT_FLOAT_EQ(sm.music.volume, before);
	EXPECT_EQ(Ch(sm.music).volume, sm.music.volume);
}

TEST_F(SoundManagerTest, VolumeKeysSweepEverySlotBetweenZeroAndItsCeiling)
{
	StartInLevel();
	sm.PlayOnSlot(14, sm.hack);
	sm.PlayEffect(20);

	SetKey(0x22, true);
	SetKey(0x21, true);   // Page Down wins when both are held
	for (int i = 0; i < 125; ++i)
		sm.Update();
	for (SoundSlot* slot : sm.slotTable)
		EXPECT_EQ(slot->volume, 0.0f);
	EXPECT_EQ(Ch(sm.music).volume, 0.0f);
	EXPECT_EQ(Ch(sm.effects).volume, 0.0f);
	EXPECT_EQ(Ch(sm.hack).volume, 0.0f);

	SetKey(0x22, false);
	for (int i = 0; i < 120; ++i)   // two seconds
		sm.Update();
	for (SoundSlot* slot : sm.slotTable)
		EXPECT_NEAR(slot->volume, slot->maxVolume, 1e-4f);
	EXPECT_NEAR(sm.music.maxVolume, 0.6f, 1e-6f);
	EXPECT_NEAR(sm.effects.maxVolume, 1.0f, 1e-6f);

	for (int i = 0; i < 30; ++i)
		sm.Update();
	for (SoundSlot* slot : sm.slotTable)
	{
		float step = kFrame * 0.5f * slot->maxVolume;
		EXPECT_LT(slot->volume, slot->maxVolume + step + 1e-5f);
	}
	EXPECT_EQ(Ch(sm.music).volume, sm.music.maxVolume) << "held at the ceiling";
	EXPECT_EQ(Ch(sm.hack).volume, 1.0f);

	SetKey(0x21, false);
	float music = sm.music.volume;
	sm.Update();
	EXPECT_EQ(sm.music.volume, music) << "no key, no change";
}

TEST_F(SoundManagerTest, MuteSilencesNewSoundsAndUnmuteOnlyTheSlots)
{
	StartInLevel();
	sm.ToggleMute();
	EXPECT_TRUE(gMuted);
	EXPECT_TRUE(Ch(sm.music).muted);

	sm.PlayEffect(16);
	AudioChannel forgotten = sm.effects.channel;
	EXPECT_TRUE(fake.At(forgotten)->muted);
	sm.PlayOnSlot(14, sm.hack);
	EXPECT_TRUE(Ch(sm.hack).muted);
	sm.PlayEffect(18);
	EXPECT_TRUE(Ch(sm.effects).muted);
	ChangeState(0);
	EXPECT_TRUE(Ch(sm.music).muted);
	EXPECT_EQ(Ch(sm.music).volume, 0.6f) << "muting keeps the volume";

	sm.ToggleMute();
	EXPECT_FALSE(gMuted);
	EXPECT_FALSE(Ch(sm.music).muted);
	EXPECT_FALSE(Ch(sm.hack).muted);
	EXPECT_FALSE(Ch(sm.effects).muted);
	EXPECT_TRUE(fake.At(forgotten)->muted) << "an effect the slot forgot stays muted";

	sm.PlayEffect(21);
	EXPECT_FALSE(Ch(sm.effects).muted);
}

TEST_F(SoundManagerTest, MusicStartsAfreshAtEveryStateChange)
{
	StartInLevel();
	AudioChannel first = sm.music.channel;
	EXPECT_EQ(Playing(sm.music), sm.sounds[3]);
	EXPECT_EQ(fake.At(first)->volume, 0.6f);

	sm.PlayOnSlot(14, sm.hack);
	sm.PlayEffect(20);
	bool counted = false;
	sm.GuardAlarm(1, 2, counted, 1000.0f);
	sm.spareA.paused = false;
	ChangeState(3);   // level to level
	EXPECT_TRUE(fake.At(first)->stopped);
	EXPECT_EQ(Playing(sm.music), sm.sounds[3]);
	EXPECT_EQ(fake.Plays(sm.sounds[3]), 2);
	EXPECT_FALSE(Ch(sm.music).paused);
	EXPECT_FALSE(sm.music.paused);
	EXPECT_EQ(Ch(sm.music).volume, 0.6f);
	// The level sounds are paused; the alarm waits for the next chase.
	EXPECT_TRUE(Ch(sm.alarm).paused);
	EXPECT_TRUE(Ch(sm.hack).paused);
	EXPECT_TRUE(Ch(sm.effects).paused);
	EXPECT_TRUE(sm.alarm.paused && sm.hack.paused && sm.effects.paused && sm.spareB.paused);
	EXPECT_FALSE(sm.spareA.paused) << "spare A is left alone";

	bool next = false;
	sm.GuardAlarm(1, 2, next, 1000.0f);
	EXPECT_FALSE(Ch(sm.alarm).paused);
	EXPECT_TRUE(Ch(sm.music).paused);
}

TEST_F(SoundManagerTest, EffectVariantsFollowTheUnseededRandSequence)
{
	StartInLevel();
	const int asked[] = { 6, 9, 11, 6, 16, 9, 6, 11, 11, 9, 18, 6, 9, 6, 11, 9 };
	srand(1);   // what an unseeded rand() starts from
	std::vector<int> expected;
	for (int id : asked)
	{
		if (id == 6)
			id = 6 + rand() % 3;
		else if (id == 9)
			id = 9 + rand() % 2;
		else if (id == 11)
			id = 11 + rand() % 3;
		expected.push_back(id);
	}

	srand(1);
	std::vector<int> played;
	for (int id : asked)
	{
		sm.PlayEffect(id);
		AudioSound* sound = Playing(sm.effects);
		int which = -1;
		for (int i = 0; i < SOUND_ID_COUNT; ++i)
			if (sm.sounds[i] == sound)
				which = i;
		played.push_back(which);
	}
	EXPECT_EQ(played, expected);
	std::set<int> variants(played.begin(), played.end());
	EXPECT_GE(variants.size(), 6u) << "the variants actually vary";
}

TEST_F(SoundManagerTest, HackSoundRunsWhileSpaceIsHeld)
{
	StartInLevel();
	SetKey(0x20, true);
	sm.HackSound(false);
	ASSERT_EQ(Playing(sm.hack), sm.sounds[14]);
	EXPECT_FALSE(Ch(sm.hack).paused);
	AudioChannel first = sm.hack.channel;

	SetKey(0x20, true);   // held: no restart
	sm.HackSound(false);
	EXPECT_EQ(fake.Plays(sm.sounds[14]), 1);

	SetKey(0x20, false);
	sm.HackSound(false);
	EXPECT_TRUE(Ch(sm.hack).paused);
	EXPECT_TRUE(sm.hack.paused);

	SetKey(0x20, true);
	sm.HackSound(false);
	EXPECT_EQ(fake.Plays(sm.sounds[14]), 2) << "starts again from its beginning";
	EXPECT_TRUE(fake.At(first)->stopped);

	SetKey(0x20, false);
	sm.HackSound(true);   // already hacked: nothing happens
	EXPECT_FALSE(Ch(sm.hack).paused);
	SetKey(0x20, true);
	sm.HackSound(true);
	EXPECT_EQ(fake.Plays(sm.sounds[14]), 2);
}

TEST_F(SoundManagerTest, WithoutAnOutputDeviceEverythingIsSilentAndHarmless)
{
	SoundFake none;
	none.drivers = 0;
	testing::internal::CaptureStdout();
	SoundManager quiet(&none);
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "Sound: no output driver, playing silently\n");
	EXPECT_EQ(none.initChannels, -1) << "stops before init";
	EXPECT_TRUE(none.released);

	testing::internal::CaptureStdout();
	SoundManager nothing(nullptr);
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "Sound: no sound system, playing silently\n");

	SoundFake broken;
	broken.initWorks = false;
	testing::internal::CaptureStdout();
	SoundManager failed(&broken);
	EXPECT_EQ(testing::internal::GetCapturedStdout(),
	          "Sound: the sound system did not start, playing silently\n");
	EXPECT_TRUE(broken.released);

	for (SoundManager* m : { &quiet, &nothing, &failed })
	{
		testing::internal::CaptureStdout();
		m->LoadSounds();
		EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "no line per file without sound";
		m->PlayOnSlot(5, m->alarm);
		m->PauseSlot(m->alarm);
		m->PlayOnSlot(0, m->music);
		m->PlayEffect(6);
		m->PlayEffect(2);
		bool counted = false;
		m->GuardAlarm(1, 2, counted, 10.0f);
		m->GuardAlarm(0, 2, counted, 10.0f);
		EXPECT_EQ(gDetectingGuards, 0);
		SetKey(0x20, true);
		m->HackSound(false);
		SetKey(0x22, true);
		m->Update();
		SetKey(0x22, false);
		gPaused = true;
		m->Update();
		gPaused = false;
		m->Update();
		m->ToggleMute();
		m->ToggleMute();
		m->ToggleSlotPause(m->music);
		m->PauseLevelSounds();
		m->Release();
		m->Release();
	}
	for (SoundFake* f : { &none, &broken })
	{
		EXPECT_TRUE(f->calls.empty());
		EXPECT_TRUE(f->sounds.empty());
		EXPECT_TRUE(f->channels.empty());
	}
}
