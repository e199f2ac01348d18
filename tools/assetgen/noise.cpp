#include "noise.h"

#include <cmath>

namespace {

double smoothStep(double t) {
  return t * t * (3.0 - 2.0 * t);
}

double valueNoise(double x, double y, uint32_t seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  const double tx = smoothStep(x - fx), ty = smoothStep(y - fy);
  const double top = latticeValue(ix, iy, seed) +
                     (latticeValue(ix + 1, iy, seed) - latticeValue(ix, iy, seed)) * tx;
  const double bottom = latticeValue(ix, iy + 1, seed) +
                        (latticeValue(ix + 1, iy + 1, seed) - latticeValue(ix, iy + 1, seed)) * tx;
  return top + (bottom - top) * ty;
}

}  // namespace

double smoothNoise(double x, double y, int octaves, uint32_t seed) {
  // Each octave is turned against the last so the lattice's rows and columns never line up
  // into visible streaks.
  const double turnCos = 0.8775825618903728, turnSin = 0.479425538604203;  // half a radian
  double sum = 0.0, weight = 1.0, total = 0.0;
  for (int i = 0; i < octaves; ++i) {
    sum += valueNoise(x, y, seed + 101u * i) * weight;
    total += weight;
    const double turnedX = (x * turnCos - y * turnSin) * 2.0 + 17.3;
    const double turnedY = (x * turnSin + y * turnCos) * 2.0 + 5.9;
    x = turnedX, y = turnedY, weight *= 0.5;
  }
  return sum / total;
}
