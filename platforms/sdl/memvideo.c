/* SDL 1.2's video driver for the builds whose library has none of its own (the browser, the
   handheld port): the screen is a plain surface in memory, laid out as the library's dummy
   driver lays it out (so the display format, and every converted image, is the desktop's
   headless one), and each update hands it whole to the platform's backend (backend.h), which
   also supplies the keys. It takes the dummy driver's slot in the library's driver list. */
#include "SDL_video.h"
#include "backend.h"
#include "events/SDL_events_c.h"
#include "video/SDL_pixels_c.h"
#include "video/SDL_sysvideo.h"

#define _THIS SDL_VideoDevice* this

struct SDL_PrivateVideoData {
  Uint8* buffer;
};

static int MEM_VideoInit(_THIS, SDL_PixelFormat* vformat) {
  (void)this;
  /* The real format is chosen by SetVideoMode, as with the dummy driver. */
  vformat->BitsPerPixel = 8;
  vformat->BytesPerPixel = 1;
  return 0;
}

static SDL_Rect** MEM_ListModes(_THIS, SDL_PixelFormat* format, Uint32 flags) {
  (void)this, (void)format, (void)flags;
  return (SDL_Rect**)-1; /* any size */
}

static SDL_Surface* MEM_SetVideoMode(_THIS, SDL_Surface* current, int width, int height, int bpp,
                                     Uint32 flags) {
  const int pitch = width * (bpp / 8);
  SDL_free(this->hidden->buffer);
  this->hidden->buffer = SDL_calloc(height, pitch);
  if (this->hidden->buffer == NULL) {
    SDL_SetError("Couldn't allocate buffer for requested mode");
    return NULL;
  }
  if (!SDL_ReallocFormat(current, bpp, 0, 0, 0, 0)) {
    SDL_SetError("Couldn't allocate new pixel format for requested mode");
  } else if (backend_video_open(width, height, bpp) != 0) {
    SDL_SetError("%s", backend_error());
  } else {
    current->flags = flags & SDL_FULLSCREEN;
    current->w = width;
    current->h = height;
    current->pitch = pitch;
    current->pixels = this->hidden->buffer;
    return current;
  }
  SDL_free(this->hidden->buffer);
  this->hidden->buffer = NULL;
  return NULL;
}

static int MEM_SetColors(_THIS, int first, int count, SDL_Color* colours) {
  (void)this, (void)first, (void)count, (void)colours;
  return 1;
}

static void MEM_UpdateRects(_THIS, int count, SDL_Rect* rects) {
  (void)count, (void)rects;
  SDL_Surface* screen = this->screen;
  /* Whole screens only: the intro flips every frame. */
  if (screen != NULL && screen->pixels != NULL) {
    backend_video_present(screen->pixels, screen->w, screen->h, screen->pitch,
                          screen->format->BitsPerPixel);
  }
}

static void MEM_VideoQuit(_THIS) {
  backend_video_close();
  /* The screen's pixels are the driver's buffer: the library must not free them again. */
  if (this->screen != NULL) this->screen->pixels = NULL;
  SDL_free(this->hidden->buffer);
  this->hidden->buffer = NULL;
}

static int MEM_AllocHWSurface(_THIS, SDL_Surface* surface) {
  (void)this, (void)surface;
  return -1;
}
static void MEM_FreeHWSurface(_THIS, SDL_Surface* surface) {
  (void)this, (void)surface;
}
static int MEM_LockHWSurface(_THIS, SDL_Surface* surface) {
  (void)this, (void)surface;
  return 0;
}
static void MEM_UnlockHWSurface(_THIS, SDL_Surface* surface) {
  (void)this, (void)surface;
}

static void MEM_SetCaption(_THIS, const char* title, const char* icon) {
  (void)this, (void)icon;
  if (title != NULL) backend_video_caption(title);
}

static void MEM_InitOSKeymap(_THIS) {
  (void)this;
}

static void MEM_PumpEvents(_THIS) {
  (void)this;
  int pressed, sym;
  while (backend_next_event(&pressed, &sym)) {
    if (sym < 0) {
      SDL_PrivateQuit();
      continue;
    }
    SDL_keysym key;
    SDL_memset(&key, 0, sizeof key);
    key.sym = (SDLKey)sym;
    key.scancode = (Uint8)sym;
    SDL_PrivateKeyboard(pressed ? SDL_PRESSED : SDL_RELEASED, &key);
  }
}

static int MEM_Available(void) {
  return 1;
}

static void MEM_DeleteDevice(SDL_VideoDevice* device) {
  SDL_free(device->hidden);
  SDL_free(device);
}

static SDL_VideoDevice* MEM_CreateDevice(int index) {
  (void)index;
  SDL_VideoDevice* device = SDL_calloc(1, sizeof *device);
  if (device != NULL) device->hidden = SDL_calloc(1, sizeof *device->hidden);
  if (device == NULL || device->hidden == NULL) {
    SDL_OutOfMemory();
    SDL_free(device);
    return NULL;
  }
  device->VideoInit = MEM_VideoInit;
  device->ListModes = MEM_ListModes;
  device->SetVideoMode = MEM_SetVideoMode;
  device->SetColors = MEM_SetColors;
  device->UpdateRects = MEM_UpdateRects;
  device->VideoQuit = MEM_VideoQuit;
  device->AllocHWSurface = MEM_AllocHWSurface;
  device->LockHWSurface = MEM_LockHWSurface;
  device->UnlockHWSurface = MEM_UnlockHWSurface;
  device->FreeHWSurface = MEM_FreeHWSurface;
  device->SetCaption = MEM_SetCaption;
  device->InitOSKeymap = MEM_InitOSKeymap;
  device->PumpEvents = MEM_PumpEvents;
  device->free = MEM_DeleteDevice;
  return device;
}

VideoBootStrap DUMMY_bootstrap = {backend_name, backend_video_about, MEM_Available,
                                  MEM_CreateDevice};
