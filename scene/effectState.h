#pragma once

#include <SDL.h>

#include <cstdint>

// Running state of the effects, kept between frames and never reset by the scene. Each
// variable belongs to the effect whose file defines it.

// Opening curtain: rows uncovered at each edge, 0 to 120.
extern int32_t curtainOffset;

// Light trails: path index where the first trail begins (fractional, never negative).
extern float lightPosition;

// Ball show.
extern bool ballShowStarted;
extern int32_t ballShowBase;
extern int32_t ballStepTick;
extern int32_t ballCount;
extern int32_t firstBall;
extern float ballPhase;
extern float ballPhaseStep;
extern int32_t redBallX;
extern int32_t redBallY;
extern int32_t redBallDX;
extern int32_t redBallDY;
extern int32_t rasterBarsOn;
extern int32_t ballShowTime;

// Raster bars.
extern bool rasterBarsStarted;
extern int32_t rasterBarRows;
extern Uint32 rasterBarTick;

// Panning background.
extern bool backgroundStarted;
extern Uint32 backgroundTick;
