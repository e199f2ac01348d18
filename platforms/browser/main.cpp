// The intro in a browser. Start-up, scene, music, frame rule and end are the desktop program's;
// only the loop is turned inside out: the browser calls one pass of it per animation frame
// instead of the program polling the clock, and the limiter decides on each pass as it does on
// each poll.
//
// For the browser test the page can drive the frames itself with a scripted clock (frame n at
// tick T0 + 20 n, every read within a frame answering that tick) and read back hashes of the
// 16-bit screen, as the desktop frame tools do.
#include <SDL.h>
#include <emscripten.h>

#include <cstdint>
#include <string>

#include "app/frameLoop.h"
#include "app/intro.h"
#include "base/clock.h"
#include "base/frameHash.h"
#include "check/downloadCheck.h"
#include "gfx/surface.h"

namespace {
Intro intro;
Uint32 scriptedTick = 0;
uint64_t allFramesHash = frameHashStart;
std::string hashText;

Uint32 scriptedTicks() {
  return scriptedTick;
}

// The audio driver's pull (sdl/page.c): one buffer of the sound the page plays.
extern "C" Uint8* orbitra_audio_pull(void);
extern "C" int orbitra_audio_pull_frames(void);

// The library's clock starts once per process; a run after the first counts from its own start.
int runs = 0;
Uint32 runStart = 0;
Uint32 runTicks() {
  return SDL_GetTicks() - runStart;
}

EM_JS(int, page_wants_test_mode, (void), { return Module.orbitraTestMode ? 1 : 0; });
EM_JS(void, page_intro_ended, (int status), { Module.orbitraEnded(status); });

// The text stays valid until the next call.
const char* hex(uint64_t hash) {
  hashText = frameHashText(hash);
  return hashText.c_str();
}

void finish(int status) {
  intro.end();
  page_intro_ended(status);
}

// One pass of the desktop frame loop; the browser's animation frames take the place of its
// waiting between passes.
FramePass framePass() {
  return runFramePass(intro.display(), [](SDL_Surface* target) { intro.drawFrame(target); });
}

void animationFrame() {
  if (framePass() == FramePass::quit) {
    emscripten_cancel_main_loop();
    finish(0);
  }
}
}  // namespace

extern "C" {
// The clock the intro reads, in ms since its run started.
EMSCRIPTEN_KEEPALIVE Uint32 orbitra_ticks() {
  return ticks();
}

// The window caption, which the page shows on its title card.
EMSCRIPTEN_KEEPALIVE const char* orbitra_caption() {
  return introCaption;
}

// Test mode: one pass at a scripted tick. 1: drawn; 2: held by the limiter (nothing drawn);
// 0: drawn, and quit was read, so the intro has ended.
EMSCRIPTEN_KEEPALIVE int orbitra_test_frame(Uint32 tick) {
  scriptedTick = tick;
  const FramePass pass = framePass();
  if (pass == FramePass::held) return 2;
  allFramesHash = hashFrame(intro.display(), allFramesHash);
  if (pass == FramePass::quit) finish(0);
  return pass == FramePass::quit ? 0 : 1;
}

// Verify mode: the page writes the golden lists into the file system at their names, then
// the files are checked against their sums, the soundtrack is pulled through the audio driver
// exactly as the page pulls it for its output, and the golden run is drawn by the test mode and
// compared frame by frame. Begin answers the run's end tick, or -1 with the reason as the
// verdict.
DownloadCheck downloadCheck;
GoldenCheck& goldenCheck = downloadCheck.frames;
SoundCheck& soundCheck = downloadCheck.sound;
std::string verdictText;

EMSCRIPTEN_KEEPALIVE int orbitra_verify_begin() {
  // The browser's module player is built with the usual mixing paths.
  if (!downloadCheck.begin(false, verdictText)) return -1;
  return static_cast<int>(goldenCheck.runEnd());
}
EMSCRIPTEN_KEEPALIVE int orbitra_verify_jump_count() {
  return static_cast<int>(goldenCheck.jumps().size());
}
EMSCRIPTEN_KEEPALIVE Uint32 orbitra_verify_jump(int index) {
  return goldenCheck.jumps().at(static_cast<size_t>(index));
}
// The frame just drawn at `tick`, then (with all set) the hash over the whole run so far; false
// from the first difference on.
EMSCRIPTEN_KEEPALIVE int orbitra_verify_frame(Uint32 tick) {
  return goldenCheck.frame(tick, hashFrame(intro.display())) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE int orbitra_verify_all_frames() {
  return goldenCheck.allFrames(allFramesHash) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE int orbitra_verify_sound_seconds() {
  return soundCheck.seconds();
}
// The next second of the soundtrack, pulled buffer by buffer; false once one differs.
EMSCRIPTEN_KEEPALIVE int orbitra_verify_sound_second() {
  const int target = soundCheck.secondsChecked() + 1;
  while (soundCheck.secondsChecked() < target && soundCheck.failure().empty() &&
         !soundCheck.passed()) {
    const Uint8* buffer = orbitra_audio_pull();
    if (buffer == nullptr) {
      verdictText = "no sound device is open";
      return 0;
    }
    soundCheck.add(reinterpret_cast<const int16_t*>(buffer),
                   static_cast<size_t>(orbitra_audio_pull_frames()));
  }
  return soundCheck.failure().empty() ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE const char* orbitra_verify_verdict() {
  if (verdictText.empty()) verdictText = downloadCheck.verdict();
  return verdictText.c_str();
}

// The last frame's hash, and the running hash over every test frame so far, as 16 hex digits.
EMSCRIPTEN_KEEPALIVE const char* orbitra_frame_hash() {
  return intro.display() != nullptr ? hex(hashFrame(intro.display())) : "";
}
EMSCRIPTEN_KEEPALIVE const char* orbitra_all_frames_hash() {
  return hex(allFramesHash);
}

// Pixels of the screen that differ from the page's canvas, given the canvas's RGBA bytes:
// each screen pixel read as the library reads a colour (SDL_GetRGB).
EMSCRIPTEN_KEEPALIVE int orbitra_canvas_differences(const Uint8* rgba) {
  SDL_Surface* display = intro.display();
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
  if (testMode) {
    setTickSource(scriptedTicks);
  } else if (runs++ > 0) {
    runStart = SDL_GetTicks();
    setTickSource(runTicks);
  }
  if (!intro.start(windowedVideoFlags)) {
    finish(1);
    return 1;
  }
  if (!testMode) emscripten_set_main_loop(animationFrame, 0, false);
  return 0;
}
