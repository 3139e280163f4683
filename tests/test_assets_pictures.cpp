// Every picture the game opens must be in the repository, decode, and have the size it is
// drawn at; pictures the game tints must be light shapes on a transparent background.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Image.h"

namespace {

struct Picture {
  std::string path;  // under ArtAssets/
  int width;
  int height;
};

std::vector<Picture> ActorsAndTiles() {
  std::vector<Picture> list = {
      {"BasicTile.png", 40, 40},      {"Wall.png", 40, 40},          {"Bush.png", 60, 60},
      {"hideBush.png", 60, 60},       {"g_walk1_2.png", 40, 40},     {"particles.png", 11, 11},
      {"a_nLight.png", 40, 40},       {"a_glight.png", 40, 40},      {"a_rlight.png", 40, 40},
      {"lighthighlight.png", 200, 200}, {"serverNormal.png", 55, 55}, {"serverHacked.png", 55, 55},
      {"radioNorm.png", 55, 55},      {"radioOff.png", 55, 55},      {"hud.png", 800, 60},
  };
  for (int i = 0; i < 5; ++i) list.push_back({"a_walk1_" + std::to_string(i) + ".png", 40, 40});
  for (int i = 0; i < 4; ++i) list.push_back({"hackload" + std::to_string(i) + ".png", 40, 40});
  for (int i = 0; i < 3; ++i) list.push_back({"radioOn" + std::to_string(i) + ".png", 55, 55});
  return list;
}

// Full screens and pages; all of them cover what lies beneath.
std::vector<Picture> Screens() {
  return {
      {"menu_bg.png", 800, 600},    {"credits_bg.png", 800, 600}, {"win.png", 800, 600},
      {"lose.png", 800, 600},       {"logo/ourLogo.png", 800, 600}, {"HowToPlay1.png", 533, 400},
      {"HowToPlay2.png", 533, 400}, {"HowToPlay3.png", 533, 400},
  };
}

std::vector<Picture> Others() {
  return {
      {"Nullvane.png", 700, 150},       {"pause_bg.png", 700, 500}, {"logo/halvardLogo.png", 600, 225},
      {"Tut1.png", 400, 400},           {"Tut2.png", 400, 400},     {"Tut3.png", 400, 400},
      {"Tut4.png", 400, 400},
  };
}

// Everything the game greys out or fades through its tint colour.
std::vector<Picture> Tinted() {
  std::vector<Picture> list = {
      {"font/Newgame.png", 200, 50},    {"font/levelselect.png", 200, 50},
      {"font/intstruction.png", 200, 50}, {"font/credits.png", 200, 50},
      {"font/quit.png", 200, 50},       {"Instruction/page1.png", 200, 50},
      {"arrow.png", 150, 100},          {"arrow_down.png", 200, 50},
      {"feedback/guard1.png", 15, 40},  {"feedback/guard2.png", 15, 40},
  };
  for (int i = 1; i <= 5; ++i) list.push_back({"Tutorial" + std::to_string(i) + ".png", 200, 50});
  for (int i = 1; i <= 4; ++i) list.push_back({"level" + std::to_string(i) + ".png", 200, 50});
  for (int i = 1; i <= 6; ++i) list.push_back({std::to_string(i) + ".png", 30, 30});
  for (char c = 'A'; c <= 'Z'; ++c) list.push_back({std::string("Font/") + c + ".png", 50, 50});
  return list;
}

bool Load(const Picture& p, PlatformImage* img) {
  const std::string path = "ArtAssets/" + p.path;
  if (!PlatformImageLoadPNG(path.c_str(), img)) return false;
  return img->width == p.width && img->height == p.height &&
         img->rgba.size() == static_cast<size_t>(p.width) * p.height * 4;
}

}  // namespace

TEST(AssetsPictures, EveryPictureDecodesAtItsDrawnSize) {
  std::vector<Picture> all = ActorsAndTiles();
  for (const auto& list : {Screens(), Others(), Tinted()}) all.insert(all.end(), list.begin(), list.end());
  for (const Picture& p : all) {
    PlatformImage img;
    EXPECT_TRUE(Load(p, &img)) << p.path << " missing, undecodable or " << img.width << "x"
                               << img.height << " instead of " << p.width << "x" << p.height;
  }
}

TEST(AssetsPictures, ScreensTilesAndCurtainsAreOpaque) {
  std::vector<Picture> opaque = Screens();
  opaque.push_back({"BasicTile.png", 40, 40});
  opaque.push_back({"Wall.png", 40, 40});
  for (const Picture& p : opaque) {
    PlatformImage img;
    ASSERT_TRUE(Load(p, &img)) << p.path;
    size_t seeThrough = 0;
    for (size_t i = 3; i < img.rgba.size(); i += 4) seeThrough += img.rgba[i] != 255;
    EXPECT_EQ(seeThrough, 0u) << p.path;
  }
  // The dimmer and the level curtain are stretched over everything: plain opaque black.
  for (const char* path : {"ArtAssets/black.png", "ArtAssets/logo/black.png"}) {
    PlatformImage img;
    ASSERT_TRUE(PlatformImageLoadPNG(path, &img)) << path;
    ASSERT_FALSE(img.rgba.empty()) << path;
    for (size_t i = 0; i < img.rgba.size(); i += 4) {
      ASSERT_EQ(img.rgba[i] + img.rgba[i + 1] + img.rgba[i + 2], 0) << path;
      ASSERT_EQ(img.rgba[i + 3], 255) << path;
    }
  }
}

TEST(AssetsPictures, TintedPicturesAreLightOnTransparent) {
  for (const Picture& p : Tinted()) {
    PlatformImage img;
    ASSERT_TRUE(Load(p, &img)) << p.path;
    size_t clear = 0, solid = 0, dark = 0;
    for (size_t i = 0; i < img.rgba.size(); i += 4) {
      const int a = img.rgba[i + 3];
      if (a == 0) ++clear;
      if (a < 128) continue;
      ++solid;
      // Rec. 601 luma, scaled by 1000: a light pixel stays readable under a grey tint.
      const int luma = 299 * img.rgba[i] + 587 * img.rgba[i + 1] + 114 * img.rgba[i + 2];
      if (luma < 140 * 1000) ++dark;
    }
    const size_t pixels = img.rgba.size() / 4;
    EXPECT_GT(solid, 0u) << p.path << " shows nothing";
    EXPECT_EQ(dark, 0u) << p.path << " has dark opaque pixels";
    EXPECT_GT(clear * 10, pixels * 3) << p.path << " has no transparent background";
  }

  PlatformImage space;
  ASSERT_TRUE(Load({"Font/space.png", 50, 50}, &space));
  for (size_t i = 3; i < space.rgba.size(); i += 4) ASSERT_EQ(space.rgba[i], 0) << "space glyph shows";
}
