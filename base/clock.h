#pragma once

#include <SDL.h>

// The one place the program reads its millisecond clock. The intro reads SDL_GetTicks;
// tests and tools put a scripted clock in its place.
using TickSource = Uint32 (*)();

Uint32 ticks();
void setTickSource(TickSource source);
