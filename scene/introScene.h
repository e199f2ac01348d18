#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

// Everything the intro draws from, prepared once before the first frame. The effects keep
// their own running state (see effectState.h); the scene only holds what they draw with.
class IntroScene {
 public:
  static constexpr int tableSize = 15000;
  static constexpr int stripCount = 32;
  static constexpr int lightCellCount = 84;

  IntroScene();
  ~IntroScene();
  IntroScene(const IntroScene&) = delete;
  IntroScene& operator=(const IntroScene&) = delete;

  void drawFrame(SDL_Surface* target);
  void drawBackground(SDL_Surface* target);
  void drawBallShow(SDL_Surface* target);
  void drawRasterBars(SDL_Surface* target);
  void drawLogoAndLights(SDL_Surface* target);
  void drawScroller(SDL_Surface* target);
  void captureReflection(SDL_Surface* source, SDL_Surface* reflection);
  void drawOpeningCurtain(SDL_Surface* target);

  SDL_Surface* reflectionSurface;
  SDL_Surface* scrollerSurface;
  SDL_Surface* logoSurface;
  SDL_Surface* greenBallSurface;
  SDL_Surface* redBallSurface;
  SDL_Surface* backgroundSurface;
  TTF_Font* scrollFont;
  SDL_Rect stripRects[stripCount];
  SDL_Rect lightPathRects[lightCellCount];
  SDL_Rect reflectionBandRect;
  SDL_Rect backgroundViewRect;
  int sineTable[tableSize];
  int cosineTable[tableSize];
};
