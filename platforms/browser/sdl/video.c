/* The browser's video driver for SDL 1.2: the screen is a plain surface in memory, laid out as
   the library's dummy driver lays it out (so the display format, and every converted image, is
   the desktop's headless one), and each update copies it whole to the page's canvas. Key
   presses come from the page. It takes the dummy driver's slot in the library's driver list. */
#include <emscripten.h>

#include "SDL_config.h"
#include "SDL_video.h"
#include "events/SDL_events_c.h"
#include "video/SDL_pixels_c.h"
#include "video/SDL_sysvideo.h"

#define _THIS SDL_VideoDevice* this

struct SDL_PrivateVideoData {
  Uint8* buffer;
};

/* The page draws the screen: 16-bit pixels at ptr, w x h, rows pitch bytes apart. */
EM_JS(void, browser_present, (const void* pixels, int w, int h, int pitch, int bpp),
      { Module.orbitraPresent(pixels, w, h, pitch, bpp); });

/* The oldest key change the page has queued: (pressed << 16 | key), or -1 when none. */
EM_JS(int, browser_next_key, (void), { return Module.orbitraNextKey(); });

static int WEB_VideoInit(_THIS, SDL_PixelFormat* vformat) {
  (void)this;
  /* The real format is chosen by SetVideoMode, as with the dummy driver. */
  vformat->BitsPerPixel = 8;
  vformat->BytesPerPixel = 1;
  return 0;
}

static SDL_Rect** WEB_ListModes(_THIS, SDL_PixelFormat* format, Uint32 flags) {
  (void)this, (void)format, (void)flags;
  return (SDL_Rect**)-1; /* any size */
}

static SDL_Surface* WEB_SetVideoMode(_THIS, SDL_Surface* current, int width, int height, int bpp,
                                     Uint32 flags) {
  const int pitch = width * (bpp / 8);
  SDL_free(this->hidden->buffer);
  this->hidden->buffer = SDL_calloc(height, pitch);
  if (this->hidden->buffer == NULL) {
    SDL_SetError("Couldn't allocate buffer for requested mode");
    return NULL;
  }
  if (!SDL_ReallocFormat(current, bpp, 0, 0, 0, 0)) {
    SDL_free(this->hidden->buffer);
    this->hidden->buffer = NULL;
    SDL_SetError("Couldn't allocate new pixel format for requested mode");
    return NULL;
  }
  current->flags = flags & SDL_FULLSCREEN;
  current->w = width;
  current->h = height;
  current->pitch = pitch;
  current->pixels = this->hidden->buffer;
  return current;
}

static int WEB_SetColors(_THIS, int first, int count, SDL_Color* colours) {
  (void)this, (void)first, (void)count, (void)colours;
  return 1;
}

static void WEB_UpdateRects(_THIS, int count, SDL_Rect* rects) {
  (void)count, (void)rects;
  SDL_Surface* screen = this->screen;
  /* Whole screens only: the intro flips every frame. */
  if (screen != NULL && screen->pixels != NULL) {
    browser_present(screen->pixels, screen->w, screen->h, screen->pitch,
                    screen->format->BitsPerPixel);
  }
}

static void WEB_VideoQuit(_THIS) {
  /* The screen's pixels are the driver's buffer: the library must not free them again. */
  if (this->screen != NULL) this->screen->pixels = NULL;
  SDL_free(this->hidden->buffer);
  this->hidden->buffer = NULL;
}

static int WEB_AllocHWSurface(_THIS, SDL_Surface* surface) {
  (void)this, (void)surface;
  return -1;
}
static void WEB_FreeHWSurface(_THIS, SDL_Surface* surface) {
  (void)this, (void)surface;
}
static int WEB_LockHWSurface(_THIS, SDL_Surface* surface) {
  (void)this, (void)surface;
  return 0;
}
static void WEB_UnlockHWSurface(_THIS, SDL_Surface* surface) {
  (void)this, (void)surface;
}

static void WEB_InitOSKeymap(_THIS) {
  (void)this;
}

static void WEB_PumpEvents(_THIS) {
  (void)this;
  int change;
  while ((change = browser_next_key()) >= 0) {
    SDL_keysym key;
    SDL_memset(&key, 0, sizeof key);
    key.sym = (SDLKey)(change & 0xFFFF);
    key.scancode = (Uint8)key.sym;
    SDL_PrivateKeyboard((change >> 16) ? SDL_PRESSED : SDL_RELEASED, &key);
  }
}

static int WEB_Available(void) {
  return 1;
}

static void WEB_DeleteDevice(SDL_VideoDevice* device) {
  SDL_free(device->hidden);
  SDL_free(device);
}

static SDL_VideoDevice* WEB_CreateDevice(int index) {
  (void)index;
  SDL_VideoDevice* device = SDL_calloc(1, sizeof *device);
  if (device != NULL) device->hidden = SDL_calloc(1, sizeof *device->hidden);
  if (device == NULL || device->hidden == NULL) {
    SDL_OutOfMemory();
    SDL_free(device);
    return NULL;
  }
  device->VideoInit = WEB_VideoInit;
  device->ListModes = WEB_ListModes;
  device->SetVideoMode = WEB_SetVideoMode;
  device->SetColors = WEB_SetColors;
  device->UpdateRects = WEB_UpdateRects;
  device->VideoQuit = WEB_VideoQuit;
  device->AllocHWSurface = WEB_AllocHWSurface;
  device->LockHWSurface = WEB_LockHWSurface;
  device->UnlockHWSurface = WEB_UnlockHWSurface;
  device->FreeHWSurface = WEB_FreeHWSurface;
  device->InitOSKeymap = WEB_InitOSKeymap;
  device->PumpEvents = WEB_PumpEvents;
  device->free = WEB_DeleteDevice;
  return device;
}

VideoBootStrap DUMMY_bootstrap = {"browser", "the page's canvas", WEB_Available, WEB_CreateDevice};
