#include "scene/ballShow.h"

#include "base/clock.h"
#include "gfx/blit.h"
#include "scene/introScene.h"

namespace {
BallShowState show;

// The show's timers are signed; the difference wraps the way the tick counter does.
int32_t since(int32_t now, int32_t then) {
  return static_cast<int32_t>(static_cast<Uint32>(now) - static_cast<Uint32>(then));
}

// Table position of a ball: the clock in 4-ms units plus the ball's spacing along the
// curve, worked out in double precision and truncated.
int32_t chainIndex(Uint32 quarterTicks, double spacing, int32_t ball) {
  return static_cast<int32_t>(static_cast<double>(quarterTicks) + spacing * 4.0 * ball);
}

// A new cycle: the chain and the red ball start afresh; the bars, once on, stay on.
void resetCycle() {
  const BallShowState start;
  show.base = static_cast<int32_t>(ticks() / 100);
  show.stepTick = start.stepTick;
  show.ballCount = start.ballCount;
  show.firstBall = start.firstBall;
  show.phase = start.phase;
  show.phaseStep = start.phaseStep;
  show.redBallX = start.redBallX;
  show.redBallY = start.redBallY;
  show.redBallDX = start.redBallDX;
  show.redBallDY = start.redBallDY;
}
}  // namespace

BallShowState& ballShowState() {
  return show;
}

void resetBallShow() {
  show = BallShowState{};
}

// An 85-second cycle in tenths of a second: 65 s of the green chain growing and shrinking,
// 20 s of the bouncing red ball, then a reset. The bars, once on, stay beneath it all.
void IntroScene::drawBallShow(SDL_Surface* target) {
  if (!show.started) {
    show.started = true;
    show.base = static_cast<int32_t>(ticks() / 100);
  }
  const int32_t t1 = static_cast<int32_t>(ticks());
  show.tenths = static_cast<int32_t>(ticks() / 100) - show.base;

  if (show.rasterBarsOn) drawRasterBars(target);

  if (show.tenths <= 649) {
    // At most one counting step a frame, more than 100 ms apart.
    if (since(t1, show.stepTick) > 100) {
      show.stepTick = t1;
      if (show.tenths <= 349 && show.ballCount >= 250) {
        show.ballCount = 250;
      } else if (show.tenths <= 350) {
        ++show.ballCount;
      } else {
        ++show.firstBall;
      }
    }

    for (int32_t i = show.firstBall; i < show.ballCount; ++i) {
      const int32_t k1 = chainIndex(ticks() >> 2, static_cast<double>(show.phase) + 3.0, i);
      const int y = 130 + sineTable[k1 % tableSize] / 7;
      const int32_t k2 = chainIndex(ticks() >> 2, 6.0 - static_cast<double>(show.phase), i);
      const int x = 150 + cosineTable[k2 % tableSize] / 5;
      blitAt(x, y, greenBallSurface, target);
    }

    // Compared before stepping, so the sweep overshoots 0 and 3 by one step.
    if (show.phase <= 0 || show.phase >= 3) show.phaseStep = -show.phaseStep;
    show.phase += show.phaseStep;
  } else if (show.tenths <= 849) {
    show.rasterBarsOn = true;
    blitAt(show.redBallX, show.redBallY, redBallSurface, target);
    // The direction is checked every frame, the ball moves only after more than 10 ms.
    if (show.redBallY < 60 || show.redBallY > 130) show.redBallDY = -show.redBallDY;
    if (show.redBallX < 0 || show.redBallX > 256) show.redBallDX = -show.redBallDX;
    if (since(t1, show.stepTick) <= 10) return;
    show.stepTick = t1;
    show.redBallY += show.redBallDY;
    show.redBallX += show.redBallDX;
  } else {
    resetCycle();
  }
}
