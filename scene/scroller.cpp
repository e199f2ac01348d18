#include <SDL_ttf.h>

#include "base/clock.h"
#include "gfx/blit.h"
#include "scene/introScene.h"
#include "scene/scrollMessage.h"

namespace {
const SDL_Color scrollTextColour = {250, 150, 250, 0};
}

void IntroScene::drawScroller(SDL_Surface* target) {
  SDL_FillRect(scrollerSurface, nullptr, SDL_MapRGB(scrollerSurface->format, 0, 0, 0));

  SDL_Surface* text = TTF_RenderText_Solid(scrollFont, scrollMessage, scrollTextColour);
  // One pixel per 10 ms from the strip's right edge; the rectangle's 16-bit x wraps it.
  const int x = 320 - static_cast<int>(ticks() / 10);
  if (text != nullptr) blitAtAndFree(x, 0, text, scrollerSurface);

  for (int i = 0; i < stripCount; ++i) {
    const int y = 155 + sineTable[(ticks() + 15u * i) % tableSize] / 50;
    const int sliceX = 10 * i + cosineTable[(ticks() + 20u * i) % tableSize] / 50;
    blitRegionAt(sliceX, y, scrollerSurface, target, &stripRects[i]);
  }
}
