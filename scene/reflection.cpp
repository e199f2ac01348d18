#include "gfx/surface.h"
#include "scene/introScene.h"

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
