/* Linked into the window check's Windows build of the intro with -Wl,--wrap=SDL_GetTicks:
   every reading of the library's clock answers ORBITRA_HELD_TICK when that is set. */
#include <SDL.h>
#include <stdlib.h>

Uint32 __real_SDL_GetTicks(void);

Uint32 __wrap_SDL_GetTicks(void) {
  const char* held = getenv("ORBITRA_HELD_TICK");
  return held != NULL ? (Uint32)strtoul(held, NULL, 10) : __real_SDL_GetTicks();
}
