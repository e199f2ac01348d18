#pragma once

#include <string>

// Where the intro's files are read from. A name such as "res/zak.dat" is taken relative to
// the working directory when that has a res/ folder, as the intro always did; otherwise
// relative to the data directory fixed at build time: the installed one beside the program
// (<prefix>/share/games/orbitra for <prefix>/lib/games/orbitra/orbitra), else, for a program in
// its build tree, the source tree it was built from. Messages keep naming the file as given.
std::string assetFile(const char* name);

// For a failure line: where an installed program read its files when it took them from a res/
// folder in the working directory (" (read from <folder>/res)"), so that a user can tell why it
// did not read its own; "" otherwise.
std::string assetFolderNote();

// The whole of a file by its UTF-8 name (any folder name on every system); false when it
// cannot be read.
bool readWholeFile(const std::string& path, std::string& bytes);
