#include <gtest/gtest.h>

#include "base/clock.h"
#include "scene/ballShow.h"
#include "scene/rasterBars.h"
#include "support/effectScene.h"

namespace {
bool barIs(int i, Uint8 level) {
  return screenBoxIs(0, 60 + i, 320, 2, displayColour(level, level, level + 50));
}
}  // namespace

TEST(RasterBars, FirstCallStartsTheTimerAndDrawsNothing) {
  EffectScene fx;
  fillScreen(0, 0, 0);
  ScriptedClock::install(40000);
  fx.scene().drawRasterBars(getScreen());
  EXPECT_TRUE(rasterBarsState().started);
  EXPECT_EQ(rasterBarsState().tick, 40000u);
  EXPECT_EQ(rasterBarsState().rows, 0);
  EXPECT_EQ(ScriptedClock::reads, 2);
  EXPECT_EQ(countScreenPixels(displayColour(0, 0, 0)), 320 * 240);
}

TEST(RasterBars, GrowOneRowPerFrameMoreThan20msApartUpTo130) {
  EffectScene fx;
  IntroScene& scene = fx.scene();
  ScriptedClock::install(40000);
  scene.drawRasterBars(getScreen());
  for (int frame = 1; frame <= 5; ++frame) {
    ScriptedClock::now = 40000 + 21 * frame;
    scene.drawRasterBars(getScreen());
    EXPECT_EQ(rasterBarsState().rows, frame);
    EXPECT_EQ(rasterBarsState().tick, ScriptedClock::now);
  }
  // Exactly 20 ms is not enough.
  ScriptedClock::now += 20;
  scene.drawRasterBars(getScreen());
  EXPECT_EQ(rasterBarsState().rows, 5);

  // Five rows draw three bars; row 66 stays as it was.
  fillScreen(0, 0, 0);
  ScriptedClock::now += 1;
  scene.drawRasterBars(getScreen());
  EXPECT_EQ(rasterBarsState().rows, 6);
  EXPECT_FALSE(screenBoxIs(0, 64, 320, 2, displayColour(0, 0, 0)));
  EXPECT_TRUE(screenBoxIs(0, 66, 320, 1, displayColour(0, 0, 0)));

  rasterBarsState().rows = 129;
  for (int frame = 0; frame < 3; ++frame) {
    ScriptedClock::now += 50;
    scene.drawRasterBars(getScreen());
  }
  EXPECT_EQ(rasterBarsState().rows, 130);
}

TEST(RasterBars, FullBlockColoursFollowTheirOwnClockReadings) {
  EffectScene fx;
  fillScreen(0, 0, 0);
  rasterBarsState().started = true;
  rasterBarsState().tick = 123456;
  rasterBarsState().rows = 130;
  // Every reading advances 3 ms: bar i reads 123456 + 3i for its first wave and 3 ms later for
  // its second.
  ScriptedClock::install(123456, 3);
  fx.scene().drawRasterBars(getScreen());

  EXPECT_EQ(ScriptedClock::reads, 65 * 2 + 2);
  EXPECT_EQ(rasterBarsState().tick, 123456u + 3 * 131);
  EXPECT_EQ(rasterBarsState().rows, 130);
  EXPECT_TRUE(barIs(0, 195));
  EXPECT_TRUE(barIs(2, 190));
  EXPECT_TRUE(barIs(64, 5));
  EXPECT_TRUE(barIs(100, 186));
  EXPECT_TRUE(barIs(128, 118));
  // 65 bars cover rows 60 to 189 and nothing else.
  for (int row = 60; row < 190; row += 2) {
    EXPECT_FALSE(screenBoxIs(0, row, 1, 1, displayColour(0, 0, 0))) << row;
    EXPECT_TRUE(screenBoxIs(0, row, 320, 2, screenPixel(0, row))) << row;
  }
  EXPECT_TRUE(screenBoxIs(0, 0, 320, 60, displayColour(0, 0, 0)));
  EXPECT_TRUE(screenBoxIs(0, 190, 320, 50, displayColour(0, 0, 0)));
}
