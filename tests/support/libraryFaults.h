#pragma once

#include <SDL.h>

#include <vector>

// The test binary stands in front of a few library calls, so that failures a headless run
// cannot provoke (a refused lock, no memory for a surface, music that will not start) can be
// made to happen, and so that surface releases can be watched. Nothing changes until a test
// asks for it.
enum class LibraryFault { none, createSurface, setVideoMode, fontEngine, playMusic, lockSurface };

// Makes one library call fail for as long as it lives; the call works again afterwards.
class ScopedFault {
 public:
  explicit ScopedFault(LibraryFault fault);
  ~ScopedFault();
  ScopedFault(const ScopedFault&) = delete;
  ScopedFault& operator=(const ScopedFault&) = delete;

 private:
  LibraryFault previous_;
};

// The fault in force now.
LibraryFault activeFault();

// Surfaces released while recording is on, in order, with their sizes at release.
struct FreedSurface {
  SDL_Surface* surface;
  int w, h;
};
void recordSurfaceFrees(bool on);
const std::vector<FreedSurface>& freedSurfaces();
