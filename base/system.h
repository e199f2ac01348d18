#pragma once

#include <string>

// What differs between the operating systems the programs run on, in one place; one source file
// per system (systemPosix.cpp, systemWindows.cpp).

// Sets an environment variable for this process and the libraries in it; an existing value is
// kept unless `replace`.
void setEnvironment(const char* name, const char* value, bool replace = true);

// The folder the running program's file is in, without a trailing separator; "" when unknown.
std::string programDirectory();

// True for a path that does not depend on the working directory: "/..." everywhere, and on
// Windows also a drive letter ("C:\..." or "C:/...") or a backslash at the start.
bool isAbsolutePath(const char* path);

// Shows the text of a failure that ends the run to a person who has no console to read it on:
// on Windows a message box, for a program started without one (a graphical program, such as
// the intro double-clicked); nothing elsewhere. The text has gone to standard error already.
void showFailureNotice(const std::string& text);
