#include "app/platform.h"

#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <unistd.h>

#include <cstdlib>

#include "base/errors.h"
#include "gfx/surface.h"

int screenWidth = 0;
int screenHeight = 0;
int screenBpp = 0;
int targetFps = 0;

namespace {
bool reportFailure() {
  printError(SDL_GetError());
  return false;
}
}  // namespace

bool initPlatform(const char* caption, int width, int height, int bpp, int fps, Uint32 flags) {
  // Recorded before the library is touched, so they hold even when start-up fails.
  screenWidth = width;
  screenHeight = height;
  screenBpp = bpp;
  targetFps = fps;

  if (SDL_Init(SDL_INIT_EVERYTHING) == -1) return reportFailure();
  screen = SDL_SetVideoMode(screenWidth, screenHeight, screenBpp, flags);
  if (screen == nullptr) return reportFailure();
  if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 2048) == -1) return reportFailure();
  if (TTF_Init() == -1) return reportFailure();
  SDL_WM_SetCaption(caption, nullptr);
  return true;
}

void shutdownPlatform() {
  SDL_FreeSurface(screen);
  Mix_CloseAudio();
  TTF_Quit();
  SDL_Quit();
}

int getTargetFps() {
  return targetFps;
}
int getScreenWidth() {
  return screenWidth;
}
int getScreenHeight() {
  return screenHeight;
}
int getScreenBpp() {
  return screenBpp;
}

SDL_Joystick* openJoystick() {
  if (SDL_NumJoysticks() <= 0) return nullptr;
  SDL_Joystick* joystick = SDL_JoystickOpen(0);
  if (joystick == nullptr) {
    printError("Couldn't open joystick");
    std::exit(1);
  }
  return joystick;
}

void shutdownToLauncher() {
  shutdownPlatform();
  if (chdir("/usr/gp2x") != 0) {
    // Ignored as on the console: execl below fails on its own where there is no launcher.
  }
  execl("/usr/gp2x/gp2xmenu", "/usr/gp2x/gp2xmenu", static_cast<char*>(nullptr));
}
