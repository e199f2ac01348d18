/* In place of the library's header of the same name for the Windows build: the programs keep
   their own main() and link no start-up library, so nothing renames main and nothing sends
   the standard streams to files beside the program. The library finds the program's instance
   itself when the video driver starts. */
#ifndef _SDL_main_h
#define _SDL_main_h

#include "SDL_stdinc.h"
#include "begin_code.h"
#ifdef __cplusplus
extern "C" {
#endif

extern DECLSPEC void SDLCALL SDL_SetModuleHandle(void* hInst);
extern DECLSPEC int SDLCALL SDL_RegisterApp(char* name, Uint32 style, void* hInst);
extern DECLSPEC void SDLCALL SDL_UnregisterApp(void);

#ifdef __cplusplus
}
#endif
#include "close_code.h"

#endif /* _SDL_main_h */
