#pragma once

#include <SDL.h>

// The one place the program reads its millisecond clock and waits on it. The intro uses
// SDL_GetTicks and sleeps with SDL_Delay; tests and tools put a scripted clock in its place.
using TickSource = Uint32 (*)();
using TickWaiter = void (*)(Uint32 tick);

Uint32 ticks();

// Returns once the clock reads at least `tick`, sleeping meanwhile. A scripted clock without
// a waiter returns at once, so its callers simply read it again.
void waitUntil(Uint32 tick);

// A null source puts the library's clock back; a waiter goes with the source it was given for.
void setTickSource(TickSource source, TickWaiter waiter = nullptr);

// The library's clock and its sleep, for a program that holds the clock still through each of its
// frames with a source of its own (the screen saver) and still lives on the library's time.
Uint32 libraryTicks();
void sleepOnLibraryClock(Uint32 tick);
