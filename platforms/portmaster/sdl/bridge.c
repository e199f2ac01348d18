/* The port's backend of SDL 1.2's memory drivers (platforms/sdl/): the device's display, keys
   and sound through SDL2. The program links SDL 1.2 statically and the device's SDL2
   dynamically; the names both libraries export (SDL_InitSubSystem, SDL_PollEvent, ...)
   resolve to SDL 1.2 inside the program, so those few are looked up in SDL2 itself with
   RTLD_NEXT. Names only SDL2 has are called directly. */
#define _GNU_SOURCE
#include "bridge.h"

#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "backend.h"

/* The clashing names, taken from the next library in the search order: SDL2. */
static struct {
  int (*initSubSystem)(Uint32);
  void (*quitSubSystem)(Uint32);
  int (*pollEvent)(SDL_Event*);
  const char* (*getError)(void);
  int (*showCursor)(int);
} sdl2;

static int findSdl2(void) {
  if (sdl2.initSubSystem != NULL) return 0;
  *(void**)&sdl2.quitSubSystem = dlsym(RTLD_NEXT, "SDL_QuitSubSystem");
  *(void**)&sdl2.pollEvent = dlsym(RTLD_NEXT, "SDL_PollEvent");
  *(void**)&sdl2.getError = dlsym(RTLD_NEXT, "SDL_GetError");
  *(void**)&sdl2.showCursor = dlsym(RTLD_NEXT, "SDL_ShowCursor");
  *(void**)&sdl2.initSubSystem = dlsym(RTLD_NEXT, "SDL_InitSubSystem");
  return sdl2.initSubSystem != NULL && sdl2.quitSubSystem != NULL && sdl2.pollEvent != NULL &&
                 sdl2.getError != NULL && sdl2.showCursor != NULL
             ? 0
             : -1;
}

static const char* failure = "";
static char failureText[256];

const char backend_name[] = "sdl2";
const char backend_video_about[] = "the device's display through SDL2";
const char backend_audio_about[] = "the device's sound through SDL2";

const char* backend_error(void) {
  return failure;
}

static int fail(const char* what) {
  failure = what;
  if (sdl2.getError != NULL && sdl2.getError()[0] != '\0') failure = sdl2.getError();
  return -1;
}

static struct {
  SDL_Window* window;
  SDL_Renderer* renderer;
  SDL_Texture* texture;  /* the screen, nearest neighbour */
  SDL_Texture* enlarged; /* the whole-factor picture: sharp fill's, or the software renderer's */
  struct port_place place;
  int software;            /* the renderer stretches on the processor */
  int enlargedFill;        /* the enlarged picture is made for fill (smooth reduction) */
  int width, height;       /* the screen's */
  int outWidth, outHeight; /* the output the place was found for; 0 after a change */
  int fill, fillChosen;    /* sharp fill, and whether the button chose it */
  int headless;
} video;

/* Selects fill or whole pixels. Key F, which the intro does not read: the gamepad's Select
   (orbitra.gptk). */
enum { fillKey = SDLK_f };

static char caption[256] = "Orbitra";

void backend_video_caption(const char* title) {
  snprintf(caption, sizeof caption, "%s", title);
  if (video.window != NULL) SDL_SetWindowTitle(video.window, caption);
}

/* The scale quality is read when a texture is made. */
static SDL_Texture* makeTexture(int access, int width, int height, const char* quality) {
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, quality);
  return SDL_CreateTexture(video.renderer, SDL_PIXELFORMAT_RGB565, access, width, height);
}

static void dropEnlarged(void) {
  if (video.enlarged != NULL) SDL_DestroyTexture(video.enlarged);
  video.enlarged = NULL;
}

/* A full-screen window for 16-bit 5-6-5 pixels; none on SDL2's dummy driver. */
int backend_video_open(int width, int height, int bpp) {
  if (bpp != 16) {
    failure = "Only 16-bit screens are shown";
    return -1;
  }
  if (findSdl2() != 0) return fail("SDL2 not found");
  if (video.headless) return 0;
  if (video.window == NULL) {
    if (sdl2.initSubSystem(SDL_INIT_VIDEO) != 0) return fail("no video");
    /* Nobody watches SDL2's dummy display (the frame tool's, the tests'): nothing is shown. */
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != NULL && strcmp(driver, "dummy") == 0) {
      video.headless = 1;
      return 0;
    }
    /* As large as the display: with no window manager to enlarge it, SDL2 since 2.0.22 leaves
       a full-screen window at the size it was made. */
    SDL_DisplayMode desktop;
    int windowWidth = width, windowHeight = height;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
      windowWidth = desktop.w;
      windowHeight = desktop.h;
    }
    video.window = SDL_CreateWindow(caption, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                    windowWidth, windowHeight, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (video.window == NULL) return fail("no window");
    video.renderer = SDL_CreateRenderer(video.window, -1, 0);
    if (video.renderer == NULL) return fail("no renderer");
    SDL_RendererInfo info;
    video.software = SDL_GetRendererInfo(video.renderer, &info) == 0 &&
                     (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    sdl2.showCursor(SDL_DISABLE);
  }
  if (video.texture != NULL) SDL_DestroyTexture(video.texture);
  video.texture = makeTexture(SDL_TEXTUREACCESS_STREAMING, width, height, "nearest");
  if (video.texture == NULL) return fail("no texture");
  video.width = width;
  video.height = height;
  video.outWidth = video.outHeight = 0;
  return 0;
}

/* The place for the renderer's output as it is now: the window may be smaller than the
   screen, resized after it opened, or moved to another display. The whole-factor picture is
   drawn into a texture of its own for sharp fill (by the renderer, into a render target; without
   one the picture stays at the whole factor) and on a software renderer (here: it would stretch
   on the processor anyway, and SDL2 2.0.14's starts each pixel one late at 3x). */
static void fitToOutput(void) {
  int outWidth = 0, outHeight = 0;
  if (SDL_GetRendererOutputSize(video.renderer, &outWidth, &outHeight) != 0) return;
  if (outWidth == video.outWidth && outHeight == video.outHeight) return;
  video.outWidth = outWidth;
  video.outHeight = outHeight;
  if (!video.fillChosen)
    video.fill = port_fill_suits(outWidth, outHeight, video.width, video.height);
  video.place = port_place_for(outWidth, outHeight, video.width, video.height, video.fill);
  const int wanted = video.fill || (video.software && video.place.factor > 1);
  int enlargedWidth = 0, enlargedHeight = 0;
  if (video.enlarged != NULL) {
    SDL_QueryTexture(video.enlarged, NULL, NULL, &enlargedWidth, &enlargedHeight);
  }
  if (!wanted || video.enlargedFill != video.fill ||
      enlargedWidth != video.width * video.place.factor ||
      enlargedHeight != video.height * video.place.factor) {
    dropEnlarged();
  }
  if (wanted && video.enlarged == NULL) {
    const int access = video.software ? SDL_TEXTUREACCESS_STREAMING : SDL_TEXTUREACCESS_TARGET;
    if (video.software || SDL_RenderTargetSupported(video.renderer)) {
      video.enlarged =
          makeTexture(access, video.width * video.place.factor, video.height * video.place.factor,
                      video.fill ? "linear" : "nearest");
      video.enlargedFill = video.fill;
    }
    if (video.enlarged == NULL && video.fill) {
      video.place = port_place_for(outWidth, outHeight, video.width, video.height, 0);
    }
  }
}

/* The screen enlarged by the place's whole factor into the enlarged texture. */
static int enlarge(const void* pixels, int pitch) {
  void* out = NULL;
  int outPitch = 0;
  if (SDL_LockTexture(video.enlarged, NULL, &out, &outPitch) != 0) return -1;
  port_enlarge(pixels, pitch, video.width, video.height, video.place.factor, out, outPitch);
  SDL_UnlockTexture(video.enlarged);
  return 0;
}

/* Centred on black: at the whole factor, nearest neighbour, or sharp fill's whole factor
   reduced smoothly to the place. */
void backend_video_present(const void* pixels, int width, int height, int pitch, int bpp) {
  (void)width, (void)height, (void)bpp; /* as opened */
  if (video.texture == NULL) return;
  fitToOutput();
  const SDL_Rect place = {video.place.x, video.place.y, video.place.width, video.place.height};
  SDL_Texture* shown = video.texture;
  if (video.enlarged != NULL && video.software) {
    if (enlarge(pixels, pitch) == 0) shown = video.enlarged;
  }
  if (shown == video.texture) SDL_UpdateTexture(video.texture, NULL, pixels, pitch);
  if (shown == video.texture && video.enlarged != NULL && !video.software &&
      SDL_SetRenderTarget(video.renderer, video.enlarged) == 0) {
    SDL_RenderCopy(video.renderer, video.texture, NULL, NULL);
    SDL_SetRenderTarget(video.renderer, NULL);
    shown = video.enlarged;
  }
  SDL_SetRenderDrawColor(video.renderer, 0, 0, 0, 255);
  SDL_RenderClear(video.renderer);
  SDL_RenderCopy(video.renderer, shown, NULL, &place);
  SDL_RenderPresent(video.renderer);
}

void backend_video_close(void) {
  if (video.headless) {
    video.headless = 0;
    sdl2.quitSubSystem(SDL_INIT_VIDEO);
    return;
  }
  if (video.window == NULL) return;
  if (video.texture != NULL) SDL_DestroyTexture(video.texture);
  dropEnlarged();
  SDL_DestroyRenderer(video.renderer);
  SDL_DestroyWindow(video.window);
  memset(&video, 0, sizeof video);
  sdl2.quitSubSystem(SDL_INIT_VIDEO);
}

/* SDL 1.2's numbers for the keys whose SDL2 numbers differ; the printable ones and Escape,
   Return, Tab and Backspace are the same in both. */
static int oldKey(SDL_Keycode key) {
  if (key >= 0 && key < 128) return key;
  switch (key) {
    case SDLK_UP:
      return 273;
    case SDLK_DOWN:
      return 274;
    case SDLK_RIGHT:
      return 275;
    case SDLK_LEFT:
      return 276;
    case SDLK_LSHIFT:
      return 304;
    case SDLK_RSHIFT:
      return 303;
    case SDLK_LCTRL:
      return 306;
    case SDLK_RCTRL:
      return 305;
    case SDLK_LALT:
      return 308;
    case SDLK_RALT:
      return 307;
    default:
      return -1;
  }
}

/* Keys without an SDL 1.2 number are passed over; the fill key and changes of the window or
   display are the backend's own. */
int backend_next_event(int* pressed, int* key) {
  if (video.window == NULL) return 0;
  SDL_Event event;
  while (sdl2.pollEvent(&event)) {
    if (event.type == SDL_WINDOWEVENT || event.type == SDL_RENDER_TARGETS_RESET ||
        event.type == SDL_DISPLAYEVENT) {
      video.outWidth = video.outHeight = 0; /* the next frame finds its place anew */
      continue;
    }
    if ((event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) && event.key.keysym.sym == fillKey) {
      if (event.type == SDL_KEYDOWN && !event.key.repeat) {
        video.fill = !video.fill;
        video.fillChosen = 1;
        video.outWidth = video.outHeight = 0;
      }
      continue;
    }
    if (event.type == SDL_QUIT) {
      *pressed = 1;
      *key = -1;
      return 1;
    }
    if ((event.type == SDL_KEYDOWN && !event.key.repeat) || event.type == SDL_KEYUP) {
      const int old = oldKey(event.key.keysym.sym);
      if (old < 0) continue;
      *pressed = event.type == SDL_KEYDOWN;
      *key = old;
      return 1;
    }
  }
  return 0;
}

/* SDL2's audio thread pulls each buffer of SDL 1.2's sound; SDL2's device lock is SDL 1.2's
   audio lock, so the intro's mixer calls never meet a buffer half filled. */
static SDL_AudioDeviceID output;

static void pullAudio(void* device, Uint8* stream, int bytes) {
  memaudio_fill(device, stream, bytes);
}

static const char* lastError(void) {
  return sdl2.getError != NULL ? sdl2.getError() : "";
}

/* Opens the output on SDL2's audio driver named, or on its own choice (SDL_AUDIODRIVER, or the
   first of its drivers that starts) for NULL: 0, or -1 with SDL2's reason in why. SDL2 reads
   the driver's name when its audio starts: from the environment up to 2.0.20, from the hint of
   the same name since (sdl2-compat's too). */
static int openDriver(const char* name, SDL_AudioSpec* wanted, char* why, size_t size) {
  if (name != NULL) {
    setenv("SDL_AUDIODRIVER", name, 1);
    SDL_SetHintWithPriority("SDL_AUDIODRIVER", name, SDL_HINT_OVERRIDE);
  }
  if (sdl2.initSubSystem(SDL_INIT_AUDIO) == 0) {
    /* No changes allowed: SDL2 converts to the device, the pulled buffers stay as asked. */
    output = SDL_OpenAudioDevice(NULL, 0, wanted, NULL, 0);
    if (output != 0) {
      SDL_PauseAudioDevice(output, 0);
      return 0;
    }
    snprintf(why, size, "%s", lastError());
    sdl2.quitSubSystem(SDL_INIT_AUDIO);
    return -1;
  }
  snprintf(why, size, "%s", lastError());
  return -1;
}

/* SDL2's own choice first, then each of its other drivers but the silent ones (dummy, disk),
   played only when asked for: a device's SDL_AUDIODRIVER may name a driver its SDL2 lacks or
   a device it does not have. One line says which plays, and why the first did not; with none,
   the first one's reason is the failure. */
int backend_audio_open(int rate, int channels, int samples, void* device) {
  if (findSdl2() != 0) return fail("SDL2 not found");
  SDL_AudioSpec wanted;
  memset(&wanted, 0, sizeof wanted);
  wanted.freq = rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = (Uint8)channels;
  wanted.samples = (Uint16)samples;
  wanted.callback = pullAudio;
  wanted.userdata = device;
  const char* asked = getenv("SDL_AUDIODRIVER");
  char first[64] = "", why[256] = "", tried[512] = "", reason[256] = "";
  snprintf(first, sizeof first, "%s", asked != NULL && asked[0] != '\0' ? asked : "default");
  if (openDriver(NULL, &wanted, why, sizeof why) == 0) {
    fprintf(stderr, "Sound through SDL2's %s driver\n", SDL_GetCurrentAudioDriver());
    return 0;
  }
  for (int i = 0; i < SDL_GetNumAudioDrivers(); i++) {
    const char* name = SDL_GetAudioDriver(i);
    if (name == NULL || strcmp(name, "dummy") == 0 || strcmp(name, "disk") == 0 ||
        strcmp(name, first) == 0) {
      continue;
    }
    if (openDriver(name, &wanted, reason, sizeof reason) == 0) {
      fprintf(stderr, "Sound through SDL2's %s driver, as its %s driver failed: %s\n", name, first,
              why);
      return 0;
    }
    const size_t used = strlen(tried);
    snprintf(tried + used, sizeof tried - used, "; %s: %s", name, reason);
  }
  fprintf(stderr, "No sound through SDL2's %s driver nor its others%s\n", first, tried);
  snprintf(failureText, sizeof failureText, "%s", why);
  failure = failureText;
  return -1;
}

void backend_audio_lock(void) {
  if (output != 0) SDL_LockAudioDevice(output);
}

void backend_audio_unlock(void) {
  if (output != 0) SDL_UnlockAudioDevice(output);
}

void backend_audio_close(void) {
  if (output == 0) return;
  SDL_CloseAudioDevice(output);
  output = 0;
  sdl2.quitSubSystem(SDL_INIT_AUDIO);
}
