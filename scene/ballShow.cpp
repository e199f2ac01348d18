#include "scene/effectState.h"
#include "scene/introScene.h"

bool ballShowStarted = false;
int32_t ballShowBase = 0;
int32_t ballStepTick = 0;
int32_t ballCount = 0;
int32_t firstBall = 0;
float ballPhase = 0.1f;
float ballPhaseStep = 0.001f;
int32_t redBallX = 1;
int32_t redBallY = 60;
int32_t redBallDX = 3;
int32_t redBallDY = 4;
int32_t rasterBarsOn = 0;
int32_t ballShowTime = 0;

void IntroScene::drawBallShow(SDL_Surface*) {}
