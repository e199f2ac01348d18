#pragma once

#include "options.h"

// Runs a capture as the options ask; returns the exit status. Every message, one line each,
// goes to standard error; only --hashes and a --y4m or --wav of "-" write standard output.
int runCapture(const CaptureOptions& options);
