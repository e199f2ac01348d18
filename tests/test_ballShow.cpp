#include <gtest/gtest.h>

#include <algorithm>

#include "base/clock.h"
#include "scene/ballShow.h"
#include "scene/rasterBars.h"
#include "support/effectScene.h"

namespace {
Uint32 green() {
  return displayColour(0, 255, 0);
}
Uint32 red() {
  return displayColour(255, 0, 0);
}

// One frame of the show on a black screen at a fixed clock.
void drawShowAt(IntroScene& scene, Uint32 tick) {
  fillScreen(0, 0, 0);
  ScriptedClock::now = tick;
  scene.drawBallShow(getScreen());
}

// A cycle that began at tick 10000, so tick 10000 + 100 n is ballShowState().tenths n.
void cycleFromTick10000() {
  ballShowState().started = true;
  ballShowState().base = 100;
  ScriptedClock::install(10000);
}

bool ballAt(int x, int y, Uint32 colour) {
  const int s = EffectScene::ballSize;
  return screenBoxIs(x + 4, y, s - 8, s, colour) && screenBoxIs(x, y + 4, s, s - 8, colour);
}
}  // namespace

TEST(BallShow, FirstFrameOfACycleDrawsOneBall) {
  EffectScene fx;
  // 60000 ms is entry 15000 of both tables in 4-ms units, wrapping to entry 0.
  ScriptedClock::install(60000);
  drawShowAt(fx.scene(), 60000);
  EXPECT_TRUE(ballShowState().started);
  EXPECT_EQ(ballShowState().base, 600);
  EXPECT_EQ(ballShowState().tenths, 0);
  EXPECT_EQ(ballShowState().ballCount, 1);
  EXPECT_EQ(ballShowState().stepTick, 60000);
  EXPECT_EQ(ScriptedClock::reads, 1 + 2 + 2);
  EXPECT_EQ(countScreenPixels(green()), EffectScene::ballPixels);
  EXPECT_TRUE(ballAt(250, 130, green()));
  EXPECT_FLOAT_EQ(ballShowState().phase, 0.101f);
}

TEST(BallShow, ChainPositionsUseTheirOwnReadingsInDoublePrecision) {
  EffectScene fx;
  // Ball 5 at phase 0.1: 12.4 x 5 entries along the sine, 5.9 x 20 = 117.99999997 along
  // the cosine; single precision would round the latter to 118 and put the ball at x 223.
  ballShowState().started = true;
  ballShowState().firstBall = 5;
  ballShowState().ballCount = 6;
  ScriptedClock::install(0);
  drawShowAt(fx.scene(), 0);
  EXPECT_EQ(countScreenPixels(green()), EffectScene::ballPixels);
  EXPECT_TRUE(ballAt(224, 157, green()));

  // Ball 0 alone, clock stepping 4000 ms (1000 entries) per reading: y and x come from
  // the 3rd and 4th readings, 8000 and 12000 ms, entries 2000 and 3000 (sine 0, cosine 499).
  ballShowState().firstBall = 0;
  ballShowState().ballCount = 1;
  ballShowState().base = 0;
  ballShowState().stepTick = 100000;
  fillScreen(0, 0, 0);
  ScriptedClock::install(0, 4000);
  fx.scene().drawBallShow(getScreen());
  EXPECT_TRUE(ballAt(249, 130, green()));
}

TEST(BallShow, CountHoldsAt250UntilTime350) {
  EffectScene fx;
  cycleFromTick10000();
  ballShowState().ballCount = 250;
  drawShowAt(fx.scene(), 44900);  // ballShowState().tenths 349
  EXPECT_EQ(ballShowState().ballCount, 250);
  EXPECT_EQ(ballShowState().stepTick, 44900);
  drawShowAt(fx.scene(), 45001);  // 350
  EXPECT_EQ(ballShowState().ballCount, 251);
  drawShowAt(fx.scene(), 45099);  // still 350, but too soon for another step
  EXPECT_EQ(ballShowState().ballCount, 251);
  drawShowAt(fx.scene(), 45102);  // 351: the chain starts losing its first balls
  EXPECT_EQ(ballShowState().ballCount, 251);
  EXPECT_EQ(ballShowState().firstBall, 1);
}

TEST(BallShow, NothingGreenOnceFirstBallReachesTheCount) {
  EffectScene fx;
  cycleFromTick10000();
  ballShowState().ballCount = 120;
  ballShowState().firstBall = 118;
  drawShowAt(fx.scene(), 60000);  // 500: the step leaves one ball
  EXPECT_EQ(ballShowState().firstBall, 119);
  EXPECT_EQ(countScreenPixels(green()), EffectScene::ballPixels);
  drawShowAt(fx.scene(), 60101);
  EXPECT_EQ(ballShowState().firstBall, 120);
  EXPECT_EQ(countScreenPixels(green()), 0);
  drawShowAt(fx.scene(), 60202);
  EXPECT_EQ(ballShowState().firstBall, 121);
  EXPECT_EQ(countScreenPixels(green()), 0);
}

TEST(BallShow, PhaseIsComparedBeforeItIsStepped) {
  EffectScene fx;
  cycleFromTick10000();
  ballShowState().phase = 2.9995f;
  drawShowAt(fx.scene(), 20000);
  EXPECT_NEAR(ballShowState().phase, 3.0005f, 1e-6);
  EXPECT_FLOAT_EQ(ballShowState().phaseStep, 0.001f);
  drawShowAt(fx.scene(), 20020);
  EXPECT_FLOAT_EQ(ballShowState().phaseStep, -0.001f);
  EXPECT_NEAR(ballShowState().phase, 2.9995f, 1e-6);

  ballShowState().phase = 0.0005f;
  drawShowAt(fx.scene(), 20040);
  EXPECT_NEAR(ballShowState().phase, -0.0005f, 1e-6);
  drawShowAt(fx.scene(), 20060);
  EXPECT_FLOAT_EQ(ballShowState().phaseStep, 0.001f);
  EXPECT_NEAR(ballShowState().phase, 0.0005f, 1e-6);
}

TEST(BallShow, RedBallTurnsOnEveryFrameButMovesAfterMoreThan10ms) {
  EffectScene fx;
  cycleFromTick10000();
  ballShowState().redBallX = 200;
  ballShowState().redBallY = 131;
  ballShowState().stepTick = 80000;
  drawShowAt(fx.scene(), 80005);  // ballShowState().tenths 700
  EXPECT_TRUE(ballAt(200, 131, red()));
  EXPECT_EQ(ballShowState().redBallDY, -4);
  EXPECT_EQ(ballShowState().redBallY, 131);
  drawShowAt(fx.scene(), 80010);
  EXPECT_EQ(ballShowState().redBallDY, 4);
  EXPECT_EQ(ballShowState().redBallY, 131);
  drawShowAt(fx.scene(), 80021);
  EXPECT_EQ(ballShowState().redBallDY, -4);
  EXPECT_EQ(ballShowState().redBallY, 127);
  EXPECT_EQ(ballShowState().redBallX, 203);
  EXPECT_EQ(ballShowState().stepTick, 80021);
  EXPECT_EQ(countScreenPixels(red()), EffectScene::ballPixels);
}

TEST(BallShow, ResetAt850KeepsTheStartAndTheBars) {
  EffectScene fx;
  cycleFromTick10000();
  ballShowState().ballCount = 251;
  ballShowState().firstBall = 100;
  ballShowState().phase = 2.0f;
  ballShowState().phaseStep = -0.001f;
  ballShowState().redBallX = 77, ballShowState().redBallY = 99, ballShowState().redBallDX = -3,
  ballShowState().redBallDY = -4;
  ballShowState().stepTick = 94990;
  ballShowState().rasterBarsOn = true;
  rasterBarsState().started = true;
  rasterBarsState().rows = 130;
  rasterBarsState().tick = 95000;

  drawShowAt(fx.scene(), 95000);  // ballShowState().tenths 850
  EXPECT_EQ(countScreenPixels(green()) + countScreenPixels(red()), 0);
  EXPECT_FALSE(screenBoxIs(0, 60, 1, 1, displayColour(0, 0, 0)));  // the bars are still drawn
  EXPECT_TRUE(ballShowState().started);
  EXPECT_TRUE(ballShowState().rasterBarsOn);
  EXPECT_EQ(ballShowState().base, 950);
  EXPECT_EQ(ballShowState().stepTick, 0);
  EXPECT_EQ(ballShowState().ballCount, 0);
  EXPECT_EQ(ballShowState().firstBall, 0);
  EXPECT_FLOAT_EQ(ballShowState().phase, 0.1f);
  EXPECT_FLOAT_EQ(ballShowState().phaseStep, 0.001f);
  EXPECT_EQ(ballShowState().redBallX, 1);
  EXPECT_EQ(ballShowState().redBallY, 60);
  EXPECT_EQ(ballShowState().redBallDX, 3);
  EXPECT_EQ(ballShowState().redBallDY, 4);

  drawShowAt(fx.scene(), 95020);
  EXPECT_EQ(ballShowState().tenths, 0);
  EXPECT_EQ(countScreenPixels(green()), EffectScene::ballPixels);
  EXPECT_EQ(rasterBarsState().rows, 130);
}

// Frame by frame at 20 ms through two whole cycles and onto the first frame of a third, on a
// black screen.
TEST(BallShow, LongDriveThroughTwoCycles) {
  EffectScene fx;
  IntroScene& scene = fx.scene();
  ScriptedClock::install(10010);
  int cycle = 0;
  int32_t lastTime = -1;
  int32_t mostBalls = 0;
  bool barsSeenOff = false;
  for (Uint32 tick = 10010;; tick += 20) {
    const bool barsWereOn = ballShowState().rasterBarsOn;
    const int32_t rowsBefore = rasterBarsState().rows;
    drawShowAt(scene, tick);
    const int32_t time = ballShowState().tenths;
    SCOPED_TRACE(testing::Message() << "cycle " << cycle << " time " << time);
    const bool firstFrame = time < lastTime || lastTime < 0;
    if (time < lastTime) ++cycle;
    lastTime = time;

    if (firstFrame) {
      ASSERT_EQ(time, 0);
      ASSERT_EQ(ballShowState().ballCount, 1);
      ASSERT_EQ(countScreenPixels(green()), EffectScene::ballPixels);
    }
    if (cycle == 2) break;
    ASSERT_LE(ballShowState().ballCount, time <= 349 ? 250 : 251);
    mostBalls = std::max(mostBalls, ballShowState().ballCount);

    // One pixel count per five seconds of each phase; the red ball every frame.
    const bool sample = time % 50 == 0 && tick % 100 < 20;
    if (time <= 649) {
      if (sample) {
        ASSERT_EQ(countScreenPixels(red()), 0);
        ASSERT_EQ(countScreenPixels(green()) > 0,
                  ballShowState().firstBall < ballShowState().ballCount);
      }
    } else if (time <= 849) {
      ASSERT_TRUE(ballShowState().rasterBarsOn);
      if (!barsWereOn) {
        // The frame that switches the bars on does not draw them yet.
        ASSERT_FALSE(rasterBarsState().started);
        barsSeenOff = true;
      }
      ASSERT_GE(ballShowState().redBallX, -2);
      ASSERT_LE(ballShowState().redBallX, 259);
      ASSERT_GE(ballShowState().redBallY, 56);
      ASSERT_LE(ballShowState().redBallY, 132);
      if (sample) {
        // Drawn where it stood before this frame's move, over the bars.
        ASSERT_TRUE(ballAt(ballShowState().redBallX - ballShowState().redBallDX,
                           ballShowState().redBallY - ballShowState().redBallDY, red()));
        ASSERT_EQ(countScreenPixels(green()), 0);
      }
    } else {
      ASSERT_EQ(countScreenPixels(green()) + countScreenPixels(red()), 0);
    }

    // Once they have rows, the bars are drawn every frame and never shrink.
    ASSERT_GE(rasterBarsState().rows, rowsBefore);
    if (rowsBefore > 0) {
      ASSERT_FALSE(screenBoxIs(0, 60, 1, 1, displayColour(0, 0, 0)));
    }
    if (cycle == 1) {
      ASSERT_EQ(rasterBarsState().rows, 130);
      ASSERT_FALSE(screenBoxIs(0, 188, 1, 2, displayColour(0, 0, 0)));
    }
  }
  EXPECT_TRUE(barsSeenOff);
  EXPECT_EQ(mostBalls, 251);
}
