#include "app/clock.h"
#include "gfx/blit.h"
#include "gfx/surface.h"
#include "scene/introScene.h"

void IntroScene::drawFrame(SDL_Surface* target) {
  drawBackground(target);
  if (ticks() > 10000) drawBallShow(target);
  drawLogoAndLights(target);
  drawScroller(target);

  // The floor: a black band, then the blue mirror of the rows above it blended over it.
  SDL_FillRect(target, &reflectionBandRect, SDL_MapRGB(getScreen()->format, 0, 0, 0));
  SDL_FillRect(reflectionSurface, nullptr, SDL_MapRGB(getScreen()->format, 0, 0, 200));
  captureReflection(target, reflectionSurface);
  blitAt(0, 190, reflectionSurface, target);

  if (ticks() < 3000) drawOpeningCurtain(target);
}
