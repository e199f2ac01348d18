#pragma once

#include "support/testPlatform.h"

// Colours of the throw-away assets, so frames built from them can be checked exactly.
struct SceneAssetColours {
  static constexpr Uint8 background[3] = {30, 30, 60};
  static constexpr Uint8 logo[3] = {200, 200, 0};
  static constexpr Uint8 greenBall[3] = {0, 220, 0};
  static constexpr Uint8 redBall[3] = {230, 0, 0};
};

// Writes a complete res/ of flat-coloured stand-ins (and the committed font) into `dir`.
void writeSceneAssets(const TempWorkDir& dir);
