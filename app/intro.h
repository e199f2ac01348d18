#pragma once

#include <SDL.h>

// Full screen exactly for the single argument "f"; windowed otherwise.
Uint32 chooseVideoFlags(int argc, char** argv);

// The whole run: start-up, loading, music, frame loop and end; returns the exit status.
int runIntro(int argc, char** argv);
