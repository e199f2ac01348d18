#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

// Where the intro's picture lands in an output frame: enlarged `scale` times by nearest
// neighbour, its top-left corner at (left, top), the rest black.
struct Canvas {
  int width = 0;
  int height = 0;
  int scale = 1;
  int left = 0;
  int top = 0;
};

// The picture alone, `scale` times its size.
Canvas scaledCanvas(int pictureWidth, int pictureHeight, int scale);
// The largest whole enlargement that fits width x height, centred; false when even the
// picture's own size does not fit.
bool fittedCanvas(int pictureWidth, int pictureHeight, int width, int height, Canvas& canvas);

// Colours of every 16-bit display value, worked out once through the display's own format.
class Palette {
 public:
  enum class Matrix { bt601, bt709 };
  // `matrix` only matters for YUV output.
  Palette(const SDL_PixelFormat* format, Matrix matrix);
  const uint8_t* rgb(Uint16 value) const { return &rgb_[value * 3u]; }
  uint8_t y(Uint16 value) const { return y_[value]; }
  uint8_t u(Uint16 value) const { return u_[value]; }
  uint8_t v(Uint16 value) const { return v_[value]; }
  static constexpr uint8_t blackY = 16, blackU = 128, blackV = 128;

 private:
  std::vector<uint8_t> rgb_, y_, u_, v_;
};

// Untagged YUV is read as BT.601 below 720 lines and as BT.709 from there on; the stream
// uses the matrix it will be read with.
Palette::Matrix matrixForHeight(int height);

// Copies of a 16-bit display picture (width x height, `pitch` bytes a row).
struct Picture {
  const Uint16* pixels;
  int width;
  int height;
  int pitch;
};

// 8-bit RGB, 3 bytes a pixel, rows top to bottom.
void drawRgb(const Picture& picture, const Canvas& canvas, const Palette& palette,
             std::vector<uint8_t>& out);
// Planar Y, U, V: full-size chroma, or halved both ways (each sample the rounded mean of its
// 2x2 block, the last row or column alone when the size is odd) when `halfChroma`.
void drawYuv(const Picture& picture, const Canvas& canvas, const Palette& palette, bool halfChroma,
             std::vector<uint8_t>& out);
