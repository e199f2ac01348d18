// Preloaded into the program by framecost: at the first SDL_Flip, records the monotonic clock
// in the file named by ORBITRA_FIRST_FLIP_RECORD and ends the process.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

int SDL_Flip(SDL_Surface* screen) {
  int (*flip)(SDL_Surface*) = (int (*)(SDL_Surface*))dlsym(RTLD_NEXT, "SDL_Flip");
  const int result = flip(screen);
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  const char* record = getenv("ORBITRA_FIRST_FLIP_RECORD");
  FILE* out = record ? fopen(record, "w") : NULL;
  if (out) {
    fprintf(out, "%.9f\n", (double)now.tv_sec + now.tv_nsec * 1e-9);
    fclose(out);
  }
  _exit(out ? 0 : 1);
  return result;
}
