#include "scene/effectState.h"
#include "scene/introScene.h"

bool rasterBarsStarted = false;
int32_t rasterBarRows = 0;
Uint32 rasterBarTick = 0;

void IntroScene::drawRasterBars(SDL_Surface*) {}
