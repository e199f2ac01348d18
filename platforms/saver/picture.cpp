#include "picture.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <cstring>

#include "app/frameLoop.h"
#include "base/clock.h"
#include "base/display.h"
#include "base/errors.h"
#include "base/system.h"
#include "scene/introScene.h"

namespace {
constexpr int pictureWidth = 320;
constexpr int pictureHeight = 240;

Uint32 frameTick = 0;
Uint32 heldTick() {
  return frameTick;
}

// An 8-bit channel into the bits of `mask`, one run of bits as a visual's masks are: its top
// bits when the mask has fewer, widened with zeros when it has more.
uint32_t place(Uint8 value, uint32_t mask) {
  if (mask == 0) return 0;
  const uint64_t wide = uint64_t{value} << __builtin_popcount(mask) >> 8;
  return static_cast<uint32_t>(wide << __builtin_ctz(mask)) & mask;
}
}  // namespace

PictureFit fitPicture(int windowWidth, int windowHeight) {
  PictureFit fit;
  if (windowWidth <= 0 || windowHeight <= 0) {
    fit.width = fit.height = 0;
    return fit;
  }
  // One of the two is 1: a window the picture fits in is divided by 1, and a smaller one gets
  // no enlargement.
  fit.times = std::max(1, std::min(windowWidth / pictureWidth, windowHeight / pictureHeight));
  fit.per = std::max((pictureWidth + windowWidth - 1) / windowWidth,
                     (pictureHeight + windowHeight - 1) / windowHeight);
  fit.width = pictureWidth * fit.times / fit.per;
  fit.height = pictureHeight * fit.times / fit.per;
  fit.x = (windowWidth - fit.width) / 2;
  fit.y = (windowHeight - fit.height) / 2;
  return fit;
}

SaverPicture::SaverPicture() = default;

SaverPicture::~SaverPicture() {
  scene_.reset();
  if (started_) {
    setTickSource(nullptr);
    SDL_FreeSurface(screen);
    TTF_Quit();
    SDL_Quit();
  }
}

bool SaverPicture::start() {
  // The picture is drawn in memory and shown by the saver itself: the library opens no window
  // and, never asked for it, no sound.
  setEnvironment("SDL_VIDEODRIVER", "dummy");
  setEnvironment("SDL12COMPAT_WINDOW_SCALING", "1");
  if (SDL_Init(SDL_INIT_VIDEO) == -1) {
    printError(SDL_GetError());
    return false;
  }
  started_ = true;
  frameTick = libraryTicks();
  setTickSource(heldTick, sleepOnLibraryClock);
  screen = SDL_SetVideoMode(pictureWidth, pictureHeight, 16, SDL_SWSURFACE);
  if (screen == nullptr || TTF_Init() == -1) {
    printError(SDL_GetError());
    return false;
  }
  scene_ = std::make_unique<IntroScene>();
  return true;
}

void SaverPicture::drawFrame() {
  const Uint32 now = libraryTicks();
  frameTick = now - now % frameStep;
  showFrame(screen, [this](SDL_Surface* target) { scene_->drawFrame(target); });
}

void SaverPicture::waitForNextFrame() const {
  waitUntil(frameTick + frameStep);
}

std::vector<uint32_t> SaverPicture::colourTable(uint32_t red, uint32_t green, uint32_t blue) const {
  std::vector<uint32_t> colours(65536);
  // The entry of each 16-bit pixel value, in order.
  uint32_t pixel = 0;
  for (uint32_t& colour : colours) {
    Uint8 r, g, b;
    SDL_GetRGB(pixel++, screen->format, &r, &g, &b);
    colour = place(r, red) | place(g, green) | place(b, blue);
  }
  return colours;
}

void SaverPicture::scaleInto(const PictureFit& fit, uint32_t* out, int stride,
                             const std::vector<uint32_t>& colours) const {
  if (SDL_MUSTLOCK(screen)) SDL_LockSurface(screen);
  std::vector<int> columns(static_cast<size_t>(fit.width));
  int x = 0;
  for (int& column : columns) column = x++ * fit.per / fit.times;
  int lastRow = -1;
  for (int y = 0; y < fit.height; ++y) {
    uint32_t* line = out + static_cast<ptrdiff_t>(y) * stride;
    const int row = y * fit.per / fit.times;
    if (row == lastRow) {
      // An enlarged row repeats the one above it.
      std::memcpy(line, line - stride, sizeof(uint32_t) * static_cast<size_t>(fit.width));
      continue;
    }
    lastRow = row;
    const Uint16* source = reinterpret_cast<const Uint16*>(
        static_cast<const Uint8*>(screen->pixels) + row * screen->pitch);
    std::transform(columns.begin(), columns.end(), line,
                   [&](int column) { return colours[source[column]]; });
  }
  if (SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
}
