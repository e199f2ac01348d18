#pragma once

#include "rgbImage.h"

// The intro shows everything at 16 bits (5, 6 and 5 bits per channel). Error-diffusion
// dithering to those levels keeps soft gradients free of banding once the loader converts
// them, without the regular grid an ordered dither would draw.
void ditherTo565(RgbImage& image);
