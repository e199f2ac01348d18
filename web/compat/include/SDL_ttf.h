#ifndef ORBITRA_COMPAT_SDL_TTF_H
#define ORBITRA_COMPAT_SDL_TTF_H
// The browser build's text library: the calls the intro makes (start, open a font at a size,
// render a line in the solid mode, the error text, stop), over FreeType, giving the same
// surfaces as the real library. The desktop build uses the real one.

#include <SDL.h>

#include "compatName.h"

typedef struct CompatFont ORBITRA_COMPAT(TTF_Font);

#ifdef __cplusplus
extern "C" {
#endif

int ORBITRA_COMPAT(TTF_Init)(void);
// Unlike the real library, stopping also frees the fonts still open: the intro never closes
// its font, and the stand-in has no call to close one.
void ORBITRA_COMPAT(TTF_Quit)(void);
ORBITRA_COMPAT(TTF_Font) * ORBITRA_COMPAT(TTF_OpenFont)(const char* file, int ptsize);
// Latin-1 text; an 8-bit surface with the background as colour 0 (keyed) and the text as 1.
SDL_Surface* ORBITRA_COMPAT(TTF_RenderText_Solid)(ORBITRA_COMPAT(TTF_Font) * font, const char* text,
                                                  SDL_Color fg);

#ifdef __cplusplus
}
#endif

#define TTF_GetError SDL_GetError

#endif
