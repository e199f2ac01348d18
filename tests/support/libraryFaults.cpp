#include "support/libraryFaults.h"

#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {
LibraryFault currentFault = LibraryFault::none;
bool recording = false;
std::vector<FreedSurface> freed;

// The library's own function behind the stand-in. Without it every later call would jump to
// null, so a missing one stops the test binary at once, naming it.
template <typename Function>
Function real(const char* name) {
  void* found = dlsym(RTLD_NEXT, name);
  if (found == nullptr) {
    std::fprintf(stderr, "the library function %s cannot be found behind its stand-in\n", name);
    std::abort();
  }
  return reinterpret_cast<Function>(found);
}

bool failing(LibraryFault fault, const char* message) {
  if (currentFault != fault) return false;
  SDL_SetError("%s", message);
  return true;
}
}  // namespace

ScopedFault::ScopedFault(LibraryFault fault) : previous_(currentFault) {
  currentFault = fault;
}

ScopedFault::~ScopedFault() {
  currentFault = previous_;
}

LibraryFault activeFault() {
  return currentFault;
}

void recordSurfaceFrees(bool on) {
  recording = on;
  freed.clear();
}

const std::vector<FreedSurface>& freedSurfaces() {
  return freed;
}

extern "C" {
SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 rmask,
                                  Uint32 gmask, Uint32 bmask, Uint32 amask) {
  if (failing(LibraryFault::createSurface, "Out of memory")) return nullptr;
  using Create = SDL_Surface* (*)(Uint32, int, int, int, Uint32, Uint32, Uint32, Uint32);
  static const Create create = real<Create>("SDL_CreateRGBSurface");
  return create(flags, width, height, depth, rmask, gmask, bmask, amask);
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
  if (failing(LibraryFault::setVideoMode, "Couldn't set video mode")) return nullptr;
  using SetMode = SDL_Surface* (*)(int, int, int, Uint32);
  static const SetMode setMode = real<SetMode>("SDL_SetVideoMode");
  return setMode(width, height, bpp, flags);
}

int TTF_Init() {
  if (failing(LibraryFault::fontEngine, "Couldn't init FreeType engine")) return -1;
  using Init = int (*)();
  static const Init init = real<Init>("TTF_Init");
  return init();
}

int Mix_PlayMusic(Mix_Music* music, int loops) {
  if (failing(LibraryFault::playMusic, "No free channels available")) return -1;
  using Play = int (*)(Mix_Music*, int);
  static const Play play = real<Play>("Mix_PlayMusic");
  return play(music, loops);
}

int SDL_LockSurface(SDL_Surface* surface) {
  if (failing(LibraryFault::lockSurface, "Surface lock refused")) return -1;
  using Lock = int (*)(SDL_Surface*);
  static const Lock lock = real<Lock>("SDL_LockSurface");
  return lock(surface);
}

void SDL_FreeSurface(SDL_Surface* surface) {
  if (recording && surface) freed.push_back({surface, surface->w, surface->h});
  using Free = void (*)(SDL_Surface*);
  static const Free release = real<Free>("SDL_FreeSurface");
  release(surface);
}
}
