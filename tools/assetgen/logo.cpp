#include "logo.h"

#include <string>
#include <vector>

#include "blockFont.h"
#include "dither.h"

namespace {

const char* const title = "ORBITRA";
constexpr int cellSize = 3;
constexpr int letterGap = 1;  // in cells

struct Mask {
  int width, height;
  std::vector<bool> bits;
  Mask(int w, int h) : width(w), height(h), bits(static_cast<size_t>(w) * h, false) {}
  bool at(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height && bits[static_cast<size_t>(y) * width + x];
  }
  void set(int x, int y) { bits[static_cast<size_t>(y) * width + x] = true; }
};

int titleCells() {
  int cells = 0;
  for (const char* c = title; *c; ++c) cells += blockGlyph(*c).width() + (c[1] ? letterGap : 0);
  return cells;
}

Mask letterMask(int& top) {
  Mask mask(logoWidth, logoHeight);
  const int textHeight = blockGlyphRows * cellSize;
  top = (logoHeight - textHeight) / 2 - 1;  // one pixel up leaves room for the shadow
  int left = (logoWidth - titleCells() * cellSize) / 2;
  for (const char* c = title; *c; ++c) {
    const BlockGlyph& glyph = blockGlyph(*c);
    for (int row = 0; row < blockGlyphRows; ++row) {
      for (int col = 0; col < glyph.width(); ++col) {
        if (!glyph.filled(col, row)) continue;
        for (int dy = 0; dy < cellSize; ++dy) {
          for (int dx = 0; dx < cellSize; ++dx) {
            mask.set(left + col * cellSize + dx, top + row * cellSize + dy);
          }
        }
      }
    }
    left += (glyph.width() + letterGap) * cellSize;
  }
  return mask;
}

// Chrome: sky above a dark horizon, warm ground below it, over the letter height.
Rgb chrome(double t) {
  struct Stop {
    double at;
    Rgb colour;
  };
  static const Stop stops[] = {{0.0, {235, 245, 255}}, {0.42, {110, 140, 225}},
                               {0.5, {35, 40, 110}},   {0.53, {250, 200, 120}},
                               {0.75, {235, 130, 70}}, {1.0, {120, 40, 60}}};
  for (size_t i = 1; i < sizeof stops / sizeof stops[0]; ++i) {
    if (t <= stops[i].at) {
      return mix(stops[i - 1].colour, stops[i].colour,
                 (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
    }
  }
  return stops[5].colour;
}

// A dark glass panel with a fine line pattern and a thin purple frame.
void paintPlate(RgbImage& image) {
  const Rgb top{22, 10, 52}, bottom{52, 16, 76}, frame{130, 60, 150}, frameShade{70, 28, 96};
  for (int y = 0; y < logoHeight; ++y) {
    Rgb row = mix(top, bottom, static_cast<double>(y) / (logoHeight - 1));
    if (y % 2) row = mix(row, Rgb{0, 0, 0}, 0.18);
    for (int x = 0; x < logoWidth; ++x) image.set(x, y, row);
  }
  ditherTo565(image);
  for (int x = 0; x < logoWidth; ++x) {
    image.set(x, 0, frame);
    image.set(x, logoHeight - 1, frameShade);
  }
  for (int y = 0; y < logoHeight; ++y) {
    image.set(0, y, frame);
    image.set(logoWidth - 1, y, frameShade);
  }
}

void paintLetters(RgbImage& image, const Mask& mask, int top) {
  const int textHeight = blockGlyphRows * cellSize;
  const Rgb outline{12, 4, 28}, shadow{6, 2, 14};
  // Drop shadow and outline first, so the letters cover them.
  for (int y = 1; y < logoHeight - 1; ++y) {
    for (int x = 1; x < logoWidth - 1; ++x) {
      if (mask.at(x, y)) continue;
      if (mask.at(x - 2, y - 2)) image.set(x, y, mix(image.get(x, y), shadow, 0.8));
      bool touches = false;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) touches = touches || mask.at(x + dx, y + dy);
      }
      if (touches) image.set(x, y, outline);
    }
  }
  for (int y = 0; y < logoHeight; ++y) {
    for (int x = 0; x < logoWidth; ++x) {
      if (!mask.at(x, y)) continue;
      Rgb c = chrome(static_cast<double>(y - top) / (textHeight - 1));
      // Bevel: lit from the top left.
      if (!mask.at(x, y - 1) || !mask.at(x - 1, y)) c = mix(c, Rgb{255, 255, 255}, 0.55);
      if (!mask.at(x, y + 1) || !mask.at(x + 1, y)) c = mix(c, Rgb{20, 10, 40}, 0.45);
      image.set(x, y, c);
    }
  }
}

}  // namespace

RgbImage makeLogo() {
  RgbImage image(logoWidth, logoHeight, Rgb{0, 0, 0});
  paintPlate(image);
  int top = 0;
  const Mask mask = letterMask(top);
  paintLetters(image, mask, top);
  return image;
}
