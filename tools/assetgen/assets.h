#pragma once

#include <string>

#include "base/assetNames.h"

// File names of the generated assets, as the intro loads them from res/.
constexpr const char* musicFile = assets::inRes::music;
constexpr const char* logoFile = assets::inRes::logo;
constexpr const char* greenBallFile = assets::inRes::greenBall;
constexpr const char* redBallFile = assets::inRes::redBall;
constexpr const char* backgroundFile = assets::inRes::background;

// Writes the music and the four images into `directory` (which must exist). The same bytes
// come out on every run. Returns false, after saying why on the error stream, on failure.
bool writeAllAssets(const std::string& directory);
