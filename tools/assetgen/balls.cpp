#include "balls.h"

#include <cmath>

namespace {

struct BallLook {
  Rgb body;
  Rgb rim;
  double shininess;
};

// A sphere lit from the upper left: ambient plus diffuse light, a white highlight and a
// darker one-pixel rim so it stands out on bright raster bars too. No pixel is blended with
// the key colour: a pixel is either ball or key.
RgbImage makeBall(int size, const BallLook& look) {
  RgbImage image(size, size, ballKey);
  const double radius = size / 2.0;
  const double lx = -0.45, ly = -0.6, lz = 0.66;
  const double lightLength = std::sqrt(lx * lx + ly * ly + lz * lz);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double dx = (x + 0.5 - radius) / radius, dy = (y + 0.5 - radius) / radius;
      const double d2 = dx * dx + dy * dy;
      if (d2 > 1.0) continue;
      const double nz = std::sqrt(1.0 - d2);
      const double diffuse = std::max(0.0, (dx * lx + dy * ly + nz * lz) / lightLength);
      // Reflection of the light about the normal, seen from the front.
      const double rz = 2.0 * nz * (dx * lx + dy * ly + nz * lz) / lightLength - lz / lightLength;
      const double specular = std::pow(std::max(0.0, rz), look.shininess);
      const double shade = 0.22 + 0.85 * diffuse;
      Rgb c{clampByte(look.body.r * shade), clampByte(look.body.g * shade),
            clampByte(look.body.b * shade)};
      c = mix(c, Rgb{255, 255, 240}, std::min(1.0, specular * 0.9));
      if (std::sqrt(d2) * radius > radius - 1.0) c = mix(c, look.rim, 0.6);
      image.set(x, y, c);
    }
  }
  return image;
}

}  // namespace

RgbImage makeGreenBall() {
  return makeBall(greenBallSize, {{50, 225, 70}, {0, 50, 10}, 14.0});
}

RgbImage makeRedBall() {
  return makeBall(redBallSize, {{235, 35, 30}, {60, 0, 0}, 24.0});
}
