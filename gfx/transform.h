#pragma once

#include <SDL.h>

// Whole-surface transforms kept with the toolkit for effects that want them. Each takes and
// releases the locks it needs itself, so no surface passed here may be locked by the caller.

// Mirrors the surface left to right in place; an odd width keeps its middle column.
void flipHorizontal(SDL_Surface* surface);

// Rotated copies of the whole source into the destination. The source pixel at the pivot
// (pivotX, pivotY, in source coordinates) lands at (x + pivotX, y + pivotY). Each source pixel
// is carried forward to one destination pixel, so turns other than quarter turns leave holes
// where the destination keeps its old contents, and where two source pixels meet the later one
// in row order wins. The degree members take pi as 3.1415, which makes 90 degrees a shade short
// of a quarter turn. The keyed members leave the destination alone under source pixels equal to
// the key value.
void drawRotated(int x, int y, int pivotX, int pivotY, int degrees, SDL_Surface* source,
                 SDL_Surface* destination);
void drawRotatedRad(int x, int y, int pivotX, int pivotY, float radians, SDL_Surface* source,
                    SDL_Surface* destination);
void drawRotatedKeyed(int x, int y, int pivotX, int pivotY, int degrees, SDL_Surface* source,
                      SDL_Surface* destination, Uint32 key);
void drawRotatedKeyedRad(int x, int y, int pivotX, int pivotY, float radians, SDL_Surface* source,
                         SDL_Surface* destination, Uint32 key);
