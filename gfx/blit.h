#pragma once

#include <SDL.h>

// Blits take the destination position first; the library clips and applies the source's
// colour key and alpha. Nothing is reported.
void blitRegionAt(int x, int y, SDL_Surface* source, SDL_Surface* destination,
                  SDL_Rect* sourceRect);
void blitAt(int x, int y, SDL_Surface* source, SDL_Surface* destination);
void blitAtAndFree(int x, int y, SDL_Surface* source, SDL_Surface* destination);
void blitRegionAtAndFree(int x, int y, SDL_Surface* source, SDL_Surface* destination,
                         SDL_Rect* sourceRect);

// The colour is mapped through the filled surface's own format; channels use their low 8 bits.
void fillRectRGB(SDL_Surface* surface, int x, int y, int width, int height, int red, int green,
                 int blue);

// Per-surface alpha (low 8 bits) with run-length acceleration.
void setSurfaceAlpha(SDL_Surface* surface, int alpha);
