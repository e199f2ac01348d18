#include "gfx/blit.h"

namespace {
// Positions narrow into the rectangle's 16-bit fields and wrap there, as SDL_Rect holds them.
SDL_Rect rectAt(int x, int y, int width = 0, int height = 0) {
  SDL_Rect rect;
  rect.x = static_cast<Sint16>(x);
  rect.y = static_cast<Sint16>(y);
  rect.w = static_cast<Uint16>(width);
  rect.h = static_cast<Uint16>(height);
  return rect;
}
}  // namespace

void blitRegionAt(int x, int y, SDL_Surface* source, SDL_Surface* destination,
                  SDL_Rect* sourceRect) {
  SDL_Rect target = rectAt(x, y);
  SDL_UpperBlit(source, sourceRect, destination, &target);
}

void blitAt(int x, int y, SDL_Surface* source, SDL_Surface* destination) {
  blitRegionAt(x, y, source, destination, nullptr);
}

void blitAtAndFree(int x, int y, SDL_Surface* source, SDL_Surface* destination) {
  blitAt(x, y, source, destination);
  SDL_FreeSurface(source);
}

void blitRegionAtAndFree(int x, int y, SDL_Surface* source, SDL_Surface* destination,
                         SDL_Rect* sourceRect) {
  blitRegionAt(x, y, source, destination, sourceRect);
  SDL_FreeSurface(source);
}

void fillRectRGB(SDL_Surface* surface, int x, int y, int width, int height, int red, int green,
                 int blue) {
  SDL_Rect rect = rectAt(x, y, width, height);
  Uint32 colour = SDL_MapRGB(surface->format, red & 0xFF, green & 0xFF, blue & 0xFF);
  SDL_FillRect(surface, &rect, colour);
}

void setSurfaceAlpha(SDL_Surface* surface, int alpha) {
  SDL_SetAlpha(surface, SDL_SRCALPHA | SDL_RLEACCEL, alpha & 0xFF);
}
