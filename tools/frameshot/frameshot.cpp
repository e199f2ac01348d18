// Renders chosen frames of the intro to PNG files without a window or sound, for looking at
// the picture. The clock is scripted: the first frame comes at the start tick, each further
// frame a fixed step later, and every clock read within a frame returns that frame's tick.
//
// Usage: frameshot <out-dir> <start-ms> <step-ms> <tick> [<tick> ...]
//   Writes <out-dir>/frame-<tick>.png for the first frame drawn at or after each tick.
//        frameshot --hashes <end-ms> <every-ms> [<jump-tick> ...]
//   Draws frames 20 ms apart from tick 0 to <end-ms> and prints "<tick> <hash>" for the first
//   frame at or after each multiple of <every-ms>, then "all <hash>" over every frame drawn,
//   then one line for a single frame drawn at each jump tick, in order, continuing the run.
// Run it from the repository root, where res/ lives.

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/platform.h"
#include "base/clock.h"
#include "gfx/surface.h"
#include "scene/introScene.h"
#include "tools/png/pngWriter.h"

namespace {
Uint32 frameTick = 0;
Uint32 scriptedTicks() {
  return frameTick;
}

std::vector<uint8_t> toRgb(SDL_Surface* surface) {
  std::vector<uint8_t> rgb;
  rgb.reserve(surface->w * surface->h * 3);
  SDL_LockSurface(surface);
  for (int y = 0; y < surface->h; ++y) {
    for (int x = 0; x < surface->w; ++x) {
      Uint8 r, g, b;
      SDL_GetRGB(getPixel(surface, x, y), surface->format, &r, &g, &b);
      rgb.insert(rgb.end(), {r, g, b});
    }
  }
  SDL_UnlockSurface(surface);
  return rgb;
}

// FNV-1a over the visible bytes of each row, so pitch padding never counts.
uint64_t hashPixels(SDL_Surface* surface, uint64_t hash = 14695981039346656037ull) {
  SDL_LockSurface(surface);
  const int rowBytes = surface->w * surface->format->BytesPerPixel;
  for (int y = 0; y < surface->h; ++y) {
    const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    for (int i = 0; i < rowBytes; ++i) hash = (hash ^ row[i]) * 1099511628211ull;
  }
  SDL_UnlockSurface(surface);
  return hash;
}

void drawAt(IntroScene& scene, SDL_Surface* display, Uint32 tick) {
  frameTick = tick;
  SDL_FillRect(display, nullptr, SDL_MapRGB(display->format, 0, 0, 0));
  scene.drawFrame(display);
}

int printHashes(int argc, char** argv) {
  const Uint32 end = static_cast<Uint32>(std::strtoul(argv[2], nullptr, 10));
  const Uint32 every = static_cast<Uint32>(std::strtoul(argv[3], nullptr, 10));
  SDL_Surface* display = getScreen();
  IntroScene scene;
  uint64_t all = 14695981039346656037ull;
  Uint32 nextMark = 0;
  for (Uint32 tick = 0; tick <= end; tick += 20) {
    drawAt(scene, display, tick);
    const uint64_t hash = hashPixels(display);
    all = hashPixels(display, all);
    if (tick >= nextMark) {
      std::printf("%u %016llx\n", tick, static_cast<unsigned long long>(hash));
      while (nextMark <= tick) nextMark += every;
    }
  }
  std::printf("all %016llx\n", static_cast<unsigned long long>(all));
  for (int i = 4; i < argc; ++i) {
    const Uint32 tick = static_cast<Uint32>(std::strtoul(argv[i], nullptr, 10));
    drawAt(scene, display, tick);
    std::printf("%u %016llx\n", tick, static_cast<unsigned long long>(hashPixels(display)));
  }
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--hashes") {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setTickSource(scriptedTicks);
    if (!initPlatform("frameshot", 320, 240, 16, 50, SDL_SWSURFACE)) return 1;
    const int status = printHashes(argc, argv);
    shutdownPlatform();
    return status;
  }
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s <out-dir> <start-ms> <step-ms> <tick> [<tick> ...]\n", argv[0]);
    return 2;
  }
  const std::string outDir = argv[1];
  frameTick = static_cast<Uint32>(std::strtoul(argv[2], nullptr, 10));
  const Uint32 step = static_cast<Uint32>(std::strtoul(argv[3], nullptr, 10));
  std::vector<Uint32> wanted;
  for (int i = 4; i < argc; ++i) wanted.push_back(std::strtoul(argv[i], nullptr, 10));
  std::sort(wanted.begin(), wanted.end());

  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  setTickSource(scriptedTicks);
  if (!initPlatform("frameshot", 320, 240, 16, 50, SDL_SWSURFACE)) return 1;
  SDL_Surface* display = getScreen();
  {
    IntroScene scene;
    size_t next = 0;
    while (next < wanted.size()) {
      SDL_FillRect(display, nullptr, SDL_MapRGB(display->format, 0, 0, 0));
      scene.drawFrame(display);
      while (next < wanted.size() && frameTick >= wanted[next]) {
        const std::string path = outDir + "/frame-" + std::to_string(wanted[next]) + ".png";
        if (!writeRgbPng(path, display->w, display->h, toRgb(display))) {
          std::fprintf(stderr, "cannot write %s\n", path.c_str());
          return 1;
        }
        std::printf("%s (drawn at tick %u)\n", path.c_str(), frameTick);
        ++next;
      }
      frameTick += step;
    }
  }
  shutdownPlatform();
  return 0;
}
