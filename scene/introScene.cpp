#include "scene/introScene.h"

#include <cmath>
#include <cstdlib>

#include "base/assetNames.h"
#include "base/errors.h"
#include "base/loaders.h"
#include "gfx/blit.h"

namespace {
SDL_Surface* createWorkSurface() {
  SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 50, 16, 0, 0, 0, 0);
  if (surface == nullptr) {
    // The effects draw into these every frame; without them there is nothing to show.
    printError(SDL_GetError());
    endRun(1);
  }
  return surface;
}

SDL_Rect cell(int x, int y) {
  return SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), 5, 5};
}
}  // namespace

IntroScene::IntroScene() {
  reflectionSurface = createWorkSurface();
  scrollerSurface = createWorkSurface();
  SDL_SetColorKey(scrollerSurface, SDL_SRCCOLORKEY | SDL_RLEACCEL,
                  SDL_MapRGB(scrollerSurface->format, 0, 0, 0));
  setSurfaceAlpha(reflectionSurface, 125);
  scrollFont = loadFont(assets::font, 18);
  logoSurface = loadImage(assets::logo);
  greenBallSurface = loadImageKeyed(assets::greenBall, 255, 0, 255);
  redBallSurface = loadImageKeyed(assets::redBall, 255, 0, 255);
  backgroundSurface = loadImage(assets::background);
  setSurfaceAlpha(logoSurface, 175);

  reflectionBandRect = SDL_Rect{0, 190, 320, 50};
  backgroundViewRect = SDL_Rect{0, 0, 320, 240};

  for (int k = 0; k < tableSize; ++k) {
    const double angle = (k * 3.1415) / 500.0;
    sineTable[k] = static_cast<int>(std::sin(angle) * 500.0);
    cosineTable[k] = static_cast<int>(std::cos(angle) * 500.0);
  }

  for (int j = 0; j < stripCount; ++j) {
    stripRects[j] = SDL_Rect{static_cast<Sint16>(10 * j), 0, 10, 50};
  }

  // One closed clockwise loop of 5x5 cells around the logo: top, right, bottom, left.
  int index = 0;
  for (int n = 0; n < 34; ++n) lightPathRects[index++] = cell(75 + 5 * n, 5);
  for (int n = 0; n < 8; ++n) lightPathRects[index++] = cell(240, 10 + 5 * n);
  for (int n = 0; n < 34; ++n) lightPathRects[index++] = cell(240 - 5 * n, 50);
  for (int n = 0; n < 8; ++n) lightPathRects[index++] = cell(75, 45 - 5 * n);
}

IntroScene::~IntroScene() {
  // The font stays open: the font engine's shutdown closes it.
  SDL_FreeSurface(reflectionSurface);
  SDL_FreeSurface(scrollerSurface);
  SDL_FreeSurface(logoSurface);
  SDL_FreeSurface(greenBallSurface);
  SDL_FreeSurface(redBallSurface);
  SDL_FreeSurface(backgroundSurface);
}
