/* Loaded into the real program with LD_PRELOAD by the window checks. It can hold the clock
   still (ORBITRA_PROBE_TICK), and counts flipped frames and the process's processor time,
   written at the end of a normal run to the file named by ORBITRA_PROBE_REPORT:
   "frames N seconds S cpu C steady R": S from the first to the last flip, C the processor
   seconds of the whole run, R the rate from two seconds after the first flip on (past the
   limiter's catch-up after loading). */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

static long flips = 0;
static double firstFlip = 0.0, lastFlip = 0.0;
static long markFlips = -1;
static double markTime = 0.0;

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static void* real(const char* name) {
  void* found = dlsym(RTLD_NEXT, name);
  if (found == NULL) {
    fprintf(stderr, "probe: %s not found\n", name);
    abort();
  }
  return found;
}

Uint32 SDL_GetTicks(void) {
  static Uint32 (*ticks)(void) = NULL;
  const char* frozen = getenv("ORBITRA_PROBE_TICK");
  if (frozen != NULL) return (Uint32)strtoul(frozen, NULL, 10);
  if (ticks == NULL) ticks = (Uint32(*)(void))real("SDL_GetTicks");
  return ticks();
}

int SDL_Flip(SDL_Surface* screen) {
  static int (*flip)(SDL_Surface*) = NULL;
  if (flip == NULL) flip = (int (*)(SDL_Surface*))real("SDL_Flip");
  const int result = flip(screen);
  lastFlip = now();
  if (flips++ == 0) firstFlip = lastFlip;
  if (markFlips < 0 && lastFlip - firstFlip >= 2.0) {
    markFlips = flips;
    markTime = lastFlip;
  }
  return result;
}

__attribute__((destructor)) static void report(void) {
  const char* file = getenv("ORBITRA_PROBE_REPORT");
  if (file == NULL) return;
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  const double cpu = (double)usage.ru_utime.tv_sec + (double)usage.ru_utime.tv_usec / 1e6 +
                     (double)usage.ru_stime.tv_sec + (double)usage.ru_stime.tv_usec / 1e6;
  FILE* out = fopen(file, "w");
  if (out == NULL) return;
  const double steady = markFlips >= 0 && lastFlip > markTime
                            ? (double)(flips - markFlips) / (lastFlip - markTime)
                            : 0.0;
  fprintf(out, "frames %ld seconds %.3f cpu %.3f steady %.2f\n", flips, lastFlip - firstFlip, cpu,
          steady);
  fclose(out);
}
