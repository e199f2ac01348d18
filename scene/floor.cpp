#include "gfx/blit.h"
#include "gfx/surface.h"
#include "scene/introScene.h"

// The floor: a black band, then the blue mirror of the rows above it blended over it.
void IntroScene::drawFloor(SDL_Surface* target) {
  SDL_FillRect(target, &reflectionBandRect, SDL_MapRGB(target->format, 0, 0, 0));
  SDL_FillRect(reflectionSurface, nullptr, SDL_MapRGB(reflectionSurface->format, 0, 0, 200));
  captureReflection(target, reflectionSurface);
  blitAt(0, 190, reflectionSurface, target);
}

// Copies rows 190 up to 141 of the picture upside down; 0 means nothing there, so the
// reflection's blue fill shows through.
void IntroScene::captureReflection(SDL_Surface* source, SDL_Surface* reflection) {
  lockSurface(source);
  lockSurface(reflection);
  for (int i = 0; i < 50; ++i) {
    for (int j = 0; j < 320; ++j) {
      const Uint32 v = getPixel(source, j, 190 - i);
      if (v != 0) putPixel(reflection, j, i, v);
    }
  }
  unlockSurface(reflection);
  unlockSurface(source);
}
