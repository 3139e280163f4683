// Every picture the game opens must be in the repository, decode, and have the size it is
// drawn at; pictures the game tints must be light shapes on a transparent background.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Image.h"

namespace {
enum Kind { kAny, kOpaque, kBlack, kTinted, kBlank };  // kBlack: opaque black; kBlank: fully transparent
struct Picture {
  std::string path;  // under ArtAssets/
  int width, height;
  Kind kind = kAny;
};

std::vector<Picture> Pictures() {
  std::vector<Picture> list = {
      {"Bush.png", 60, 60}, {"hideBush.png", 60, 60}, {"g_walk1_2.png", 40, 40}, {"particles.png", 11, 11},
      {"a_nLight.png", 40, 40}, {"a_glight.png", 40, 40}, {"a_rlight.png", 40, 40}, {"lighthighlight.png", 200, 200},
      {"serverNormal.png", 55, 55}, {"serverHacked.png", 55, 55}, {"radioNorm.png", 55, 55}, {"radioOff.png", 55, 55},
      {"hud.png", 800, 60}, {"Nullvane.png", 700, 150}, {"pause_bg.png", 700, 500}, {"logo/halvardLogo.png", 600, 225},
      // Tiles, screens and pages cover what lies beneath; the dimmer and level curtain are stretched over all.
      {"BasicTile.png", 40, 40, kOpaque}, {"Wall.png", 40, 40, kOpaque}, {"menu_bg.png", 800, 600, kOpaque},
      {"credits_bg.png", 800, 600, kOpaque}, {"win.png", 800, 600, kOpaque}, {"lose.png", 800, 600, kOpaque},
      {"logo/ourLogo.png", 800, 600, kOpaque}, {"black.png", 16, 16, kBlack}, {"logo/black.png", 16, 16, kBlack},
      {"Font/space.png", 50, 50, kBlank},
      // Everything the game greys out or fades through its tint colour.
      {"font/Newgame.png", 200, 50, kTinted}, {"font/levelselect.png", 200, 50, kTinted},
      {"font/intstruction.png", 200, 50, kTinted}, {"font/credits.png", 200, 50, kTinted},
      {"font/quit.png", 200, 50, kTinted}, {"Instruction/page1.png", 200, 50, kTinted},
      {"arrow.png", 150, 100, kTinted}, {"arrow_down.png", 200, 50, kTinted},
      {"feedback/guard1.png", 15, 40, kTinted}, {"feedback/guard2.png", 15, 40, kTinted},
  };
  // Numbered series: stem, first and last number, size, kind.
  const struct { const char* stem; int from, to, width, height; Kind kind; } series[] = {
      {"a_walk1_", 0, 4, 40, 40, kAny}, {"hackload", 0, 3, 40, 40, kAny}, {"radioOn", 0, 2, 55, 55, kAny},
      {"HowToPlay", 1, 3, 533, 400, kOpaque}, {"Tut", 1, 4, 400, 400, kAny}, {"Tutorial", 1, 5, 200, 50, kTinted},
      {"level", 1, 4, 200, 50, kTinted}, {"", 1, 6, 30, 30, kTinted}};
  for (const auto& n : series)
    for (int i = n.from; i <= n.to; ++i) list.push_back({n.stem + std::to_string(i) + ".png", n.width, n.height, n.kind});
  for (char c = 'A'; c <= 'Z'; ++c) list.push_back({std::string("Font/") + c + ".png", 50, 50, kTinted});
  return list;
}
}  // namespace

TEST(AssetsPictures, EveryPictureDecodesAtItsDrawnSizeAndTintedOnesAreLightOnTransparent) {
  for (const Picture& p : Pictures()) {
    PlatformImage img;
    const bool loaded = PlatformImageLoadPNG(("ArtAssets/" + p.path).c_str(), &img);
    EXPECT_TRUE(loaded && img.width == p.width && img.height == p.height &&
                img.rgba.size() == static_cast<size_t>(p.width) * p.height * 4)
        << p.path << " missing, undecodable or " << img.width << "x" << img.height << " not " << p.width << "x" << p.height;
    size_t clear = 0, opaque = 0, solid = 0, dark = 0, unlit = 0;
    for (size_t i = 0; i + 3 < img.rgba.size(); i += 4) {
      // Rec. 601 luma, scaled by 1000: a light pixel stays readable under a grey tint.
      const int a = img.rgba[i + 3], luma = 299 * img.rgba[i] + 587 * img.rgba[i + 1] + 114 * img.rgba[i + 2];
      clear += a == 0, opaque += a == 255, unlit += luma == 0;
      solid += a >= 128, dark += a >= 128 && luma < 140 * 1000;
    }
    const size_t pixels = img.rgba.size() / 4;
    EXPECT_TRUE(p.kind != kTinted || (solid > 0 && dark == 0 && clear * 10 > pixels * 3))
        << p.path << ": " << solid << " shown, " << dark << " of them dark, " << clear << " clear of " << pixels;
    EXPECT_TRUE((p.kind != kOpaque && p.kind != kBlack) || opaque == pixels) << p.path << " is see-through";
    EXPECT_TRUE(p.kind != kBlack || unlit == pixels) << p.path << " is not black";
    EXPECT_TRUE(p.kind != kBlank || clear == pixels) << p.path << " shows";
  }
}
