#include "background.h"

#include <cmath>

#include "dither.h"
#include "noise.h"

namespace {

const Rgb spaceTop{5, 4, 20};
const Rgb spaceBottom{12, 6, 32};
const Rgb purpleCloud{74, 26, 96};
const Rgb blueCloud{18, 40, 112};

double cloudDensity(double n, double threshold) {
  const double d = std::clamp((n - threshold) * 2.6, 0.0, 1.0);
  return d * d;
}

void paintClouds(RgbImage& image) {
  for (int y = 0; y < image.height; ++y) {
    const Rgb sky = mix(spaceTop, spaceBottom, static_cast<double>(y) / (image.height - 1));
    for (int x = 0; x < image.width; ++x) {
      const double purple = cloudDensity(smoothNoise(x / 150.0, y / 120.0, 5, 17u), 0.42);
      const double blue = cloudDensity(smoothNoise(x / 110.0 + 40.0, y / 170.0, 5, 29u), 0.40);
      Rgb c = mix(sky, purpleCloud, purple * 0.85);
      c = mix(c, blueCloud, blue * 0.7);
      image.set(x, y, c);
    }
  }
}

// Brightens one pixel towards the star colour, so stars sit in clouds without hard holes.
void lighten(RgbImage& image, int x, int y, Rgb colour, double amount) {
  if (!image.contains(x, y)) return;
  image.set(x, y, mix(image.get(x, y), colour, amount));
}

void paintStars(RgbImage& image) {
  Noise random(20070707u);
  const Rgb tints[] = {{200, 210, 255}, {255, 240, 220}, {210, 180, 255}, {235, 235, 245}};
  auto place = [&](int count, double minBright, double maxBright, bool glow) {
    for (int i = 0; i < count; ++i) {
      const int x = static_cast<int>(random.unit() * image.width);
      const int y = static_cast<int>(random.unit() * image.height);
      const Rgb tint = tints[random.next() % 4];
      const double bright = minBright + (maxBright - minBright) * random.unit();
      lighten(image, x, y, tint, bright);
      if (!glow) continue;
      lighten(image, x - 1, y, tint, bright * 0.35);
      lighten(image, x + 1, y, tint, bright * 0.35);
      lighten(image, x, y - 1, tint, bright * 0.35);
      lighten(image, x, y + 1, tint, bright * 0.35);
    }
  };
  place(1400, 0.15, 0.35, false);  // distant dust
  place(260, 0.4, 0.7, false);
  place(40, 0.75, 0.95, true);  // a few bright ones with a soft cross
}

}  // namespace

RgbImage makeBackground() {
  RgbImage image(backgroundWidth, backgroundHeight, spaceTop);
  paintClouds(image);
  ditherTo565(image);
  // Stars go on after dithering so they stay single crisp points.
  paintStars(image);
  return image;
}
