#include "support/sceneAssets.h"

#include "base/assetNames.h"

namespace {
void writeKeyedBall(const TempWorkDir& dir, const std::string& name, int size, const Uint8* rgb) {
  // A square ball with a magenta corner that the colour key must hide.
  SDL_Surface* image =
      SDL_CreateRGBSurface(SDL_SWSURFACE, size, size, 24, 0xFF, 0xFF00, 0xFF0000, 0);
  SDL_FillRect(image, nullptr, SDL_MapRGB(image->format, rgb[0], rgb[1], rgb[2]));
  SDL_Rect corner = {0, 0, 2, 2};
  SDL_FillRect(image, &corner, SDL_MapRGB(image->format, 255, 0, 255));
  SDL_SaveBMP(image, (dir.path() + "/" + name).c_str());
  SDL_FreeSurface(image);
}
}  // namespace

void writeSceneAssets(const TempWorkDir& dir) {
  using C = SceneAssetColours;
  dir.writeMusic(assets::music);
  dir.copyFont(assets::font);
  dir.writeImage(assets::logo, 160, 40, C::logo[0], C::logo[1], C::logo[2]);
  writeKeyedBall(dir, assets::greenBall, 16, C::greenBall);
  writeKeyedBall(dir, assets::redBall, 48, C::redBall);
  dir.writeImage(assets::background, 640, 480, C::background[0], C::background[1],
                 C::background[2]);
}
