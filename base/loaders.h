#pragma once

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

// Each loader hands back a new object owned by the caller. A file that cannot be loaded is
// reported with its name and ends the run with status 1, so callers never see a missing asset.
// Names are looked up as assetFile (assetFiles.h) says.
TTF_Font* loadFont(const char* file, int size);
Mix_Music* loadMusic(const char* file);
Mix_Chunk* loadSound(const char* file);

// Images come back converted to the display format (the video mode must be set).
SDL_Surface* loadImage(const char* file);
SDL_Surface* loadImageKeyed(const char* file, Uint8 red, Uint8 green, Uint8 blue);
