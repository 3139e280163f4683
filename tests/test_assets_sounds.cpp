// Every sound file the game opens is in the repository and decodes; the music is long enough to loop.
#include <gtest/gtest.h>

#include "SoundManager.h"

TEST(AssetsSounds, EveryFileOfTheSoundTableDecodesAndTheMusicLastsTwentyToSixtySeconds)
{
	for (int id = 0; id < SOUND_ID_COUNT; ++id)
	{
		double seconds = gSoundPaths[id].empty() ? 1.0 : PlatformAudioOggSeconds(gSoundPaths[id].c_str());
		bool   music = id == 0 || id == 3 || id == 5;
		EXPECT_TRUE(seconds > 0.0 && (!music || (seconds >= 20.0 && seconds <= 60.0))) << gSoundPaths[id] << ": " << seconds;
	}
}
