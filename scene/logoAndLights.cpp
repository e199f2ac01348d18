#include "scene/effectState.h"
#include "scene/introScene.h"

float lightPosition = 0.0f;

void IntroScene::drawLogoAndLights(SDL_Surface*) {}
