#include "scene/effectState.h"
#include "scene/introScene.h"

bool backgroundStarted = false;
Uint32 backgroundTick = 0;

void IntroScene::drawBackground(SDL_Surface*) {}
