#include "scene/curtain.h"

#include "gfx/blit.h"
#include "scene/introScene.h"

namespace {
CurtainState curtain;
}

CurtainState& curtainState() {
  return curtain;
}

void resetCurtain() {
  curtain = CurtainState{};
}

// Opens the picture from both edges towards the centre line, one row per edge per call.
void IntroScene::drawOpeningCurtain(SDL_Surface* target) {
  const int c = curtain.offset;
  fillRectRGB(target, 0, c, 320, 120 - c, 0, 0, 0);
  fillRectRGB(target, 0, 120, 320, 120 - c, 0, 0, 0);
  if (c <= 119) curtain.offset = c + 1;
}
