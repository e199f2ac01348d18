#include <gtest/gtest.h>

#include "base/clock.h"
#include "gfx/surface.h"
#include "scene/background.h"
#include "support/effectScene.h"

namespace {
// The whole screen must be the image's 320x240 window with its top-left corner at (x, y).
void expectWindowAt(IntroScene& scene, int x, int y) {
  EXPECT_EQ(scene.backgroundViewRect.x, x);
  EXPECT_EQ(scene.backgroundViewRect.y, y);
  EXPECT_EQ(scene.backgroundViewRect.w, 320);
  EXPECT_EQ(scene.backgroundViewRect.h, 240);
  int wrong = 0;
  lockSurface(getScreen());
  for (int row = 0; row < 240; ++row) {
    for (int column = 0; column < 320; ++column) {
      wrong += getPixel(getScreen(), column, row) !=
               getPixel(scene.backgroundSurface, x + column, y + row);
    }
  }
  unlockSurface(getScreen());
  EXPECT_EQ(wrong, 0) << "window at " << x << ", " << y;
}

// A frame of a window that last moved long ago, with the clock advancing 20 ms per reading:
// the check, the fresh tick, t for x, t' for y.
void drawMovingFrame(IntroScene& scene, Uint32 firstReading) {
  backgroundState().started = true;
  backgroundState().tick = 0;
  ScriptedClock::install(firstReading, 20);
  scene.drawBackground(getScreen());
}
}  // namespace

TEST(Background, FirstFrameShowsTheTopLeftOfTheImage) {
  EffectScene fx;
  ScriptedClock::install(20000);
  fx.scene().drawBackground(getScreen());
  EXPECT_TRUE(backgroundState().started);
  EXPECT_EQ(backgroundState().tick, 20000u);
  EXPECT_EQ(ScriptedClock::reads, 2);
  expectWindowAt(fx.scene(), 0, 0);
}

TEST(Background, SinglePrecisionDivisorsTruncateExactMultiplesDown) {
  EffectScene fx;
  IntroScene& scene = fx.scene();
  // Readings 5940 (check), 5960 (tick), 5980 (x: entry 996), 6000 (y: entry 600).
  scene.cosineTable[996] = 32;
  scene.sineTable[600] = 42;
  drawMovingFrame(scene, 5940);
  EXPECT_EQ(ScriptedClock::reads, 4);
  EXPECT_EQ(backgroundState().tick, 5960u);
  expectWindowAt(scene, 169, 130);

  scene.cosineTable[996] = -32;
  scene.sineTable[600] = -42;
  drawMovingFrame(scene, 5940);
  expectWindowAt(scene, 151, 110);
}

TEST(Background, HoldsStillForFramesLessThan11msApart) {
  EffectScene fx;
  IntroScene& scene = fx.scene();
  ScriptedClock::install(30000);
  scene.drawBackground(getScreen());
  expectWindowAt(scene, 0, 0);

  ScriptedClock::now = 30020;  // entries 5003 and 3002
  scene.drawBackground(getScreen());
  expectWindowAt(scene, 315, 121);

  ScriptedClock::now = 30030;  // would be 315, 122
  scene.drawBackground(getScreen());
  expectWindowAt(scene, 315, 121);
  EXPECT_EQ(backgroundState().tick, 30020u);

  ScriptedClock::now = 30031;
  scene.drawBackground(getScreen());
  expectWindowAt(scene, 315, 122);
}

TEST(Background, ProductsWrapAt32Bits) {
  EffectScene fx;
  // 5 x 858993460 wraps to 4, entry 0 (cosine 500); 3 x t does not wrap yet: entry 9346.
  backgroundState().started = true;
  backgroundState().tick = 858993400;
  ScriptedClock::install(858993460);
  fx.scene().drawBackground(getScreen());
  expectWindowAt(fx.scene(), 316, 218);
}
