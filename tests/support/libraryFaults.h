#pragma once

#include <SDL.h>

#include <vector>

// The test binary stands in front of a few library calls, so that failures a headless run
// cannot provoke (a refused lock, no memory for a surface, music that will not start) can be
// made to happen, and so that surface releases can be watched. Nothing changes until a test
// asks for it.
enum class LibraryFault { none, createSurface, setVideoMode, fontEngine, playMusic, lockSurface };

void injectFault(LibraryFault fault);

// Surfaces released while recording is on, in order, with their sizes at release.
struct FreedSurface {
  SDL_Surface* surface;
  int w, h;
};
void recordSurfaceFrees(bool on);
const std::vector<FreedSurface>& freedSurfaces();
