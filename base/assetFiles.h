#pragma once

#include <string>

// Where the intro's files are read from. A name such as "res/zak.dat" is taken relative to
// the working directory when that has a res/ folder, as the intro always did; otherwise
// relative to the data directory fixed at build time: the installed one beside the program
// (<prefix>/share/games/orbitra for <prefix>/lib/games/orbitra/orbitra), else the source tree
// the program was built from. Messages keep naming the file as given.
std::string assetFile(const char* name);
