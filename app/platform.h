#pragma once

#include <SDL.h>

extern int screenWidth;
extern int screenHeight;
extern int screenBpp;
extern int targetFps;

// Brings up library, video mode, audio, font engine and caption, in that order. On failure
// the library's error text is printed and false returned; nothing is undone. Unless the user
// names a video driver, a library that finds no real display (and would fall back to drawing
// text into the terminal, or nowhere) is shut down again and "No available video device"
// reported, alone: a Wayland client library with no way to reach a compositor is kept from
// saying so first. Before the video mode is set, the compatibility library is asked for
// nearest-neighbour scaling by windowScaleFor, unless the user set either of its own
// SDL12COMPAT_SCALE_METHOD or SDL12COMPAT_WINDOW_SCALING.
bool initPlatform(const char* caption, int width, int height, int bpp, int fps, Uint32 flags);
void shutdownPlatform();

// The largest whole factor n for which a window n times `width` x `height`, with 120 pixels
// to spare each way, fits a desktop `desktopWidth` x `desktopHeight`; 1 when the desktop's
// size is unknown (0) or too small.
int windowScaleFor(int desktopWidth, int desktopHeight, int width, int height);

int getTargetFps();
int getScreenWidth();
int getScreenHeight();
int getScreenBpp();

// Opens joystick 0 when there is one; a joystick that cannot be opened ends the run.
SDL_Joystick* openJoystick();

// Shuts down and hands the console over to the handheld's launcher; returns only when the
// launcher cannot be started.
void shutdownToLauncher();
