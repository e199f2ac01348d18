#include "scene/rasterBars.h"

#include <cmath>

#include "base/clock.h"
#include "gfx/blit.h"
#include "scene/introScene.h"

namespace {
RasterBarsState bars;
}

RasterBarsState& rasterBarsState() {
  return bars;
}

void resetRasterBars() {
  bars = RasterBarsState{};
}

void IntroScene::drawRasterBars(SDL_Surface* target) {
  if (!bars.started) {
    bars.started = true;
    bars.tick = ticks();
  }

  // Two-row bars from row 60 down. The first wave, delayed 20 ms per row, sets how tightly
  // the colours pack down the block; the second moves them.
  for (int32_t i = 0; i < bars.rows; i += 2) {
    const Uint32 u = ticks() + 20u * static_cast<Uint32>(i);
    const int a = static_cast<int>(200.0 * std::sin(static_cast<double>(u) / 1000.0));
    const Uint32 w = ticks() + static_cast<Uint32>(i * (a + 200));
    const int d = static_cast<int>(100.0 * std::sin(static_cast<double>(w) / 500.0));
    fillRectRGB(target, 0, 60 + i, 320, 2, d + 100, d + 100, d + 150);
  }

  // The block grows by a row whenever more than 20 ms have passed, to 130 rows, and stays.
  if (ticks() - bars.tick > 20) {
    bars.tick = ticks();
    if (bars.rows <= 129) ++bars.rows;
  }
}
