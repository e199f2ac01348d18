#include <gtest/gtest.h>

#include "base/clock.h"
#include "scene/logoAndLights.h"
#include "support/effectScene.h"

namespace {
// Red along one trail, by increasing path index: rising to the eleventh cell, then falling.
const int trailRed[20] = {55,  75,  95,  115, 135, 155, 175, 195, 215, 235,
                          255, 235, 215, 195, 175, 155, 135, 115, 95,  75};
const Uint8 groundGreen = 90;  // what unlit cells show

// Checks all 84 cells: the two trails start at cells p and p + 42, every other cell is unlit.
void expectTrailsFrom(const IntroScene& scene, int p) {
  for (int cell = 0; cell < IntroScene::lightCellCount; ++cell) {
    const int along = ((cell - p) % 84 + 84) % 84 % 42;
    const Uint32 colour =
        along < 20 ? displayColour(trailRed[along], 0, 0) : displayColour(0, groundGreen, 0);
    const SDL_Rect& r = scene.lightPathRects[cell];
    EXPECT_TRUE(screenBoxIs(r.x, r.y, 5, 5, colour)) << "cell " << cell << " from p " << p;
  }
}

// Tick 5000 selects table entry 500, which is 0: the trails stand still.
const Uint32 stillTick = 5000;
}  // namespace

TEST(LogoLights, FirstStillFrameStartsTrailsAtTheCornersUnderTheRule) {
  EffectScene fx;
  fillScreen(0, groundGreen, 0);
  ScriptedClock::install(stillTick);
  fx.scene().drawLogoAndLights(getScreen());

  EXPECT_EQ(ScriptedClock::reads, 1);
  EXPECT_EQ(lightsState().position, 0.0f);
  expectTrailsFrom(fx.scene(), 0);
  EXPECT_TRUE(screenBoxIs(75, 5, 5, 5, displayColour(55, 0, 0)));        // top-left corner
  EXPECT_TRUE(screenBoxIs(240, 50, 5, 5, displayColour(55, 0, 0)));      // bottom-right corner
  EXPECT_TRUE(screenBoxIs(0, 55, 320, 5, displayColour(100, 33, 100)));  // the rule
  EXPECT_TRUE(screenBoxIs(0, 54, 75, 1, displayColour(0, groundGreen, 0)));
  EXPECT_TRUE(screenBoxIs(0, 60, 320, 1, displayColour(0, groundGreen, 0)));

  // The logo is translucent: neither the ground nor its own blue shows pure.
  const Uint32 logo = screenPixel(120, 30);
  EXPECT_NE(logo, displayColour(0, groundGreen, 0));
  EXPECT_NE(logo, displayColour(0, 0, 255));
  EXPECT_TRUE(screenBoxIs(80, 10, 160, 40, logo));
}

TEST(LogoLights, TrailsWrapFromTheLastCellToTheFirst) {
  EffectScene fx;
  fillScreen(0, groundGreen, 0);
  lightsState().position = 83.7f;
  ScriptedClock::install(stillTick);
  fx.scene().drawLogoAndLights(getScreen());

  EXPECT_FLOAT_EQ(lightsState().position, 83.7f);
  expectTrailsFrom(fx.scene(), 83);  // cells 83, 0 .. 18 and 41 .. 60
}

TEST(LogoLights, PositionBouncesOffZeroAndRunsUnboundedUpward) {
  EffectScene fx;
  IntroScene& scene = fx.scene();

  // Speed -2 from 1.5 would reach -0.5; the trails bounce back to 0.5 instead of wrapping.
  scene.sineTable[1234] = -500;
  lightsState().position = 1.5f;
  fillScreen(0, groundGreen, 0);
  ScriptedClock::install(12340);
  scene.drawLogoAndLights(getScreen());
  EXPECT_FLOAT_EQ(lightsState().position, 0.5f);
  expectTrailsFrom(scene, 0);

  // Far past the end of the path the cell index wraps modulo 84.
  lightsState().position = 1000.25f;
  fillScreen(0, groundGreen, 0);
  ScriptedClock::now = stillTick;
  scene.drawLogoAndLights(getScreen());
  EXPECT_FLOAT_EQ(lightsState().position, 1000.25f);
  expectTrailsFrom(scene, 1000 % 84);
}

TEST(LogoLights, SpeedFollowsTheSineTableInTenMillisecondUnits) {
  EffectScene fx;
  // 152509 ms is entry 15250, which wraps to entry 250: the fastest clockwise speed.
  lightsState().position = 0.0f;
  ScriptedClock::install(152509);
  fx.scene().drawLogoAndLights(getScreen());
  EXPECT_FLOAT_EQ(lightsState().position, 499 / 250.0f);

  // Entry 750 is the fastest counter-clockwise speed; from 10 it runs back.
  lightsState().position = 10.0f;
  ScriptedClock::now = 7500;
  fx.scene().drawLogoAndLights(getScreen());
  EXPECT_FLOAT_EQ(lightsState().position, 10.0f - 499 / 250.0f);
}
