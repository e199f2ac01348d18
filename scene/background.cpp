#include "scene/background.h"

#include "base/clock.h"
#include "gfx/blit.h"
#include "scene/introScene.h"

namespace {
BackgroundState background;

// The divisors are the single-precision values of 3.2 and 4.2; the quotient itself is not
// rounded to single precision, so an entry of 32 comes to 9.99999985 and truncates to 9.
const double horizontalDivisor = 3.2f;
const double verticalDivisor = 4.2f;
}  // namespace

BackgroundState& backgroundState() {
  return background;
}

void resetBackground() {
  background = BackgroundState{};
}

void IntroScene::drawBackground(SDL_Surface* target) {
  if (!background.started) {
    background.tick = ticks();
    background.started = true;
  }

  if (ticks() - background.tick > 10) {
    background.tick = ticks();
    // One table entry per 6 ms sideways and per 10 ms up and down; the products wrap at
    // 32 bits like the tick counter itself.
    const Uint32 u = (5u * ticks()) / 30u;
    backgroundViewRect.x =
        static_cast<Sint16>(160 + static_cast<int>(cosineTable[u % tableSize] / horizontalDivisor));
    const Uint32 v = (3u * ticks()) / 30u;
    backgroundViewRect.y =
        static_cast<Sint16>(120 + static_cast<int>(sineTable[v % tableSize] / verticalDivisor));
  }

  blitRegionAt(0, 0, backgroundSurface, target, &backgroundViewRect);
}
