#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "gfx/surface.h"
#include "scene/introScene.h"
#include "scene/scrollMessage.h"
#include "support/sceneAssets.h"

namespace {
class Scroller : public ::testing::Test {
 protected:
  void SetUp() override {
    startPlatform();
    writeSceneAssets(dir);
    scene = std::make_unique<IntroScene>();
    pink = displayColour(250, 150, 250);
  }

  // The strip as the scroller leaves it at a fixed clock reading.
  std::vector<Uint32> stripAt(Uint32 tick) {
    ScriptedClock::install(tick);
    SDL_Surface* target = makeSurface(320, 240);
    scene->drawScroller(target);
    SDL_FreeSurface(target);
    SDL_Surface* strip = scene->scrollerSurface;
    std::vector<Uint32> pixels;
    SDL_LockSurface(strip);
    for (int y = 0; y < strip->h; ++y)
      for (int x = 0; x < strip->w; ++x) pixels.push_back(getPixel(strip, x, y));
    SDL_UnlockSurface(strip);
    return pixels;
  }

  // Leftmost strip column holding text, or -1 for an empty strip.
  int firstTextColumn(const std::vector<Uint32>& strip) {
    int first = -1;
    for (size_t i = 0; i < strip.size(); ++i) {
      if (strip[i] == 0) continue;
      EXPECT_EQ(strip[i], pink);
      const int x = static_cast<int>(i % 320);
      if (first < 0 || x < first) first = x;
    }
    return first;
  }

  // Where, within the rendered message, its first glyph begins.
  int firstGlyphOffset() {
    SDL_Surface* text = TTF_RenderText_Solid(scene->scrollFont, scrollMessage, {250, 150, 250, 0});
    EXPECT_NE(text, nullptr);
    if (text == nullptr) return -1;
    int first = text->w;
    SDL_LockSurface(text);
    for (int y = 0; y < text->h; ++y)
      for (int x = 0; x < first; ++x)
        if (getPixel(text, x, y) != 0) first = x;  // palette index 0 is the transparent background
    SDL_UnlockSurface(text);
    SDL_FreeSurface(text);
    return first;
  }

  TempWorkDir dir;
  std::unique_ptr<IntroScene> scene;
  Uint32 pink = 0;
};
}  // namespace

TEST_F(Scroller, TheRealMessageRendersWithTheCommittedFont) {
  SDL_Surface* text = TTF_RenderText_Solid(scene->scrollFont, scrollMessage, {250, 150, 250, 0});
  ASSERT_NE(text, nullptr);
  EXPECT_LE(text->h, 50);
  SDL_FreeSurface(text);
}

TEST_F(Scroller, MessageMovesOnePixelPerTenMillisecondsFromTheRightEdge) {
  const int glyph = firstGlyphOffset();
  ASSERT_GT(glyph, 320);  // the leading blanks keep the start of the strip empty
  EXPECT_EQ(firstTextColumn(stripAt(0)), -1);
  EXPECT_EQ(firstTextColumn(stripAt(9)), -1);
  // The first glyph column reaches the strip's last column after `glyph` steps, not before.
  EXPECT_EQ(firstTextColumn(stripAt(10 * glyph + 9)), -1);
  EXPECT_EQ(firstTextColumn(stripAt(10 * glyph + 10)), 319);
  EXPECT_EQ(firstTextColumn(stripAt(10 * glyph + 1000)), 220);
  EXPECT_EQ(firstTextColumn(stripAt(10 * glyph + 3195)), 1);
}

TEST_F(Scroller, PositionWrapsInSixteenBitsAndTheMessageRepeats) {
  const std::vector<Uint32> early = stripAt(20000);
  ASSERT_NE(firstTextColumn(early), -1);
  // Past 330,890 ms the position turns large and positive: the strip is empty.
  EXPECT_EQ(firstTextColumn(stripAt(330890)), -1);
  EXPECT_EQ(firstTextColumn(stripAt(400000)), -1);
  // From 655,360 ms on the message comes round again exactly as before.
  EXPECT_EQ(firstTextColumn(stripAt(655360)), -1);
  EXPECT_EQ(stripAt(655360 + 20000), early);
}

TEST_F(Scroller, SlicesStayWithinTheirWobbleAroundRowOneFiftyFive) {
  const Uint32 tick = 20000;
  ScriptedClock::install(tick);
  SDL_Surface* target = makeSurface(320, 240);
  SDL_FillRect(target, nullptr, 0);
  scene->drawScroller(target);
  EXPECT_EQ(ScriptedClock::reads, 65);  // one for the position, two per slice
  int lit = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      if (getPixel(target, x, y) != 0) {
        EXPECT_EQ(getPixel(target, x, y), pink);
        EXPECT_GE(y, 146);
        EXPECT_LE(y, 213);
        ++lit;
      }
  EXPECT_GT(lit, 100);
  SDL_FreeSurface(target);
}

TEST(ScrollerFont, ADamagedFontIsReportedOnceAndTheRunGoesOn) {
  startPlatform();
  TempWorkDir dir;
  writeSceneAssets(dir);
  // The first half of the font still opens, but the glyph table is cut: every glyph comes out
  // empty.
  const auto size = std::filesystem::file_size("res/bigFont.ttf");
  std::filesystem::resize_file("res/bigFont.ttf", size / 2);
  IntroScene scene;
  scene.resetEffects();
  SDL_Surface* target = makeSurface(320, 240);
  ::testing::internal::CaptureStderr();
  for (Uint32 tick : {1000u, 1020u, 9000u}) {
    ScriptedClock::install(tick);
    scene.drawScroller(target);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Font render failed! : res/bigFont.ttf\n");
  SDL_FreeSurface(target);
}

TEST_F(Scroller, AWorkingFontSaysNothing) {
  SDL_Surface* target = makeSurface(320, 240);
  ::testing::internal::CaptureStderr();
  ScriptedClock::install(1000);
  scene->drawScroller(target);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  SDL_FreeSurface(target);
}
