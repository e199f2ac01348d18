#include "app/platform.h"

#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/errors.h"
#include "base/system.h"
#include "gfx/surface.h"

#ifdef __linux__
#include <dlfcn.h>
#endif

int screenWidth = 0;
int screenHeight = 0;
int screenBpp = 0;
int targetFps = 0;

namespace {
bool reportFailure() {
  printError(SDL_GetError());
  return false;
}

bool userSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

// Drivers that stand in when there is no display: they draw as text into the terminal, or
// nowhere at all. Nobody watches the intro there unless they asked for it by name.
bool isStandInDriver(const char* name) {
  return std::strcmp(name, "aalib") == 0 || std::strcmp(name, "caca") == 0 ||
         std::strcmp(name, "offscreen") == 0;
}

// On the compatibility library: crisp whole-pixel scaling, as big as the desktop allows.
// A user's own settings always win; the classic library ignores these names. The method is
// read when the library starts, the factor when the video mode is set.
void chooseScaleMethod() {
  if (!userSet("SDL12COMPAT_SCALE_METHOD")) setEnvironment("SDL12COMPAT_SCALE_METHOD", "nearest");
}

void chooseWindowScaling(int width, int height) {
  if (!userSet("SDL12COMPAT_WINDOW_SCALING")) {
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    const int factor =
        info != nullptr ? windowScaleFor(info->current_w, info->current_h, width, height) : 1;
    setEnvironment("SDL12COMPAT_WINDOW_SCALING", std::to_string(factor).c_str());
  }
}

// With no way to reach a Wayland compositor (no socket handed over, no absolute display path,
// no runtime folder to find one in), the Wayland client library the compatibility library
// tries says so on standard error before the next driver is tried: a line about a display
// that could not have been there. Only then it is asked to keep quiet.
void quietUnreachableWayland() {
#ifdef __linux__
  const char* display = std::getenv("WAYLAND_DISPLAY");
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (userSet("WAYLAND_SOCKET") || (display != nullptr && display[0] == '/') ||
      (runtime != nullptr && runtime[0] == '/')) {
    return;
  }
  // The library the compatibility library loads by this name, loaded here first and kept.
  void* wayland = dlopen("libwayland-client.so.0", RTLD_LAZY);
  if (wayland == nullptr) return;
  using LogHandler = void (*)(const char*, va_list);
  auto setHandler =
      reinterpret_cast<void (*)(LogHandler)>(dlsym(wayland, "wl_log_set_handler_client"));
  if (setHandler != nullptr) setHandler([](const char*, va_list) {});
#endif
}
}  // namespace

int windowScaleFor(int desktopWidth, int desktopHeight, int width, int height) {
  // Room for a title bar and panels: 120 pixels beside the picture either way.
  if (desktopWidth <= 0 || desktopHeight <= 0 || width <= 0 || height <= 0) return 1;
  const int factor = std::min((desktopWidth - 120) / width, (desktopHeight - 120) / height);
  return factor > 1 ? factor : 1;
}

bool initPlatform(const char* caption, int width, int height, int bpp, int fps, Uint32 flags) {
  // Recorded before the library is touched, so they hold even when start-up fails.
  screenWidth = width;
  screenHeight = height;
  screenBpp = bpp;
  targetFps = fps;

  const bool driverNamed = userSet("SDL_VIDEODRIVER");
  // Should the library fall back to its text-terminal driver, it stays silent until refused.
  if (!driverNamed) setEnvironment("CACA_DRIVER", "null", false);
  if (!driverNamed) quietUnreachableWayland();
  chooseScaleMethod();
  if (SDL_Init(SDL_INIT_EVERYTHING) == -1) return reportFailure();
  char driver[32] = "";
  if (SDL_VideoDriverName(driver, sizeof driver) == nullptr) driver[0] = '\0';
  if (!driverNamed && isStandInDriver(driver)) {
    SDL_Quit();
    SDL_SetError("No available video device");
    return reportFailure();
  }
  // A headless run shows nothing: no enlarging of every flip for nobody.
  if (std::strcmp(driver, "dummy") != 0) chooseWindowScaling(width, height);
  screen = SDL_SetVideoMode(screenWidth, screenHeight, screenBpp, flags);
  if (screen == nullptr) return reportFailure();
  if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 2048) == -1) {
    adviseOnFailure(noSoundAdvice());
    return reportFailure();
  }
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
    endRun(1);
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
