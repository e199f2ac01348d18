#pragma once

#include <SDL.h>

extern int screenWidth;
extern int screenHeight;
extern int screenBpp;
extern int targetFps;

// Brings up library, video mode, audio, font engine and caption, in that order. On failure
// the library's error text is printed and false returned; nothing is undone.
bool initPlatform(const char* caption, int width, int height, int bpp, int fps, Uint32 flags);
void shutdownPlatform();

int getTargetFps();
int getScreenWidth();
int getScreenHeight();
int getScreenBpp();

// Opens joystick 0 when there is one; a joystick that cannot be opened ends the run.
SDL_Joystick* openJoystick();

// Shuts down and hands the console over to the handheld's launcher; returns only when the
// launcher cannot be started.
void shutdownToLauncher();
