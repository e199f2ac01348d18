#include "base/clock.h"

Uint32 libraryTicks() {
  return SDL_GetTicks();
}

void sleepOnLibraryClock(Uint32 tick) {
  const Uint32 now = SDL_GetTicks();
  // The difference is taken in 32 bits, like the counter, so a wrap is no special case.
  const Sint32 ahead = static_cast<Sint32>(tick - now);
  if (ahead > 0) SDL_Delay(static_cast<Uint32>(ahead));
}

namespace {
void noWait(Uint32) {}

TickSource tickSource = libraryTicks;
TickWaiter tickWaiter = sleepOnLibraryClock;
}  // namespace

Uint32 ticks() {
  return tickSource();
}

void waitUntil(Uint32 tick) {
  tickWaiter(tick);
}

void setTickSource(TickSource source, TickWaiter waiter) {
  tickSource = source ? source : libraryTicks;
  tickWaiter = source ? (waiter ? waiter : noWait) : sleepOnLibraryClock;
}
