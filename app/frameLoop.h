#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>

// Frames drawn and flipped so far, and the mean rate since the clock started as the limiter
// measured it last (not a rate over recent frames).
extern int32_t frameCount;
extern int32_t meanFps;

// The mean rate since the library's start, truncated; while the clock still reads 0 the
// previous measurement stands. The product is taken in 64 bits so long runs stay right.
int32_t measureFps(int32_t frames, Uint32 ticksNow, int32_t previous);

// The first clock reading at which the limiter lets frame number `frames` be drawn.
Uint32 nextFrameTick(int32_t frames, int32_t target);

// Window close, Escape pressed, or joystick button 8 pressed on any joystick.
bool isQuitEvent(const SDL_Event& event);

// Reads every pending event; true when any of them asks to quit.
bool drainEvents();

// One frame as the intro shows it: the display cleared to black, every pending event read, the
// frame drawn, the display flipped. True when a quit request was among the events.
bool showFrame(SDL_Surface* display, const std::function<void(SDL_Surface*)>& drawFrame);

// One pass of the loop: measure the mean rate; when it is above the target, nothing else
// (held); otherwise show a frame and count it (drawn, or quit when a quit request was among the
// events).
enum class FramePass { held, drawn, quit };
FramePass runFramePass(SDL_Surface* display, const std::function<void(SDL_Surface*)>& drawFrame);

// Passes until quit: limit, clear, read events, draw, flip, count; the frame in which quit is read
// is still drawn and flipped. A frame is drawn whenever the mean rate since the clock started is at
// most the target; while it is above, the loop sleeps until the tick at which the next frame
// becomes due, then measures again. Events are read only in drawing passes.
void runFrameLoop(SDL_Surface* display, const std::function<void(SDL_Surface*)>& drawFrame);
