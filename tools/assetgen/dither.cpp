#include "dither.h"

#include <cmath>
#include <vector>

namespace {

// The nearest level a channel with `bits` bits keeps, as the 8-bit value (bit-replicated)
// that the loader's conversion maps back to exactly that level.
int nearestLevelValue(double value, int bits) {
  const int maxLevel = (1 << bits) - 1;
  const int level = static_cast<int>(std::lround(std::clamp(value, 0.0, 255.0) * maxLevel / 255.0));
  return (level << (8 - bits)) | (level >> (2 * bits - 8));
}

// Floyd-Steinberg on one channel, left to right, top to bottom.
void ditherChannel(RgbImage& image, int channel, int bits) {
  const int w = image.width;
  std::vector<double> current(w + 2, 0.0), next(w + 2, 0.0);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t& byte = image.pixels[(static_cast<size_t>(y) * w + x) * 3 + channel];
      const double wanted = byte + current[x + 1];
      const int chosen = nearestLevelValue(wanted, bits);
      const double error = wanted - chosen;
      byte = static_cast<uint8_t>(chosen);
      current[x + 2] += error * 7.0 / 16.0;
      next[x] += error * 3.0 / 16.0;
      next[x + 1] += error * 5.0 / 16.0;
      next[x + 2] += error * 1.0 / 16.0;
    }
    current.swap(next);
    std::fill(next.begin(), next.end(), 0.0);
  }
}

}  // namespace

void ditherTo565(RgbImage& image) {
  ditherChannel(image, 0, 5);
  ditherChannel(image, 1, 6);
  ditherChannel(image, 2, 5);
}
