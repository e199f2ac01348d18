#include "app/frameLoop.h"

#include "app/platform.h"
#include "base/clock.h"

int32_t frameCount = 0;
int32_t meanFps = 0;

int32_t measureFps(int32_t frames, Uint32 ticksNow, int32_t previous) {
  if (ticksNow == 0) return previous;
  return static_cast<int32_t>(static_cast<int64_t>(frames) * 1000 / ticksNow);
}

Uint32 nextFrameTick(int32_t frames, int32_t target) {
  // frames * 1000 / t is at most target exactly when t > frames * 1000 / (target + 1).
  if (target + 1 <= 0) return 0;
  const int64_t tick = static_cast<int64_t>(frames) * 1000 / (target + 1) + 1;
  return tick > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<Uint32>(tick);
}

bool isQuitEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      return true;
    case SDL_KEYDOWN:
      return event.key.keysym.sym == SDLK_ESCAPE;
    case SDL_JOYBUTTONDOWN:
      return event.jbutton.button == 8;
    default:
      return false;
  }
}

bool drainEvents() {
  bool quit = false;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (isQuitEvent(event)) quit = true;
  }
  return quit;
}

bool showFrame(SDL_Surface* display, const std::function<void(SDL_Surface*)>& drawFrame) {
  SDL_FillRect(display, nullptr, SDL_MapRGB(display->format, 0, 0, 0));
  const bool quit = drainEvents();
  drawFrame(display);
  SDL_Flip(display);
  return quit;
}

FramePass runFramePass(SDL_Surface* display, const std::function<void(SDL_Surface*)>& drawFrame) {
  meanFps = measureFps(frameCount, ticks(), meanFps);
  if (getTargetFps() < meanFps) return FramePass::held;
  const bool quit = showFrame(display, drawFrame);
  ++frameCount;
  return quit ? FramePass::quit : FramePass::drawn;
}

void runFrameLoop(SDL_Surface* display, const std::function<void(SDL_Surface*)>& drawFrame) {
  for (;;) {
    const FramePass pass = runFramePass(display, drawFrame);
    if (pass == FramePass::quit) return;
    if (pass == FramePass::held) waitUntil(nextFrameTick(frameCount, getTargetFps()));
  }
}
