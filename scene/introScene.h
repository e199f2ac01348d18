#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

// Everything the intro draws from, prepared once before the first frame. Each effect keeps
// its own running state in its own file (see its header); the scene only holds what they draw
// with. Every operation draws on the surface it is given, mapping colours through that
// surface's format, which must be the display's.
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
  // Puts every effect, and the background window it moves, back to the state at program
  // start, as if no frame had been drawn; for tests and tools that draw several runs.
  void resetEffects();
  void drawBackground(SDL_Surface* target);
  void drawBallShow(SDL_Surface* target);
  void drawRasterBars(SDL_Surface* target);
  void drawLogoAndLights(SDL_Surface* target);
  void drawScroller(SDL_Surface* target);
  void checkFirstRender(SDL_Surface* text);
  void drawFloor(SDL_Surface* target);
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
