#pragma once

#include <SDL.h>

// The panning background's running state, kept for the whole run.
struct BackgroundState {
  bool started = false;
  Uint32 tick = 0;  // clock reading of the window's last move, set on the first call
};

// The background's own state; tests and tools read or set it here.
BackgroundState& backgroundState();
// Back to the state at program start.
void resetBackground();
