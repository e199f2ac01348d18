#include "frameSource.h"

#include <SDL_mixer.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/frameLoop.h"
#include "app/intro.h"
#include "app/platform.h"
#include "base/assetFiles.h"
#include "base/assetNames.h"
#include "base/clock.h"
#include "base/display.h"
#include "base/loaders.h"
#include "base/system.h"
#include "scene/introScene.h"

namespace {
Uint32 frameTick = 0;
Uint32 scriptedTicks() {
  return frameTick;
}
}  // namespace

std::string FrameSource::missingAsset() {
  for (const char* file : assets::all) {
    const std::string path = assetFile(file);
    std::string reason;
    if (!checkReadableFile(path, maxAssetBytes, reason)) return path + ": " + reason;
    std::FILE* readable = openFile(path, "rb");
    if (readable == nullptr) return path + ": " + std::strerror(errno);
    std::fclose(readable);
  }
  return "";
}

FrameSource::FrameSource() = default;

FrameSource::~FrameSource() {
  if (locked_) SDL_UnlockSurface(display());
  scene_.reset();
  if (started_) {
    setTickSource(nullptr);
    shutdownPlatform();
  }
}

bool FrameSource::start(std::string& error) {
  setEnvironment("SDL_VIDEODRIVER", "dummy");
  setEnvironment("SDL_AUDIODRIVER", "dummy");
  // No window to enlarge: the compatibility library would scale every flip for nothing.
  setEnvironment("SDL12COMPAT_WINDOW_SCALING", "1");
  setTickSource(scriptedTicks);
  frameTick = 0;
  if (!startIntroPlatform(windowedVideoFlags)) {
    error = std::string("the headless display did not start: ") + SDL_GetError();
    return false;
  }
  started_ = true;
  // The music loaded through the mixer as the intro loads it, so a file that would end the
  // intro ends this run too; nothing is played through the mixer here, and closing it frees
  // the module player for the soundtrack, which drives it directly.
  Mix_FreeMusic(loadMusic(assets::music));
  Mix_CloseAudio();
  if (display()->format->BytesPerPixel != 2) {
    error = "the headless display is not 16 bits a pixel";
    return false;
  }
  scene_ = std::make_unique<IntroScene>();
  return true;
}

Picture FrameSource::draw(Uint32 tick) {
  SDL_Surface* surface = display();
  if (locked_) SDL_UnlockSurface(surface);
  locked_ = false;
  frameTick = tick;
  // Nothing here answers a quit request: the capture ends when its frames are drawn.
  showFrame(surface, [this](SDL_Surface* target) { scene_->drawFrame(target); });
  // Held until the next frame, while the picture is read.
  SDL_LockSurface(surface);
  locked_ = true;
  return Picture{static_cast<const Uint16*>(surface->pixels), surface->w, surface->h,
                 surface->pitch};
}

SDL_Surface* FrameSource::display() const {
  return getScreen();
}

const SDL_PixelFormat* FrameSource::format() const {
  return getScreen()->format;
}
