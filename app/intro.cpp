#include "app/intro.h"

#include <cstring>

#include "app/frameLoop.h"
#include "app/platform.h"
#include "base/assetNames.h"
#include "base/display.h"
#include "base/errors.h"
#include "base/loaders.h"
#include "scene/introScene.h"

Uint32 chooseVideoFlags(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "f") == 0) return windowedVideoFlags | SDL_FULLSCREEN;
  return windowedVideoFlags;
}

bool startIntroPlatform(Uint32 videoFlags) {
  if (!initPlatform(introCaption, 320, 240, 16, 50, videoFlags)) return false;
  SDL_ShowCursor(0);
  return true;
}

Intro::Intro() = default;
Intro::~Intro() = default;

bool Intro::start(Uint32 videoFlags) {
  if (!startIntroPlatform(videoFlags)) return false;
  SDL_Surface* display = getScreen();
  music_ = loadMusic(assets::music);
  scene_ = std::make_unique<IntroScene>();
  scene_->resetEffects();
  frameCount = 0;
  meanFps = 0;
  if (Mix_PlayMusic(music_, -1) == -1) {
    // Say why the run ends instead of leaving the user with a silent status 1, and give the
    // music back: nothing will play it.
    printError(Mix_GetError());
    Mix_FreeMusic(music_);
    music_ = nullptr;
    return false;
  }
  display_ = display;
  return true;
}

void Intro::drawFrame(SDL_Surface* target) {
  scene_->drawFrame(target);
}

void Intro::end() {
  if (music_ != nullptr) Mix_FreeMusic(music_);
  music_ = nullptr;
  shutdownPlatform();
  display_ = nullptr;  // the library has freed it
  scene_.reset();
}

int runIntro(int argc, char** argv) {
  Intro intro;
  if (!intro.start(chooseVideoFlags(argc, argv))) return 1;
  runFrameLoop(intro.display(), [&intro](SDL_Surface* target) { intro.drawFrame(target); });
  intro.end();
  return 0;
}
