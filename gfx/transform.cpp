#include "gfx/transform.h"

#include <cmath>

#include "gfx/surface.h"

void flipHorizontal(SDL_Surface* surface) {
  const int width = surface->w;
  const int height = surface->h;
  lockSurface(surface);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width / 2; ++x) {
      const Uint32 left = getPixel(surface, x, y);
      putPixel(surface, x, y, getPixel(surface, width - 1 - x, y));
      putPixel(surface, width - 1 - x, y, left);
    }
  }
  unlockSurface(surface);
}

namespace {
float degreesToRadians(int degrees) {
  // The toolkit has always used 3.1415 for pi here; effects tuned their angles against it.
  return static_cast<float>(degrees * 3.1415 / 180);
}

void drawRotatedCopy(int x, int y, int pivotX, int pivotY, float angle, SDL_Surface* source,
                     SDL_Surface* destination, bool keyed, Uint32 key) {
  const double cosine = std::cos(static_cast<double>(angle));
  const double sine = std::sin(static_cast<double>(angle));
  lockSurface(source);
  lockSurface(destination);
  for (int i = 0; i < source->h; ++i) {
    for (int j = 0; j < source->w; ++j) {
      const int dx = j - pivotX;
      const int dy = i - pivotY;
      // Each step is rounded to single precision and the landing spot truncated toward zero;
      // that rounding decides where pixels land after a turn.
      const float rx = static_cast<float>(cosine * dx - sine * dy);
      const float ry = static_cast<float>(sine * dx + cosine * dy);
      const float turnedX = rx + static_cast<float>(pivotX);
      const float turnedY = ry + static_cast<float>(pivotY);
      const Uint32 pixel = getPixel(source, j, i);
      if (keyed && pixel == key) continue;
      putPixel(destination, static_cast<int>(static_cast<float>(x) + turnedX),
               static_cast<int>(static_cast<float>(y) + turnedY), pixel);
    }
  }
  unlockSurface(destination);
  unlockSurface(source);
}
}  // namespace

void drawRotated(int x, int y, int pivotX, int pivotY, int degrees, SDL_Surface* source,
                 SDL_Surface* destination) {
  drawRotatedCopy(x, y, pivotX, pivotY, degreesToRadians(degrees), source, destination, false, 0);
}

void drawRotatedRad(int x, int y, int pivotX, int pivotY, float radians, SDL_Surface* source,
                    SDL_Surface* destination) {
  drawRotatedCopy(x, y, pivotX, pivotY, radians, source, destination, false, 0);
}

void drawRotatedKeyed(int x, int y, int pivotX, int pivotY, int degrees, SDL_Surface* source,
                      SDL_Surface* destination, Uint32 key) {
  drawRotatedCopy(x, y, pivotX, pivotY, degreesToRadians(degrees), source, destination, true, key);
}

void drawRotatedKeyedRad(int x, int y, int pivotX, int pivotY, float radians, SDL_Surface* source,
                         SDL_Surface* destination, Uint32 key) {
  drawRotatedCopy(x, y, pivotX, pivotY, radians, source, destination, true, key);
}
