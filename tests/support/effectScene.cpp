#include "support/effectScene.h"

#include <functional>
#include <string>

#include "base/assetNames.h"
#include "gfx/surface.h"

namespace {
struct Rgb {
  Uint8 r, g, b;
};

void writePattern(const std::string& file, int w, int h, const std::function<Rgb(int, int)>& at) {
  SDL_Surface* image = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xFF, 0xFF00, 0xFF0000, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgb c = at(x, y);
      Uint8* p = static_cast<Uint8*>(image->pixels) + y * image->pitch + 3 * x;
      p[0] = c.r, p[1] = c.g, p[2] = c.b;
    }
  }
  SDL_SaveBMP(image, file.c_str());
  SDL_FreeSurface(image);
}

// A ball of one colour whose 4x4 corners carry the magenta key.
std::function<Rgb(int, int)> ball(Rgb colour) {
  return [colour](int x, int y) {
    const bool corner = (x < 4 || x >= 12) && (y < 4 || y >= 12);
    return corner ? Rgb{255, 0, 255} : colour;
  };
}
}  // namespace

EffectScene::EffectScene() {
  startPlatform();
  dir_.copyFont(assets::font);
  dir_.writeImage(assets::logo, 160, 40, 0, 0, 255);
  writePattern(dir_.path() + "/" + assets::greenBall, ballSize, ballSize, ball({0, 255, 0}));
  writePattern(dir_.path() + "/" + assets::redBall, ballSize, ballSize, ball({255, 0, 0}));
  // Red and green step with every column and row, so a window off by one pixel shows.
  writePattern(dir_.path() + "/" + assets::background, 640, 480, [](int x, int y) {
    return Rgb{static_cast<Uint8>(x % 32 * 8), static_cast<Uint8>(y % 64 * 4),
               static_cast<Uint8>((x / 32 + y / 64 * 20) % 32 * 8)};
  });
  scene_ = std::make_unique<IntroScene>();
}

void fillScreen(Uint8 r, Uint8 g, Uint8 b) {
  SDL_FillRect(getScreen(), nullptr, displayColour(r, g, b));
}

Uint32 screenPixel(int x, int y) {
  lockSurface(getScreen());
  const Uint32 pixel = getPixel(getScreen(), x, y);
  unlockSurface(getScreen());
  return pixel;
}

int countScreenPixels(Uint32 colour) {
  SDL_Surface* display = getScreen();
  int count = 0;
  lockSurface(display);
  for (int y = 0; y < display->h; ++y) {
    for (int x = 0; x < display->w; ++x) count += getPixel(display, x, y) == colour;
  }
  unlockSurface(display);
  return count;
}

bool screenBoxIs(int x, int y, int w, int h, Uint32 colour) {
  SDL_Surface* display = getScreen();
  bool all = true;
  lockSurface(display);
  for (int row = y; row < y + h; ++row) {
    for (int column = x; column < x + w; ++column) {
      all = all && getPixel(display, column, row) == colour;
    }
  }
  unlockSurface(display);
  return all;
}
