// Every sound file the game opens must be in the repository and decode.
#include <gtest/gtest.h>

#include <string>

#include "Audio.h"

namespace {

const char* const kMusic[] = {
    "BGM/menu.ogg",
    "BGM/normal/normal_1.ogg",
    "BGM/detect/detected_bgm.ogg",
};

const char* const kEffects[] = {
    "SE_guard_state/alert/Male_Alert_Grunt01.ogg",
    "SE_guard_state/alert/Male_Alert_Grunt02.ogg",
    "SE_guard_state/alert/Male_Alert_Grunt03.ogg",
    "SE_guard_state/detect/Male_Attack_Grunt06.ogg",
    "SE_guard_state/detect/Male_Attack_Grunt10.ogg",
    "SE_guard_state/if_usedorvyobrainno/Male_Death_Grunt01.ogg",
    "SE_guard_state/if_usedorvyobrainno/Male_Death_Grunt02.ogg",
    "SE_guard_state/if_usedorvyobrainno/Male_Death_Grunt03.ogg",
    "Hackable/hackcomputer.ogg",
    "Hackable/MusicComedyThe CTE02_96.1.ogg",
    "Hackable/Menu_FailError03.ogg",
    "Hackable/bush1.ogg",
    "Menu/moving_between.ogg",
    "Menu/accept.ogg",
    "Menu/newgame.ogg",
    "Menu/cancel.ogg",
};

std::string MusicPath(const char* name) { return std::string("ArtAssets/Music/") + name; }

}  // namespace

TEST(AssetsSounds, MusicDecodesAndLastsLongEnoughToLoop) {
  for (const char* name : kMusic) {
    const double seconds = PlatformAudioOggSeconds(MusicPath(name).c_str());
    EXPECT_GE(seconds, 20.0) << name;
    EXPECT_LE(seconds, 60.0) << name;
  }
}

TEST(AssetsSounds, EffectsDecode) {
  for (const char* name : kEffects) {
    const double seconds = PlatformAudioOggSeconds(MusicPath(name).c_str());
    EXPECT_GT(seconds, 0.0) << name;
    EXPECT_LT(seconds, 20.0) << name;  // one-shots and the short loop stay short
  }
}

TEST(AssetsSounds, MissingOrBrokenFileReportsNoLength) {
  EXPECT_LT(PlatformAudioOggSeconds("ArtAssets/Music/BGM/no_such_song.ogg"), 0.0);
  // A file that exists but is no OGG stream.
  EXPECT_LT(PlatformAudioOggSeconds("CMakeLists.txt"), 0.0);
}
