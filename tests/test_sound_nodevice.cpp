// Without any output device the game runs on silently.
#include <gtest/gtest.h>

#include <cstdlib>
#include "Audio.h"
#include "GameObject.h"
#include "KEInput.h"
#include "SoundManager.h"
#include "Window.h"

namespace
{
// A backend list naming nothing that exists leaves OpenAL Soft without a device.
void NoBackend()
{
	setenv("ALSOFT_DRIVERS", "nullvane-no-such-backend", 1);
	unsetenv("ALSOFT_CONF");
}
}

TEST(SoundNoDevice, TheSystemReportsNoDriverAndDoesNothing)
{
	NoBackend();
	AudioSystem* audio = PlatformAudioCreate();
	ASSERT_NE(audio, nullptr);
	EXPECT_EQ(audio->GetNumDrivers(), 0);
	EXPECT_FALSE(audio->Init(100));
	EXPECT_EQ(audio->CreateStream("tests/data/sound/tone440_1s.ogg", true), nullptr);
	AudioChannel channel = audio->PlaySound(nullptr);
	EXPECT_EQ(audio->GetState(channel), AUDIO_CHANNEL_NONE);
	audio->SetPaused(channel, false);
	audio->Release();
	audio->Release();
	delete audio;
}

TEST(SoundNoDevice, TheManagerStopsAtConstructionAndStaysHarmless)
{
	NoBackend();
	gMuted = false;
	gPaused = false;
	gDeltaTime = 1.0f / 60.0f;
	testing::internal::CaptureStdout();
	{
		SoundManager sm;
		sm.LoadSounds();
		sm.PlayOnSlot(5, sm.alarm);
		sm.PauseSlot(sm.alarm);
		sm.PlayOnSlot(0, sm.music);
		for (int id = 0; id < SOUND_ID_COUNT; ++id)
			sm.PlayEffect(id);
		bool counted = false;
		sm.GuardAlarm(1, 2, counted, 5.0f);
		sm.GuardAlarm(2, 2, counted, 5.0f);
		PlatformInputSetKey(0x21, true);
		KEInputUpdate();
		sm.Update();
		PlatformInputSetKey(0x21, false);
		KEInputUpdate();
		sm.HackSound(false);
		sm.ToggleMute();
		sm.ToggleMute();
		sm.PauseLevelSounds();
		sm.PlayOnSlot(2, sm.music);
		sm.Release();
	}   // and the destructor after Release
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "Sound: no output driver, playing silently\n");
	EXPECT_EQ(gDetectingGuards, 0);
	EXPECT_FALSE(gAlarmMusicOn);
}
