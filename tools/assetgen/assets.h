#pragma once

#include <string>

// File names of the generated assets, as the intro loads them from res/.
constexpr const char* musicFile = "zak.dat";
constexpr const char* logoFile = "logo.dat";
constexpr const char* greenBallFile = "gsball.dat";
constexpr const char* redBallFile = "rball.dat";
constexpr const char* backgroundFile = "back.dat";

// Writes the music and the four images into `directory` (which must exist). The same bytes
// come out on every run. Returns false, after saying why on the error stream, on failure.
bool writeAllAssets(const std::string& directory);
