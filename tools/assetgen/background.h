#pragma once

#include "rgbImage.h"

// The panning window's left edge runs over columns 5 to 316 and its top edge over rows 2 to
// 238, so the picture needs at least 636 x 478 pixels.
constexpr int backgroundWidth = 640;
constexpr int backgroundHeight = 480;

// A dark star field over soft blue and purple clouds, calm enough to carry the logo, balls
// and scroll text.
RgbImage makeBackground();
