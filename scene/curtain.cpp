#include "gfx/blit.h"
#include "scene/effectState.h"
#include "scene/introScene.h"

int32_t curtainOffset = 0;

// Opens the picture from both edges towards the centre line, one row per edge per call.
void IntroScene::drawOpeningCurtain(SDL_Surface* target) {
  const int c = curtainOffset;
  fillRectRGB(target, 0, c, 320, 120 - c, 0, 0, 0);
  fillRectRGB(target, 0, 120, 320, 120 - c, 0, 0, 0);
  if (c <= 119) curtainOffset = c + 1;
}
