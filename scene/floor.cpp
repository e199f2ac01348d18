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
// reflection's blue fill shows through. Both surfaces are in the display's 16-bit format,
// at least 320 pixels wide, so whole rows are walked directly.
void IntroScene::captureReflection(SDL_Surface* source, SDL_Surface* reflection) {
  lockSurface(source);
  lockSurface(reflection);
  for (int i = 0; i < 50; ++i) {
    const Uint16* from = reinterpret_cast<const Uint16*>(static_cast<const Uint8*>(source->pixels) +
                                                         (190 - i) * source->pitch);
    Uint16* to =
        reinterpret_cast<Uint16*>(static_cast<Uint8*>(reflection->pixels) + i * reflection->pitch);
    for (int j = 0; j < 320; ++j) {
      if (from[j] != 0) to[j] = from[j];
    }
  }
  unlockSurface(reflection);
  unlockSurface(source);
}
