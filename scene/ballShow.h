#pragma once

#include <cstdint>

// The ball show's running state, kept for the whole run. A new cycle resets the chain and the
// red ball but leaves the raster bars switched on.
struct BallShowState {
  bool started = false;
  int32_t base = 0;      // the clock in tenths of a second when the current cycle began
  int32_t tenths = 0;    // tenths of a second since then, as last read
  int32_t stepTick = 0;  // clock reading of the last counting step or red-ball move
  int32_t ballCount = 0;
  int32_t firstBall = 0;
  float phase = 0.1f;  // the chain's curve parameter, swept between 0 and 3
  float phaseStep = 0.001f;
  int32_t redBallX = 1;
  int32_t redBallY = 60;
  int32_t redBallDX = 3;
  int32_t redBallDY = 4;
  bool rasterBarsOn = false;  // switched on by the first red-ball frame, never off again
};

// The show's own state; tests and tools read or set it here.
BallShowState& ballShowState();
// Back to the state at program start.
void resetBallShow();
