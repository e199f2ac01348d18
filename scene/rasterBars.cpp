#include <cmath>

#include "app/clock.h"
#include "gfx/blit.h"
#include "scene/effectState.h"
#include "scene/introScene.h"

bool rasterBarsStarted = false;
int32_t rasterBarRows = 0;
Uint32 rasterBarTick = 0;

void IntroScene::drawRasterBars(SDL_Surface* target) {
  if (!rasterBarsStarted) {
    rasterBarsStarted = true;
    rasterBarTick = ticks();
  }

  // Two-row bars from row 60 down. The first wave, delayed 20 ms per row, sets how tightly
  // the colours pack down the block; the second moves them.
  for (int32_t i = 0; i < rasterBarRows; i += 2) {
    const Uint32 u = ticks() + 20u * static_cast<Uint32>(i);
    const int a = static_cast<int>(200.0 * std::sin(static_cast<double>(u) / 1000.0));
    const Uint32 w = ticks() + static_cast<Uint32>(i * (a + 200));
    const int d = static_cast<int>(100.0 * std::sin(static_cast<double>(w) / 500.0));
    fillRectRGB(target, 0, 60 + i, 320, 2, d + 100, d + 100, d + 150);
  }

  // The block grows by a row whenever more than 20 ms have passed, to 130 rows, and stays.
  if (ticks() - rasterBarTick > 20) {
    rasterBarTick = ticks();
    if (rasterBarRows <= 129) ++rasterBarRows;
  }
}
