#include "app/clock.h"
#include "gfx/blit.h"
#include "scene/effectState.h"
#include "scene/introScene.h"

bool ballShowStarted = false;
int32_t ballShowBase = 0;
int32_t ballStepTick = 0;
int32_t ballCount = 0;
int32_t firstBall = 0;
float ballPhase = 0.1f;
float ballPhaseStep = 0.001f;
int32_t redBallX = 1;
int32_t redBallY = 60;
int32_t redBallDX = 3;
int32_t redBallDY = 4;
int32_t rasterBarsOn = 0;
int32_t ballShowTime = 0;

namespace {
// The show's timers are signed; the difference wraps the way the tick counter does.
int32_t since(int32_t now, int32_t then) {
  return static_cast<int32_t>(static_cast<Uint32>(now) - static_cast<Uint32>(then));
}

// Table position of a ball: the clock in 4-ms units plus the ball's spacing along the
// curve, worked out in double precision and truncated.
int32_t chainIndex(Uint32 quarterTicks, double spacing, int32_t ball) {
  return static_cast<int32_t>(static_cast<double>(quarterTicks) + spacing * 4.0 * ball);
}

void resetCycle() {
  ballShowBase = static_cast<int32_t>(ticks() / 100);
  ballStepTick = 0;
  ballCount = 0;
  firstBall = 0;
  ballPhase = 0.1f;
  ballPhaseStep = 0.001f;
  redBallX = 1;
  redBallY = 60;
  redBallDX = 3;
  redBallDY = 4;
}
}  // namespace

// An 85-second cycle in tenths of a second: 65 s of the green chain growing and shrinking,
// 20 s of the bouncing red ball, then a reset. The bars, once on, stay beneath it all.
void IntroScene::drawBallShow(SDL_Surface* target) {
  if (!ballShowStarted) {
    ballShowStarted = true;
    ballShowBase = static_cast<int32_t>(ticks() / 100);
  }
  const int32_t t1 = static_cast<int32_t>(ticks());
  ballShowTime = static_cast<int32_t>(ticks() / 100) - ballShowBase;

  if (rasterBarsOn != 0) drawRasterBars(target);

  if (ballShowTime <= 649) {
    // At most one counting step a frame, more than 100 ms apart.
    if (since(t1, ballStepTick) > 100) {
      ballStepTick = t1;
      if (ballShowTime <= 349 && ballCount >= 250) {
        ballCount = 250;
      } else if (ballShowTime <= 350) {
        ++ballCount;
      } else {
        ++firstBall;
      }
    }

    for (int32_t i = firstBall; i < ballCount; ++i) {
      const int32_t k1 = chainIndex(ticks() >> 2, static_cast<double>(ballPhase) + 3.0, i);
      const int y = 130 + sineTable[k1 % tableSize] / 7;
      const int32_t k2 = chainIndex(ticks() >> 2, 6.0 - static_cast<double>(ballPhase), i);
      const int x = 150 + cosineTable[k2 % tableSize] / 5;
      blitAt(x, y, greenBallSurface, target);
    }

    // Compared before stepping, so the sweep overshoots 0 and 3 by one step.
    if (ballPhase <= 0 || ballPhase >= 3) ballPhaseStep = -ballPhaseStep;
    ballPhase += ballPhaseStep;
  } else if (ballShowTime <= 849) {
    rasterBarsOn = 1;
    blitAt(redBallX, redBallY, redBallSurface, target);
    // The direction is checked every frame, the ball moves only after more than 10 ms.
    if (redBallY < 60 || redBallY > 130) redBallDY = -redBallDY;
    if (redBallX < 0 || redBallX > 256) redBallDX = -redBallDX;
    if (since(t1, ballStepTick) <= 10) return;
    ballStepTick = t1;
    redBallY += redBallDY;
    redBallX += redBallDX;
  } else {
    resetCycle();
  }
}
