#pragma once

#include "trackerModule.h"

// Channel use: drums and lead play on the left, bass and chords on the right.
enum SongChannel { drumChannel = 0, bassChannel = 1, chordChannel = 2, leadChannel = 3 };

// Builds the intro's tune from the written-down song and the synthesised instruments.
// Returns false, after saying why on the error stream, when the song data does not parse.
bool buildSong(Module& module);
