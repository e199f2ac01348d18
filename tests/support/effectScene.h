#pragma once

#include <SDL.h>

#include <memory>

#include "gfx/surface.h"
#include "scene/introScene.h"
#include "support/testPlatform.h"

// A started display and a scene built from throw-away images whose pixels the effect tests
// can predict: a 160x40 blue logo, 16x16 pure green and pure red balls with magenta corners,
// and a 640x480 background whose every pixel differs from its neighbours.
class EffectScene {
 public:
  static constexpr int ballSize = 16;
  static constexpr int ballPixels = ballSize * ballSize - 64;  // less the four keyed 4x4 corners

  EffectScene();
  IntroScene& scene() { return *scene_; }

 private:
  TempWorkDir dir_;
  std::unique_ptr<IntroScene> scene_;
};

void fillScreen(Uint8 r, Uint8 g, Uint8 b);
Uint32 screenPixel(int x, int y);
int countScreenPixels(Uint32 colour);
// True when every pixel of the w x h box at (x, y) on the screen has the colour.
bool screenBoxIs(int x, int y, int w, int h, Uint32 colour);
