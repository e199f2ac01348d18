#include "gfx/shapes.h"

#include <cassert>
#include <cmath>
#include <cstdlib>

#include "gfx/surface.h"

int rectsOverlap(const SDL_Rect& a, const SDL_Rect& b) {
  const int aRight = a.x + a.w;
  const int aBottom = a.y + a.h;
  const int bRight = b.x + b.w;
  const int bBottom = b.y + b.h;
  return aBottom > b.y && a.y < bBottom && aRight > b.x && a.x < bRight ? 1 : 0;
}

void drawCircle(SDL_Surface* surface, int centreX, int centreY, int radius, Uint32 colour) {
  // The angle lives in single precision; the loop test looks at the sum before it is rounded
  // back, which is what makes it 1280 points ending just past a full turn.
  const float angleStep = 0.005f;
  float angle = 0.0f;
  for (;;) {
    const double x = centreX + radius * std::cos(static_cast<double>(angle));
    const double y = centreY + radius * std::sin(static_cast<double>(angle));
    putPixel(surface, static_cast<int>(x), static_cast<int>(y), colour);
    const double next = static_cast<double>(angle) + static_cast<double>(angleStep);
    if (next > 6.4) break;
    angle = static_cast<float>(next);
  }
}

void fillDisc(SDL_Surface* surface, int boxX, int boxY, int size, Uint32 colour) {
  const int half = size / 2;
  for (int i = 1; i < size; ++i) {
    for (int j = 1; j < size; ++j) {
      const int di = i - half;
      const int dj = j - half;
      if (di * di + dj * dj < half * half) putPixel(surface, boxX + i, boxY + j, colour);
    }
  }
}

namespace {
int sign(int value) {
  return (value > 0) - (value < 0);
}
}  // namespace

void drawLine(SDL_Surface* surface, int x0, int y0, int x1, int y1, Uint32 colour) {
  const int dx = std::abs(x1 - x0);
  const int dy = std::abs(y1 - y0);
  const int stepX = sign(x1 - x0);
  const int stepY = sign(y1 - y0);
  int x = x0;
  int y = y0;
  // The minor coordinate moves only when the error strictly exceeds the major span; that
  // choice decides which of two equally near pixels a line takes.
  if (dy < dx) {
    int err = dx / 2;
    while (x != x1) {
      putPixel(surface, x, y, colour);
      err += dy;
      if (err > dx) {
        err -= dx;
        y += stepY;
      }
      x += stepX;
    }
  } else {
    int err = dy / 2;
    while (y != y1) {
      putPixel(surface, x, y, colour);
      err += dx;
      if (err > dy) {
        err -= dy;
        x += stepX;
      }
      y += stepY;
    }
  }
  putPixel(surface, x1, y1, colour);
}

int randomInRange(int low, int count) {
  assert(count != 0 && "randomInRange needs a count other than 0");
  return low + std::rand() % count;
}
