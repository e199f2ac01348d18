#pragma once

#include <SDL.h>

// General drawing helpers kept with the toolkit for effects that want them. The intro itself
// draws nothing with them.

// 1 when the rectangles share at least one pixel, 0 otherwise; rectangles that only touch along
// an edge do not overlap. Edges are computed in full integers, so nothing wraps at 16 bits.
int rectsOverlap(const SDL_Rect& a, const SDL_Rect& b);

// The shapes draw straight through putPixel: the caller holds the surface's lock, and points
// outside the surface are dropped one by one. Colours are already in the surface's format.

// A dotted outline: 1280 points, 0.005 radians apart, so radii above 200 show gaps.
void drawCircle(SDL_Surface* surface, int centreX, int centreY, int radius, Uint32 colour);

// A disc inside the size x size box at (boxX, boxY). Row and column 0 of the box stay untouched;
// sizes of 1 or less draw nothing.
void fillDisc(SDL_Surface* surface, int boxX, int boxY, int size, Uint32 colour);

// An integer line including both end points.
void drawLine(SDL_Surface* surface, int x0, int y0, int x1, int y1, Uint32 colour);

// low + rand() % count from the runtime's unseeded sequence; count must not be 0.
int randomInRange(int low, int count);
