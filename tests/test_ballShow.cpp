#include <gtest/gtest.h>

#include <algorithm>

#include "app/clock.h"
#include "scene/effectState.h"
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

// A cycle that began at tick 10000, so tick 10000 + 100 n is ballShowTime n.
void cycleFromTick10000() {
  ballShowStarted = true;
  ballShowBase = 100;
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
  EXPECT_TRUE(ballShowStarted);
  EXPECT_EQ(ballShowBase, 600);
  EXPECT_EQ(ballShowTime, 0);
  EXPECT_EQ(ballCount, 1);
  EXPECT_EQ(ballStepTick, 60000);
  EXPECT_EQ(ScriptedClock::reads, 1 + 2 + 2);
  EXPECT_EQ(countScreenPixels(green()), EffectScene::ballPixels);
  EXPECT_TRUE(ballAt(250, 130, green()));
  EXPECT_FLOAT_EQ(ballPhase, 0.101f);
}

TEST(BallShow, ChainPositionsUseTheirOwnReadingsInDoublePrecision) {
  EffectScene fx;
  // Ball 5 at phase 0.1: 12.4 x 5 entries along the sine, 5.9 x 20 = 117.99999997 along
  // the cosine; single precision would round the latter to 118 and put the ball at x 223.
  ballShowStarted = true;
  firstBall = 5;
  ballCount = 6;
  ScriptedClock::install(0);
  drawShowAt(fx.scene(), 0);
  EXPECT_EQ(countScreenPixels(green()), EffectScene::ballPixels);
  EXPECT_TRUE(ballAt(224, 157, green()));

  // Ball 0 alone, clock stepping 4000 ms (1000 entries) per reading: y and x come from
  // the 3rd and 4th readings, 8000 and 12000 ms, entries 2000 and 3000 (sine 0, cosine 499).
  firstBall = 0;
  ballCount = 1;
  ballShowBase = 0;
  ballStepTick = 100000;
  fillScreen(0, 0, 0);
  ScriptedClock::install(0, 4000);
  fx.scene().drawBallShow(getScreen());
  EXPECT_TRUE(ballAt(249, 130, green()));
}

TEST(BallShow, CountHoldsAt250UntilTime350) {
  EffectScene fx;
  cycleFromTick10000();
  ballCount = 250;
  drawShowAt(fx.scene(), 44900);  // ballShowTime 349
  EXPECT_EQ(ballCount, 250);
  EXPECT_EQ(ballStepTick, 44900);
  drawShowAt(fx.scene(), 45001);  // 350
  EXPECT_EQ(ballCount, 251);
  drawShowAt(fx.scene(), 45099);  // still 350, but too soon for another step
  EXPECT_EQ(ballCount, 251);
  drawShowAt(fx.scene(), 45102);  // 351: the chain starts losing its first balls
  EXPECT_EQ(ballCount, 251);
  EXPECT_EQ(firstBall, 1);
}

TEST(BallShow, NothingGreenOnceFirstBallReachesTheCount) {
  EffectScene fx;
  cycleFromTick10000();
  ballCount = 120;
  firstBall = 118;
  drawShowAt(fx.scene(), 60000);  // 500: the step leaves one ball
  EXPECT_EQ(firstBall, 119);
  EXPECT_EQ(countScreenPixels(green()), EffectScene::ballPixels);
  drawShowAt(fx.scene(), 60101);
  EXPECT_EQ(firstBall, 120);
  EXPECT_EQ(countScreenPixels(green()), 0);
  drawShowAt(fx.scene(), 60202);
  EXPECT_EQ(firstBall, 121);
  EXPECT_EQ(countScreenPixels(green()), 0);
}

TEST(BallShow, PhaseIsComparedBeforeItIsStepped) {
  EffectScene fx;
  cycleFromTick10000();
  ballPhase = 2.9995f;
  drawShowAt(fx.scene(), 20000);
  EXPECT_NEAR(ballPhase, 3.0005f, 1e-6);
  EXPECT_FLOAT_EQ(ballPhaseStep, 0.001f);
  drawShowAt(fx.scene(), 20020);
  EXPECT_FLOAT_EQ(ballPhaseStep, -0.001f);
  EXPECT_NEAR(ballPhase, 2.9995f, 1e-6);

  ballPhase = 0.0005f;
  drawShowAt(fx.scene(), 20040);
  EXPECT_NEAR(ballPhase, -0.0005f, 1e-6);
  drawShowAt(fx.scene(), 20060);
  EXPECT_FLOAT_EQ(ballPhaseStep, 0.001f);
  EXPECT_NEAR(ballPhase, 0.0005f, 1e-6);
}

TEST(BallShow, RedBallTurnsOnEveryFrameButMovesAfterMoreThan10ms) {
  EffectScene fx;
  cycleFromTick10000();
  redBallX = 200;
  redBallY = 131;
  ballStepTick = 80000;
  drawShowAt(fx.scene(), 80005);  // ballShowTime 700
  EXPECT_TRUE(ballAt(200, 131, red()));
  EXPECT_EQ(redBallDY, -4);
  EXPECT_EQ(redBallY, 131);
  drawShowAt(fx.scene(), 80010);
  EXPECT_EQ(redBallDY, 4);
  EXPECT_EQ(redBallY, 131);
  drawShowAt(fx.scene(), 80021);
  EXPECT_EQ(redBallDY, -4);
  EXPECT_EQ(redBallY, 127);
  EXPECT_EQ(redBallX, 203);
  EXPECT_EQ(ballStepTick, 80021);
  EXPECT_EQ(countScreenPixels(red()), EffectScene::ballPixels);
}

TEST(BallShow, ResetAt850KeepsTheStartAndTheBars) {
  EffectScene fx;
  cycleFromTick10000();
  ballCount = 251;
  firstBall = 100;
  ballPhase = 2.0f;
  ballPhaseStep = -0.001f;
  redBallX = 77, redBallY = 99, redBallDX = -3, redBallDY = -4;
  ballStepTick = 94990;
  rasterBarsOn = 1;
  rasterBarsStarted = true;
  rasterBarRows = 130;
  rasterBarTick = 95000;

  drawShowAt(fx.scene(), 95000);  // ballShowTime 850
  EXPECT_EQ(countScreenPixels(green()) + countScreenPixels(red()), 0);
  EXPECT_FALSE(screenBoxIs(0, 60, 1, 1, displayColour(0, 0, 0)));  // the bars are still drawn
  EXPECT_TRUE(ballShowStarted);
  EXPECT_EQ(rasterBarsOn, 1);
  EXPECT_EQ(ballShowBase, 950);
  EXPECT_EQ(ballStepTick, 0);
  EXPECT_EQ(ballCount, 0);
  EXPECT_EQ(firstBall, 0);
  EXPECT_FLOAT_EQ(ballPhase, 0.1f);
  EXPECT_FLOAT_EQ(ballPhaseStep, 0.001f);
  EXPECT_EQ(redBallX, 1);
  EXPECT_EQ(redBallY, 60);
  EXPECT_EQ(redBallDX, 3);
  EXPECT_EQ(redBallDY, 4);

  drawShowAt(fx.scene(), 95020);
  EXPECT_EQ(ballShowTime, 0);
  EXPECT_EQ(countScreenPixels(green()), EffectScene::ballPixels);
  EXPECT_EQ(rasterBarRows, 130);
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
    const bool barsWereOn = rasterBarsOn != 0;
    const int32_t rowsBefore = rasterBarRows;
    drawShowAt(scene, tick);
    const int32_t time = ballShowTime;
    SCOPED_TRACE(testing::Message() << "cycle " << cycle << " time " << time);
    const bool firstFrame = time < lastTime || lastTime < 0;
    if (time < lastTime) ++cycle;
    lastTime = time;

    if (firstFrame) {
      ASSERT_EQ(time, 0);
      ASSERT_EQ(ballCount, 1);
      ASSERT_EQ(countScreenPixels(green()), EffectScene::ballPixels);
    }
    if (cycle == 2) break;
    ASSERT_LE(ballCount, time <= 349 ? 250 : 251);
    mostBalls = std::max(mostBalls, ballCount);

    // One pixel count per five seconds of each phase; the red ball every frame.
    const bool sample = time % 50 == 0 && tick % 100 < 20;
    if (time <= 649) {
      if (sample) {
        ASSERT_EQ(countScreenPixels(red()), 0);
        ASSERT_EQ(countScreenPixels(green()) > 0, firstBall < ballCount);
      }
    } else if (time <= 849) {
      ASSERT_EQ(rasterBarsOn, 1);
      if (!barsWereOn) {
        // The frame that switches the bars on does not draw them yet.
        ASSERT_FALSE(rasterBarsStarted);
        barsSeenOff = true;
      }
      ASSERT_GE(redBallX, -2);
      ASSERT_LE(redBallX, 259);
      ASSERT_GE(redBallY, 56);
      ASSERT_LE(redBallY, 132);
      if (sample) {
        // Drawn where it stood before this frame's move, over the bars.
        ASSERT_TRUE(ballAt(redBallX - redBallDX, redBallY - redBallDY, red()));
        ASSERT_EQ(countScreenPixels(green()), 0);
      }
    } else {
      ASSERT_EQ(countScreenPixels(green()) + countScreenPixels(red()), 0);
    }

    // Once they have rows, the bars are drawn every frame and never shrink.
    ASSERT_GE(rasterBarRows, rowsBefore);
    if (rowsBefore > 0) {
      ASSERT_FALSE(screenBoxIs(0, 60, 1, 1, displayColour(0, 0, 0)));
    }
    if (cycle == 1) {
      ASSERT_EQ(rasterBarRows, 130);
      ASSERT_FALSE(screenBoxIs(0, 188, 1, 2, displayColour(0, 0, 0)));
    }
  }
  EXPECT_TRUE(barsSeenOff);
  EXPECT_EQ(mostBalls, 251);
}
