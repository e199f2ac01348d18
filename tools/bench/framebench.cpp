// What one frame costs, phase by phase, with the committed assets and a scripted clock.
// Run from the repository root: build/tools/bench/framebench

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "app/platform.h"
#include "base/clock.h"
#include "gfx/surface.h"
#include "scene/ballShow.h"
#include "scene/introScene.h"
#include "scene/rasterBars.h"

namespace {
Uint32 frameTick = 0;
Uint32 scriptedTicks() {
  return frameTick;
}

IntroScene& scene() {
  static std::unique_ptr<IntroScene> instance;
  if (!instance) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setTickSource(scriptedTicks);
    if (!initPlatform("framebench", 320, 240, 16, 50, SDL_SWSURFACE)) std::exit(1);
    instance = std::make_unique<IntroScene>();
  }
  return *instance;
}

// Frames 20 ms apart from the given tick, as the frame loop draws them.
void drawFrames(benchmark::State& state, Uint32 startTick) {
  IntroScene& intro = scene();
  SDL_Surface* display = getScreen();
  frameTick = startTick;
  for (auto _ : state) {
    SDL_FillRect(display, nullptr, 0);
    intro.drawFrame(display);
    frameTick += 20;
  }
}

void scrollerAndFloor(benchmark::State& state) {
  drawFrames(state, 5000);
}
void fullChain(benchmark::State& state) {
  auto& show = ballShowState();
  show.started = true, show.base = 100, show.ballCount = 250, show.stepTick = 0;
  drawFrames(state, 40000);
}
void redBallWithBars(benchmark::State& state) {
  auto& show = ballShowState();
  show.started = true, show.base = 100, show.rasterBarsOn = true;
  rasterBarsState().rows = 130;
  drawFrames(state, 80000);
}
void reflectionOnly(benchmark::State& state) {
  IntroScene& intro = scene();
  for (auto _ : state) intro.captureReflection(getScreen(), intro.reflectionSurface);
}
}  // namespace

BENCHMARK(scrollerAndFloor);
BENCHMARK(fullChain);
BENCHMARK(redBallWithBars);
BENCHMARK(reflectionOnly);
BENCHMARK_MAIN();
