#include "gfx/surface.h"

#include <cstdlib>

#include "base/errors.h"

namespace {
bool mustLock(const SDL_Surface* surface) {
  return SDL_MUSTLOCK(surface);
}

bool outside(const SDL_Surface* surface, int x, int y) {
  return x < 0 || x >= surface->w || y < 0 || y >= surface->h;
}

Uint8* pixelAddress(SDL_Surface* surface, int x, int y) {
  return static_cast<Uint8*>(surface->pixels) + y * surface->pitch +
         x * surface->format->BytesPerPixel;
}
}  // namespace

void lockSurface(SDL_Surface* surface) {
  if (!mustLock(surface)) return;
  if (SDL_LockSurface(surface) >= 0) return;
  printError(SDL_GetError());
  endRun(1);
}

void unlockSurface(SDL_Surface* surface) {
  if (mustLock(surface)) SDL_UnlockSurface(surface);
}

Uint32 getPixel(SDL_Surface* surface, int x, int y) {
  if (outside(surface, x, y)) return 0;
  const Uint8* p = pixelAddress(surface, x, y);
  switch (surface->format->BytesPerPixel) {
    case 1:
      return *p;
    case 2:
      return *reinterpret_cast<const Uint16*>(p);
    case 3:
      return p[0] | p[1] << 8 | p[2] << 16;
    case 4:
      return *reinterpret_cast<const Uint32*>(p);
    default:
      return 0;
  }
}

void putPixel(SDL_Surface* surface, int x, int y, Uint32 pixel) {
  if (outside(surface, x, y)) return;
  Uint8* p = pixelAddress(surface, x, y);
  switch (surface->format->BytesPerPixel) {
    case 1:
      *p = static_cast<Uint8>(pixel);
      break;
    case 2:
      *reinterpret_cast<Uint16*>(p) = static_cast<Uint16>(pixel);
      break;
    case 3:
      p[0] = pixel & 0xFF;
      p[1] = (pixel >> 8) & 0xFF;
      p[2] = (pixel >> 16) & 0xFF;
      break;
    case 4:
      *reinterpret_cast<Uint32*>(p) = pixel;
      break;
    default:
      break;
  }
}
