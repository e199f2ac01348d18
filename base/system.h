#pragma once

#include <cstdio>
#include <string>
#include <vector>

// What differs between the operating systems the programs run on, in one place; one source file
// per system (systemPosix.cpp, systemWindows.cpp). Every name of a file or folder is UTF-8 on
// every system: on Windows the wide functions take it, so any folder name works.

// Sets an environment variable for this process and the libraries in it; an existing value is
// kept unless `replace`.
void setEnvironment(const char* name, const char* value, bool replace = true);

// The folder the running program's file is in, without a trailing separator; "" when unknown.
std::string programDirectory();

// The characters that end a folder's name in a path: "/", and on Windows "\\" too.
extern const char* const pathSeparators;

// True for a path that does not depend on the working directory: "/..." everywhere, and on
// Windows also a drive letter ("C:\..." or "C:/...") or a backslash at the start.
bool isAbsolutePath(const char* path);

// The program's arguments, argv[0] included, as UTF-8 (Windows hands main() its own code page).
std::vector<std::string> programArguments(int argc, char** argv);

// std::fopen by name.
std::FILE* openFile(const std::string& path, const char* mode);

// What is at a path, through symbolic links; false (errno set) when there is nothing to see.
struct PathInfo {
  bool folder = false;
  bool regular = false;
  long long size = 0;
};
bool pathInfo(const std::string& path, PathInfo& info);

// True when standard error is a terminal on which a line can be rewritten in place with "\r"
// and ESC [ K (a Windows console is asked to understand the sequence).
bool errorsGoToLiveTerminal();

// One plain sentence for the failure notice (showFailureNotice) only: where a file of the
// intro was looked for (`path`, as it was opened) and what to do; "" where there is no notice.
std::string missingFileAdvice(const std::string& path);
// The same for a start-up that could open no sound device.
std::string noSoundAdvice();

// Shows the text of a failure that ends the run to a person who has no console to read it on:
// on Windows a message box, for a program started without one (a graphical program, such as
// the intro double-clicked); nothing elsewhere. The text has gone to standard error already.
void showFailureNotice(const std::string& text);

#ifdef _WIN32
// UTF-8 to and from the UTF-16 of Windows' wide functions.
std::wstring toWide(const std::string& text);
std::string fromWide(const wchar_t* text);
#endif
