#include "base/clock.h"
#include "scene/background.h"
#include "scene/ballShow.h"
#include "scene/curtain.h"
#include "scene/introScene.h"
#include "scene/logoAndLights.h"
#include "scene/rasterBars.h"
#include "scene/scroller.h"

// Back to front. The two thresholds read the clock themselves, apart from the effects.
void IntroScene::drawFrame(SDL_Surface* target) {
  drawBackground(target);
  if (ticks() > 10000) drawBallShow(target);
  drawLogoAndLights(target);
  drawScroller(target);
  drawFloor(target);
  if (ticks() < 3000) drawOpeningCurtain(target);
}

void IntroScene::resetEffects() {
  backgroundViewRect = SDL_Rect{0, 0, 320, 240};
  resetBackground();
  resetBallShow();
  resetRasterBars();
  resetLights();
  resetCurtain();
  resetScroller();
}
