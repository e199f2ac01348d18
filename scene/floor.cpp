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
// reflection's blue fill shows through. Both surfaces are in the display's 16-bit format, so
// whole rows are walked directly; any other pairing goes pixel by pixel, with the same result.
void IntroScene::captureReflection(SDL_Surface* source, SDL_Surface* reflection) {
  lockSurface(source);
  lockSurface(reflection);
  const bool rows16 = source->format->BytesPerPixel == 2 &&
                      reflection->format->BytesPerPixel == 2 && source->w >= 320 &&
                      reflection->w >= 320 && source->h > 190 && reflection->h >= 50;
  for (int i = 0; i < 50; ++i) {
    if (rows16) {
      const Uint16* from = reinterpret_cast<const Uint16*>(
          static_cast<const Uint8*>(source->pixels) + (190 - i) * source->pitch);
      Uint16* to = reinterpret_cast<Uint16*>(static_cast<Uint8*>(reflection->pixels) +
                                             i * reflection->pitch);
      for (int j = 0; j < 320; ++j) {
        if (from[j] != 0) to[j] = from[j];
      }
      continue;
    }
    for (int j = 0; j < 320; ++j) {
      const Uint32 v = getPixel(source, j, 190 - i);
      if (v != 0) putPixel(reflection, j, i, v);
    }
  }
  unlockSurface(reflection);
  unlockSurface(source);
}
