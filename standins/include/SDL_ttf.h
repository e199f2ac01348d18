#ifndef ORBITRA_STANDIN_SDL_TTF_H
#define ORBITRA_STANDIN_SDL_TTF_H
// The stand-in text library of the browser and Windows builds: the calls the intro makes
// (start, open a font at a size, render a line in the solid mode, the error text, stop), over
// FreeType, giving the same surfaces as the real library. The desktop build uses the real one.

#include <SDL.h>

#include "standinName.h"

typedef struct CompatFont ORBITRA_STANDIN(TTF_Font);

#ifdef __cplusplus
extern "C" {
#endif

int ORBITRA_STANDIN(TTF_Init)(void);
// Unlike the real library, stopping also frees the fonts still open: the intro never closes
// its font, and the stand-in has no call to close one.
void ORBITRA_STANDIN(TTF_Quit)(void);
ORBITRA_STANDIN(TTF_Font) * ORBITRA_STANDIN(TTF_OpenFont)(const char* file, int ptsize);
// Latin-1 text; an 8-bit surface with the background as colour 0 (keyed) and the text as 1.
SDL_Surface* ORBITRA_STANDIN(TTF_RenderText_Solid)(ORBITRA_STANDIN(TTF_Font) * font,
                                                   const char* text, SDL_Color fg);

#ifdef __cplusplus
}
#endif

#define TTF_GetError SDL_GetError

#endif
