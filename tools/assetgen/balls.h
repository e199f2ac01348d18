#pragma once

#include "rgbImage.h"

// Ball sprites sit on magenta, the colour the loader keys out. Every pixel of the ball itself
// stays far from magenta, since at 16 bits any colour that rounds to the key vanishes too.
const Rgb ballKey{255, 0, 255};

// Up to 251 of these ride the chain, so it is small.
constexpr int greenBallSize = 16;
// The red ball bounces alone with its corner inside about (-2..259, 56..132).
constexpr int redBallSize = 56;

RgbImage makeGreenBall();
RgbImage makeRedBall();
