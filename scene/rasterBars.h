#pragma once

#include <SDL.h>

#include <cstdint>

// The raster bars' running state, kept for the whole run.
struct RasterBarsState {
  bool started = false;
  int32_t rows = 0;  // rows of the block drawn so far, growing to 130
  Uint32 tick = 0;   // clock reading of the block's last growth
};

// The bars' own state; tests and tools read or set it here.
RasterBarsState& rasterBarsState();
// Back to the state at program start.
void resetRasterBars();
