#include "app/intro.h"

#include <SDL_mixer.h>

#include <cstring>

#include "app/frameLoop.h"
#include "app/platform.h"
#include "base/errors.h"
#include "base/loaders.h"
#include "gfx/surface.h"
#include "scene/introScene.h"

namespace {
const char* const caption = ".:Orbitra by Kalvaren:. 7.7.2007";
const Uint32 windowedFlags = SDL_HWSURFACE | SDL_DOUBLEBUF;
}  // namespace

Uint32 chooseVideoFlags(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "f") == 0) return windowedFlags | SDL_FULLSCREEN;
  return windowedFlags;
}

int runIntro(int argc, char** argv) {
  const Uint32 flags = chooseVideoFlags(argc, argv);
  if (!initPlatform(caption, 320, 240, 16, 50, flags)) return 1;
  SDL_Surface* display = getScreen();
  SDL_ShowCursor(0);

  Mix_Music* music = loadMusic("res/zak.dat");
  IntroScene scene;
  if (Mix_PlayMusic(music, -1) == -1) {
    // Say why the run ends instead of leaving the user with a silent status 1, and give the
    // music back: nothing will play it.
    printError(Mix_GetError());
    Mix_FreeMusic(music);
    return 1;
  }

  runFrameLoop(display, [&scene](SDL_Surface* target) { scene.drawFrame(target); });

  Mix_FreeMusic(music);
  shutdownPlatform();
  return 0;
}
