#pragma once

#include <SDL.h>

#include "base/display.h"

// Pixel work on a surface is bracketed by lockSurface/unlockSurface; both ask the library only
// when it demands a lock. A refused lock ends the run with the library's error text.
void lockSurface(SDL_Surface* surface);
void unlockSurface(SDL_Surface* surface);

// Pixel values are in the surface's own format. Outside the surface a read gives 0 and a
// write is dropped.
Uint32 getPixel(SDL_Surface* surface, int x, int y);
void putPixel(SDL_Surface* surface, int x, int y, Uint32 pixel);
