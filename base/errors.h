#pragma once

#include <string>

// The program's only reporting path: one line per message on standard error, nothing added.
void printError(const char* text);
void printMessage(const char* text);

// Adds one sentence of advice to what a person without a console is shown when the run ends
// (showFailureNotice, base/system.h); standard error stays as it is.
void adviseOnFailure(const std::string& sentence);

// Ends the run at once with `status` after a failure has been reported. Standard streams are
// flushed; the libraries' exit handlers are not run, since on the SDL 1.2 compatibility library
// they unload SDL 2 under its still-running audio thread and crash the ending process.
[[noreturn]] void endRun(int status);
