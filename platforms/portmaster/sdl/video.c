/* The port's video driver for SDL 1.2: the screen is a plain surface in memory, laid out as the
   library's dummy driver lays it out (so the display format, and every converted image, is the
   desktop's headless one), and each update shows it whole on the device's display through
   SDL2 (bridge.c). Keys come from SDL2's keyboard events, which the gamepad mapper makes. It
   takes the dummy driver's slot in the library's driver list. */
#include "SDL_config.h"
#include "SDL_video.h"
#include "bridge.h"
#include "events/SDL_events_c.h"
#include "video/SDL_pixels_c.h"
#include "video/SDL_sysvideo.h"

#define _THIS SDL_VideoDevice* this

struct SDL_PrivateVideoData {
  Uint8* buffer;
};

static int PORT_VideoInit(_THIS, SDL_PixelFormat* vformat) {
  (void)this;
  /* The real format is chosen by SetVideoMode, as with the dummy driver. */
  vformat->BitsPerPixel = 8;
  vformat->BytesPerPixel = 1;
  return 0;
}

static SDL_Rect** PORT_ListModes(_THIS, SDL_PixelFormat* format, Uint32 flags) {
  (void)this, (void)format, (void)flags;
  return (SDL_Rect**)-1; /* any size */
}

static SDL_Surface* PORT_SetVideoMode(_THIS, SDL_Surface* current, int width, int height, int bpp,
                                      Uint32 flags) {
  if (bpp != 16) {
    SDL_SetError("Only 16-bit screens are shown");
    return NULL;
  }
  const int pitch = width * 2;
  SDL_free(this->hidden->buffer);
  this->hidden->buffer = SDL_calloc(height, pitch);
  if (this->hidden->buffer == NULL) {
    SDL_SetError("Couldn't allocate buffer for requested mode");
    return NULL;
  }
  if (!SDL_ReallocFormat(current, bpp, 0, 0, 0, 0) || port_video_open(width, height) != 0) {
    if (port_error()[0] != '\0') SDL_SetError("%s", port_error());
    SDL_free(this->hidden->buffer);
    this->hidden->buffer = NULL;
    return NULL;
  }
  current->flags = flags & SDL_FULLSCREEN;
  current->w = width;
  current->h = height;
  current->pitch = pitch;
  current->pixels = this->hidden->buffer;
  return current;
}

static int PORT_SetColors(_THIS, int first, int count, SDL_Color* colours) {
  (void)this, (void)first, (void)count, (void)colours;
  return 1;
}

static void PORT_UpdateRects(_THIS, int count, SDL_Rect* rects) {
  (void)count, (void)rects;
  SDL_Surface* screen = this->screen;
  /* Whole screens only: the intro flips every frame. */
  if (screen != NULL && screen->pixels != NULL) port_video_present(screen->pixels, screen->pitch);
}

static void PORT_VideoQuit(_THIS) {
  port_video_close();
  /* The screen's pixels are the driver's buffer: the library must not free them again. */
  if (this->screen != NULL) this->screen->pixels = NULL;
  SDL_free(this->hidden->buffer);
  this->hidden->buffer = NULL;
}

static int PORT_AllocHWSurface(_THIS, SDL_Surface* surface) {
  (void)this, (void)surface;
  return -1;
}
static void PORT_FreeHWSurface(_THIS, SDL_Surface* surface) {
  (void)this, (void)surface;
}
static int PORT_LockHWSurface(_THIS, SDL_Surface* surface) {
  (void)this, (void)surface;
  return 0;
}
static void PORT_UnlockHWSurface(_THIS, SDL_Surface* surface) {
  (void)this, (void)surface;
}

static void PORT_SetCaption(_THIS, const char* title, const char* icon) {
  (void)this, (void)icon;
  if (title != NULL) port_video_caption(title);
}

static void PORT_InitOSKeymap(_THIS) {
  (void)this;
}

static void PORT_PumpEvents(_THIS) {
  (void)this;
  int pressed, sym;
  while (port_next_event(&pressed, &sym)) {
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

static int PORT_Available(void) {
  return 1;
}

static void PORT_DeleteDevice(SDL_VideoDevice* device) {
  SDL_free(device->hidden);
  SDL_free(device);
}

static SDL_VideoDevice* PORT_CreateDevice(int index) {
  (void)index;
  SDL_VideoDevice* device = SDL_calloc(1, sizeof *device);
  if (device != NULL) device->hidden = SDL_calloc(1, sizeof *device->hidden);
  if (device == NULL || device->hidden == NULL) {
    SDL_OutOfMemory();
    SDL_free(device);
    return NULL;
  }
  device->VideoInit = PORT_VideoInit;
  device->ListModes = PORT_ListModes;
  device->SetVideoMode = PORT_SetVideoMode;
  device->SetColors = PORT_SetColors;
  device->UpdateRects = PORT_UpdateRects;
  device->VideoQuit = PORT_VideoQuit;
  device->AllocHWSurface = PORT_AllocHWSurface;
  device->LockHWSurface = PORT_LockHWSurface;
  device->UnlockHWSurface = PORT_UnlockHWSurface;
  device->FreeHWSurface = PORT_FreeHWSurface;
  device->SetCaption = PORT_SetCaption;
  device->InitOSKeymap = PORT_InitOSKeymap;
  device->PumpEvents = PORT_PumpEvents;
  device->free = PORT_DeleteDevice;
  return device;
}

VideoBootStrap DUMMY_bootstrap = {"sdl2", "the device's display through SDL2", PORT_Available,
                                  PORT_CreateDevice};
