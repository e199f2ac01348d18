#pragma once

#include "rgbImage.h"

// The title plate drawn at (80, 10) inside the ring of light cells. It is shown at 175/255
// opacity without a colour key, so the plate behind the letters is part of the picture.
constexpr int logoWidth = 160;
constexpr int logoHeight = 40;

RgbImage makeLogo();
