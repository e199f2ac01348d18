#include "scene/logoAndLights.h"

#include "base/clock.h"
#include "gfx/blit.h"
#include "scene/introScene.h"

namespace {
LightsState lights;

// Fills through a copy: the library clips the rectangle it is given, and the path stays fixed.
void fillCell(SDL_Surface* target, SDL_Rect cell, Uint32 colour) {
  SDL_FillRect(target, &cell, colour);
}
}  // namespace

LightsState& lightsState() {
  return lights;
}

void resetLights() {
  lights = LightsState{};
}

void IntroScene::drawLogoAndLights(SDL_Surface* target) {
  blitAt(80, 10, logoSurface, target);
  fillRectRGB(target, 0, 55, 320, 5, 100, 33, 100);

  // The speed follows a slow sine in units of 10 ms, at most about two cells a frame either
  // way; a move below 0 is mirrored back, so the trails bounce off the first cell.
  const Uint32 t = ticks();
  const int speed = sineTable[(t / 10) % tableSize];
  const float v = lights.position + static_cast<float>(speed) / 250.0f;
  lights.position = v > 0 ? v : -v;

  const int p = static_cast<int>(lights.position);
  // Two identical trails half the loop apart, brightening towards their eleventh cell.
  for (int i = 0; i < 10; ++i) {
    const Uint32 colour = SDL_MapRGB(target->format, 55 + 20 * i, 0, 0);
    fillCell(target, lightPathRects[(p + i) % lightCellCount], colour);
    fillCell(target, lightPathRects[(p + i + 42) % lightCellCount], colour);
  }
  for (int j = 0; j < 10; ++j) {
    const Uint32 colour = SDL_MapRGB(target->format, 255 - 20 * j, 0, 0);
    fillCell(target, lightPathRects[(p + j + 10) % lightCellCount], colour);
    fillCell(target, lightPathRects[(p + j + 52) % lightCellCount], colour);
  }
}
