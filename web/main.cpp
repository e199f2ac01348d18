// The intro in a browser. Start-up, scene, music and the frame rule are the desktop program's;
// only the loop is turned inside out: the browser calls one pass of it per animation frame
// instead of the program polling the clock, and the limiter decides on each pass as it does on
// each poll.
//
// For the browser test the page can drive the frames itself with a scripted clock (frame n at
// tick T0 + 20 n, every read within a frame answering that tick) and read back hashes of the
// 16-bit screen, as the desktop frame tools do.
#include <SDL.h>
#include <SDL_mixer.h>
#include <emscripten.h>

#include <cstdint>
#include <cstdio>

#include "app/frameLoop.h"
#include "app/platform.h"
#include "base/clock.h"
#include "base/display.h"
#include "base/errors.h"
#include "base/loaders.h"
#include "gfx/surface.h"
#include "scene/introScene.h"

namespace {
const char* const caption = ".:Orbitra by Kalvaren:. 7.7.2007";
const Uint32 videoFlags = SDL_HWSURFACE | SDL_DOUBLEBUF;
const uint64_t fnvBasis = 14695981039346656037ull;
const uint64_t fnvPrime = 1099511628211ull;

IntroScene* scene = nullptr;
Mix_Music* music = nullptr;
SDL_Surface* display = nullptr;
Uint32 scriptedTick = 0;
uint64_t allFramesHash = fnvBasis;
char hashText[17];

Uint32 scriptedTicks() {
  return scriptedTick;
}

EM_JS(int, page_wants_test_mode, (void), { return Module.orbitraTestMode ? 1 : 0; });
EM_JS(void, page_intro_ended, (int status), { Module.orbitraEnded(status); });

// FNV-1a over the visible bytes of each row, so pitch padding never counts.
uint64_t hashScreen(uint64_t hash) {
  const int rowBytes = display->w * display->format->BytesPerPixel;
  for (int y = 0; y < display->h; ++y) {
    const Uint8* row = static_cast<const Uint8*>(display->pixels) + y * display->pitch;
    for (int i = 0; i < rowBytes; ++i) hash = (hash ^ row[i]) * fnvPrime;
  }
  return hash;
}

const char* hex(uint64_t value) {
  std::snprintf(hashText, sizeof hashText, "%016llx", static_cast<unsigned long long>(value));
  return hashText;
}

void finish(int status) {
  delete scene;
  scene = nullptr;
  if (music != nullptr) Mix_FreeMusic(music);
  music = nullptr;
  shutdownPlatform();
  display = nullptr;  // the library has freed it
  page_intro_ended(status);
}

// One pass of the desktop frame loop; the browser's animation frames take the place of its
// waiting between passes.
FramePass framePass() {
  return runFramePass(display, [](SDL_Surface* target) { scene->drawFrame(target); });
}

void animationFrame() {
  if (framePass() == FramePass::quit) {
    emscripten_cancel_main_loop();
    finish(0);
  }
}
}  // namespace

extern "C" {
// The window caption, which the page shows on its title card.
EMSCRIPTEN_KEEPALIVE const char* orbitra_caption() {
  return caption;
}

// Test mode: one pass at a scripted tick. 1: drawn; 2: held by the limiter (nothing drawn);
// 0: drawn, and quit was read, so the intro has ended.
EMSCRIPTEN_KEEPALIVE int orbitra_test_frame(Uint32 tick) {
  scriptedTick = tick;
  const FramePass pass = framePass();
  if (pass == FramePass::held) return 2;
  allFramesHash = hashScreen(allFramesHash);
  if (pass == FramePass::quit) finish(0);
  return pass == FramePass::quit ? 0 : 1;
}

// The last frame's hash, and the running hash over every test frame so far, as 16 hex digits.
EMSCRIPTEN_KEEPALIVE const char* orbitra_frame_hash() {
  return display != nullptr ? hex(hashScreen(fnvBasis)) : "";
}
EMSCRIPTEN_KEEPALIVE const char* orbitra_all_frames_hash() {
  return hex(allFramesHash);
}

// Pixels of the screen that differ from the page's canvas, given the canvas's RGBA bytes:
// each screen pixel read as the library reads a colour (SDL_GetRGB).
EMSCRIPTEN_KEEPALIVE int orbitra_canvas_differences(const Uint8* rgba) {
  if (display == nullptr) return -1;
  int differing = 0;
  for (int y = 0; y < display->h; ++y) {
    for (int x = 0; x < display->w; ++x) {
      Uint8 r, g, b;
      SDL_GetRGB(getPixel(display, x, y), display->format, &r, &g, &b);
      const Uint8* p = rgba + 4 * (y * display->w + x);
      if (p[0] != r || p[1] != g || p[2] != b || p[3] != 255) ++differing;
    }
  }
  return differing;
}
}

int main() {
  const bool testMode = page_wants_test_mode() != 0;
  if (testMode) setTickSource(scriptedTicks);
  if (!initPlatform(caption, 320, 240, 16, 50, videoFlags)) {
    page_intro_ended(1);
    return 1;
  }
  display = getScreen();
  SDL_ShowCursor(0);
  music = loadMusic("res/zak.dat");
  scene = new IntroScene;
  if (Mix_PlayMusic(music, -1) == -1) {
    printError(Mix_GetError());
    finish(1);
    return 1;
  }
  if (!testMode) emscripten_set_main_loop(animationFrame, 0, false);
  return 0;
}
