#ifndef ORBITRA_STANDIN_SDL_IMAGE_H
#define ORBITRA_STANDIN_SDL_IMAGE_H
// The stand-in image library of the browser and Windows builds: the one call the intro makes,
// PNG only, over libpng, giving the same surface as the real library. The desktop build uses
// the real one.

#include <SDL.h>

#include "standinName.h"

#ifdef __cplusplus
extern "C" {
#endif

// Loads a PNG file into a new surface, as the real library's loader lays it out (format,
// palette, colour key); NULL with the reason in SDL_GetError otherwise.
SDL_Surface* ORBITRA_STANDIN(IMG_Load)(const char* file);

#ifdef __cplusplus
}
#endif

#define IMG_GetError SDL_GetError

#endif
