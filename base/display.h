#pragma once

#include <SDL.h>

// The display surface: set once by start-up from the video mode and handed back to the
// library by shutdown. Every layer may draw on it; only start-up and shutdown change it.
extern SDL_Surface* screen;

SDL_Surface* getScreen();
