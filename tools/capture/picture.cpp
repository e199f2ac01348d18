#include "picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// One canvas row of one plane: the border, then each source value `scale` times. `out` has
// 8 spare bytes past `width`: up to 8 times, a value is stored as one 8-byte word.
template <typename Value>
void expandRow(const Uint16* source, int count, int scale, int left, int width, uint8_t border,
               Value value, uint8_t* out) {
  std::memset(out, border, static_cast<size_t>(left));
  uint8_t* to = out + left;
  if (scale == 1) {
    for (int x = 0; x < count; ++x) *to++ = value(source[x]);
  } else if (scale <= 8) {
    for (int x = 0; x < count; ++x, to += scale) {
      const uint64_t word = value(source[x]) * 0x0101010101010101ull;
      std::memcpy(to, &word, 8);
    }
  } else {
    for (int x = 0; x < count; ++x, to += scale) std::memset(to, value(source[x]), scale);
  }
  std::memset(to, border, static_cast<size_t>(out + width - to));
}

// One plane of `width` x `height` holding the picture enlarged `scale` times at (left, top).
template <typename Value>
void drawPlane(const Picture& picture, int scale, int left, int top, int width, int height,
               uint8_t border, Value value, uint8_t* plane) {
  const size_t rowBytes = static_cast<size_t>(width);
  std::memset(plane, border, rowBytes * top);
  std::vector<uint8_t> scratch(rowBytes + 8);
  const auto* base = reinterpret_cast<const uint8_t*>(picture.pixels);
  for (int sy = 0; sy < picture.height; ++sy) {
    const auto* row =
        reinterpret_cast<const Uint16*>(base + static_cast<size_t>(sy) * picture.pitch);
    expandRow(row, picture.width, scale, left, width, border, value, scratch.data());
    uint8_t* first =
        plane + (static_cast<size_t>(top) + static_cast<size_t>(sy) * scale) * rowBytes;
    for (int k = 0; k < scale; ++k) std::memcpy(first + k * rowBytes, scratch.data(), rowBytes);
  }
  const size_t below = static_cast<size_t>(top) + static_cast<size_t>(picture.height) * scale;
  std::memset(plane + below * rowBytes, border, rowBytes * (height - below));
}

// Halves a full plane both ways; each sample is the rounded mean of its 2x2 block, the last
// row or column standing alone when the size is odd.
void halve(const uint8_t* full, int width, int height, uint8_t* half) {
  const int halfWidth = (width + 1) / 2;
  for (int y = 0; y < height; y += 2) {
    const uint8_t* upper = full + static_cast<size_t>(y) * width;
    const uint8_t* lower = y + 1 < height ? upper + width : upper;
    uint8_t* out = half + static_cast<size_t>(y / 2) * halfWidth;
    for (int x = 0; x < width; x += 2) {
      const int right = x + 1 < width ? x + 1 : x;
      out[x / 2] =
          static_cast<uint8_t>((upper[x] + upper[right] + lower[x] + lower[right] + 2) / 4);
    }
  }
}

uint8_t clampRound(double value) {
  return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}
}  // namespace

Canvas scaledCanvas(int pictureWidth, int pictureHeight, int scale) {
  return Canvas{pictureWidth * scale, pictureHeight * scale, scale, 0, 0};
}

bool fittedCanvas(int pictureWidth, int pictureHeight, int width, int height, Canvas& canvas) {
  const int scale = std::min(width / pictureWidth, height / pictureHeight);
  if (scale < 1) return false;
  canvas = Canvas{width, height, scale, (width - pictureWidth * scale) / 2,
                  (height - pictureHeight * scale) / 2};
  return true;
}

Palette::Matrix matrixForHeight(int height) {
  return height < 720 ? Palette::Matrix::bt601 : Palette::Matrix::bt709;
}

Palette::Palette(const SDL_PixelFormat* format, Matrix matrix)
    : rgb_(65536 * 3), y_(65536), u_(65536), v_(65536) {
  const double kr = matrix == Matrix::bt601 ? 0.299 : 0.2126;
  const double kb = matrix == Matrix::bt601 ? 0.114 : 0.0722;
  // SDL_PixelFormat is not const-correct in SDL 1.2.
  auto* mutableFormat = const_cast<SDL_PixelFormat*>(format);
  for (Uint32 value = 0; value < 65536; ++value) {
    Uint8 r, g, b;
    SDL_GetRGB(value, mutableFormat, &r, &g, &b);
    rgb_[value * 3] = r;
    rgb_[value * 3 + 1] = g;
    rgb_[value * 3 + 2] = b;
    // Studio range: luma 16 to 235, chroma 16 to 240 around 128.
    const double red = r / 255.0, green = g / 255.0, blue = b / 255.0;
    const double luma = kr * red + (1 - kr - kb) * green + kb * blue;
    y_[value] = clampRound(16 + 219 * luma);
    u_[value] = clampRound(128 + 224 * (blue - luma) / (2 * (1 - kb)));
    v_[value] = clampRound(128 + 224 * (red - luma) / (2 * (1 - kr)));
  }
}

void drawRgb(const Picture& picture, const Canvas& canvas, const Palette& palette,
             std::vector<uint8_t>& out) {
  const size_t rowBytes = static_cast<size_t>(canvas.width) * 3;
  out.resize(rowBytes * canvas.height);
  std::memset(out.data(), 0, rowBytes * canvas.top);
  const auto* base = reinterpret_cast<const uint8_t*>(picture.pixels);
  for (int sy = 0; sy < picture.height; ++sy) {
    const auto* row =
        reinterpret_cast<const Uint16*>(base + static_cast<size_t>(sy) * picture.pitch);
    uint8_t* first = out.data() + (static_cast<size_t>(canvas.top) + sy * canvas.scale) * rowBytes;
    std::memset(first, 0, static_cast<size_t>(canvas.left) * 3);
    uint8_t* to = first + static_cast<size_t>(canvas.left) * 3;
    for (int sx = 0; sx < picture.width; ++sx) {
      const uint8_t* colour = palette.rgb(row[sx]);
      for (int k = 0; k < canvas.scale; ++k, to += 3) {
        to[0] = colour[0];
        to[1] = colour[1];
        to[2] = colour[2];
      }
    }
    std::memset(to, 0, static_cast<size_t>(first + rowBytes - to));
    for (int k = 1; k < canvas.scale; ++k) std::memcpy(first + k * rowBytes, first, rowBytes);
  }
  const size_t below =
      static_cast<size_t>(canvas.top) + static_cast<size_t>(picture.height) * canvas.scale;
  std::memset(out.data() + below * rowBytes, 0, rowBytes * (canvas.height - below));
}

void drawYuv(const Picture& picture, const Canvas& canvas, const Palette& palette, bool halfChroma,
             std::vector<uint8_t>& out) {
  const int w = canvas.width, h = canvas.height;
  const size_t area = static_cast<size_t>(w) * h;
  const int chromaWidth = halfChroma ? (w + 1) / 2 : w;
  const int chromaHeight = halfChroma ? (h + 1) / 2 : h;
  const size_t chromaArea = static_cast<size_t>(chromaWidth) * chromaHeight;
  out.resize(area + 2 * chromaArea);
  uint8_t* const u = out.data() + area;
  uint8_t* const v = u + chromaArea;
  const auto yOf = [&](Uint16 p) { return palette.y(p); };
  const auto uOf = [&](Uint16 p) { return palette.u(p); };
  const auto vOf = [&](Uint16 p) { return palette.v(p); };
  drawPlane(picture, canvas.scale, canvas.left, canvas.top, w, h, Palette::blackY, yOf, out.data());
  if (!halfChroma) {
    drawPlane(picture, canvas.scale, canvas.left, canvas.top, w, h, Palette::blackU, uOf, u);
    drawPlane(picture, canvas.scale, canvas.left, canvas.top, w, h, Palette::blackV, vOf, v);
  } else if (canvas.scale % 2 == 0 && canvas.left % 2 == 0 && canvas.top % 2 == 0 && w % 2 == 0 &&
             h % 2 == 0) {
    // Every 2x2 block lies within one enlarged pixel or the border: no mean to take.
    const int s = canvas.scale / 2, l = canvas.left / 2, t = canvas.top / 2;
    drawPlane(picture, s, l, t, chromaWidth, chromaHeight, Palette::blackU, uOf, u);
    drawPlane(picture, s, l, t, chromaWidth, chromaHeight, Palette::blackV, vOf, v);
  } else {
    std::vector<uint8_t> full(area);
    drawPlane(picture, canvas.scale, canvas.left, canvas.top, w, h, Palette::blackU, uOf,
              full.data());
    halve(full.data(), w, h, u);
    drawPlane(picture, canvas.scale, canvas.left, canvas.top, w, h, Palette::blackV, vOf,
              full.data());
    halve(full.data(), w, h, v);
  }
}
