#include "base/clock.h"

namespace {
Uint32 libraryTicks() {
  return SDL_GetTicks();
}
TickSource tickSource = libraryTicks;
}  // namespace

Uint32 ticks() {
  return tickSource();
}

void setTickSource(TickSource source) {
  tickSource = source ? source : libraryTicks;
}
