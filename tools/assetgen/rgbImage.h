#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

struct Rgb {
  uint8_t r, g, b;
};

// An 8-bit RGB picture in the row order the PNG writer takes.
struct RgbImage {
  int width;
  int height;
  std::vector<uint8_t> pixels;

  RgbImage(int w, int h, Rgb fill) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) set(x, y, fill);
    }
  }
  void set(int x, int y, Rgb c) {
    uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
    p[0] = c.r, p[1] = c.g, p[2] = c.b;
  }
  Rgb get(int x, int y) const {
    const uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
  }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

inline uint8_t clampByte(double v) {
  return static_cast<uint8_t>(std::clamp(v + 0.5, 0.0, 255.0));
}

inline Rgb mix(Rgb a, Rgb b, double t) {
  return {clampByte(a.r + (b.r - a.r) * t), clampByte(a.g + (b.g - a.g) * t),
          clampByte(a.b + (b.b - a.b) * t)};
}
