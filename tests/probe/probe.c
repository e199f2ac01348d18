/* Loaded into the real program with LD_PRELOAD by the window checks. It can hold the clock
   still (ORBITRA_PROBE_TICK), make the music refuse to start (ORBITRA_PROBE_REFUSE_MUSIC) or
   the library's SDL_Init or SDL_SetVideoMode, or shmat, fail (ORBITRA_PROBE_REFUSE names which),
   and judges the frame loop on the library's clock, however busy the machine, written at the
   end of a normal run to the file named by ORBITRA_PROBE_REPORT:
   "frames N seconds S cpu C early E late L reads R": S the wall time from the first to the
   last flip, C the processor seconds of the whole run, E the frames flipped while the mean
   rate since the library started was above 50 as the limiter truncates it, L the sleeps of
   the loop meant to end after the tick at which the next frame became due, R the most clock
   readings of the loop between two flips (a few hundred while drawing; a loop that spins
   instead of sleeping reads the clock many thousand times). */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/shm.h>
#include <time.h>
#include <unistd.h>

static long flips = 0, early = 0, late = 0, reads = 0, mostReads = 0;
static Uint32 lastRead = 0;
static double firstFlip = 0.0, lastFlip = 0.0;

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

/* The frame loop runs on the main thread, whose id is the process's. */
static int inLoop(void) {
  return gettid() == getpid();
}

static void* real(const char* name) {
  void* found = dlsym(RTLD_NEXT, name);
  if (found == NULL) {
    fprintf(stderr, "probe: %s not found\n", name);
    abort();
  }
  return found;
}

static Uint32 libraryTicks(void) {
  static Uint32 (*ticks)(void) = NULL;
  if (ticks == NULL) ticks = (Uint32(*)(void))real("SDL_GetTicks");
  return ticks();
}

Uint32 SDL_GetTicks(void) {
  const char* frozen = getenv("ORBITRA_PROBE_TICK");
  const Uint32 tick = frozen != NULL ? (Uint32)strtoul(frozen, NULL, 10) : libraryTicks();
  if (inLoop()) {
    lastRead = tick;
    ++reads;
  }
  return tick;
}

void SDL_Delay(Uint32 ms) {
  static void (*delay)(Uint32) = NULL;
  if (delay == NULL) delay = (void (*)(Uint32))real("SDL_Delay");
  /* The next frame is due at the first tick at which flips * 1000 / tick truncates to 50. */
  if (inLoop() && flips > 0 && (long long)lastRead + ms > (long long)flips * 1000 / 51 + 1) ++late;
  delay(ms);
}

int Mix_PlayMusic(Mix_Music* music, int loops) {
  static int (*play)(Mix_Music*, int) = NULL;
  if (getenv("ORBITRA_PROBE_REFUSE_MUSIC") != NULL) {
    SDL_SetError("Music refused");
    return -1;
  }
  if (play == NULL) play = (int (*)(Mix_Music*, int))real("Mix_PlayMusic");
  return play(music, loops);
}

static int refused(const char* call) {
  const char* named = getenv("ORBITRA_PROBE_REFUSE");
  if (named == NULL || strcmp(named, call) != 0) return 0;
  SDL_SetError("%s refused", call);
  return 1;
}

int SDL_Init(Uint32 flags) {
  return refused("SDL_Init") ? -1 : ((int (*)(Uint32))real("SDL_Init"))(flags);
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
  if (refused("SDL_SetVideoMode")) return NULL;
  return ((SDL_Surface * (*)(int, int, int, Uint32)) real("SDL_SetVideoMode"))(width, height, bpp,
                                                                               flags);
}

void* shmat(int segment, const void* address, int flags) {
  return refused("shmat")
             ? (void*)-1
             : ((void* (*)(int, const void*, int))real("shmat"))(segment, address, flags);
}

int SDL_Flip(SDL_Surface* screen) {
  static int (*flip)(SDL_Surface*) = NULL;
  if (flip == NULL) flip = (int (*)(SDL_Surface*))real("SDL_Flip");
  /* The frames before this one, at a tick no earlier than the limiter's reading for it. */
  const Uint32 tick = libraryTicks();
  if (tick > 0 && (long long)flips * 1000 / tick > 50) ++early;
  if (reads > mostReads) mostReads = reads;
  reads = 0;
  const int result = flip(screen);
  lastFlip = now();
  if (flips++ == 0) firstFlip = lastFlip;
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
  fprintf(out, "frames %ld seconds %.3f cpu %.3f early %ld late %ld reads %ld\n", flips,
          lastFlip - firstFlip, cpu, early, late, mostReads);
  fclose(out);
}
