#pragma once

#include "trackerModule.h"

// The song's instruments, synthesised as 8-bit signed samples. Tonal ones hold whole cycles
// (64 samples for bass and chords, 32 for the lead) so they stay in tune with each other at
// every note; drums are made for playing at the top octave's C.
ModuleSample makeBass();
ModuleSample makeLead();
ModuleSample makeChord();
ModuleSample makeKick();
ModuleSample makeSnare();
ModuleSample makeClosedHat();
ModuleSample makeOpenHat();
