#pragma once

#include <string>

// Where the intro's files are read from. A name such as "res/zak.dat" is taken relative to
// the working directory when that has a res/ folder, as the intro always did; otherwise
// relative to the data directory fixed at build time: the installed one beside the program
// (<prefix>/share/games/orbitra for <prefix>/lib/games/orbitra/orbitra), else, for a program in
// its build tree, the source tree it was built from. Messages keep naming the file as given.
std::string assetFile(const char* name);

// The folder (ending in "/") that holds the res/ of this copy of the program, as assetFile
// would find it without a res/ in the working directory: the installed data directory, else
// the source tree of a build tree; "" when neither is found.
std::string ownDataRoot();

// Makes assetFile take every name relative to `root` (a folder ending in "/") for the rest of
// the run, whatever the working directory holds: a tool that checks one copy of the files.
void useDataRoot(const std::string& root);

// For a failure line: where the files were read from when that is not the program's own copy
// (a res/ folder in the working directory while the program has its own, or the folder given
// to useDataRoot): " (read from <folder>/res)", one line (control characters escaped as \xNN),
// so that a user can tell why the program did not read its own; "" otherwise.
std::string assetFolderNote();

// The largest file of each kind read whole: far above the real files (the images, music and
// font are under 256 KiB, the golden lists under 32 KiB), small enough that a wrong file is
// refused before it is read.
constexpr long long maxAssetBytes = 16LL << 20;
constexpr long long maxListBytes = 1LL << 20;

// True for a regular file of at most `limit` bytes; otherwise false with the reason as a phrase
// ("it is not a regular file", "it is larger than 16777216 bytes", or the system's reason it
// cannot be seen). Checked without opening, so a named pipe never blocks.
bool checkReadableFile(const std::string& path, long long limit, std::string& reason);

// The whole of a regular file of at most `limit` bytes by its UTF-8 name (any folder name on
// every system), read in blocks; false, with no bytes and the reason as checkReadableFile gives it.
bool readWholeFile(const std::string& path, std::string& bytes, long long limit,
                   std::string& reason);
