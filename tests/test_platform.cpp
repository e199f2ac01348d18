#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/platform.h"
#include "gfx/surface.h"
#include "platforms/portmaster/sdl/bridge.h"
#include "support/libraryFaults.h"
#include "support/runProgram.h"
#include "support/testPlatform.h"

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

namespace {
const char* caption = ".:Orbitra by Kalvaren:. 7.7.2007";
}  // namespace

TEST(Platform, StartsWithTheRequestedModeAndCaption) {
  CaptureStderr();
  ASSERT_TRUE(initPlatform(caption, 320, 240, 16, 50, windowed));
  EXPECT_EQ(GetCapturedStderr(), "");
  ASSERT_NE(getScreen(), nullptr);
  EXPECT_EQ(getScreen()->w, 320);
  EXPECT_EQ(getScreen()->h, 240);
  EXPECT_EQ(getScreen()->format->BitsPerPixel, 16);
  ASSERT_NE(currentCaption(), nullptr);
  EXPECT_STREQ(currentCaption(), caption);
  EXPECT_EQ(getTargetFps(), 50);
  EXPECT_EQ(getScreenWidth(), 320);
  EXPECT_EQ(getScreenHeight(), 240);
  EXPECT_EQ(getScreenBpp(), 16);

  int frequency = 0, channels = 0;
  Uint16 format = 0;
  ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
  EXPECT_EQ(frequency, 22050);
  EXPECT_EQ(format, AUDIO_S16LSB);
  EXPECT_EQ(channels, 2);
  EXPECT_EQ(TTF_WasInit(), 1);

  shutdownPlatform();
  EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
  EXPECT_EQ(TTF_WasInit(), 0);
}

// Also on the user's own choices: a stand-in driver named is used, a scaling method kept.
TEST(Platform, FullScreenRunsTheSameSequence) {
  const char* named = onCompatLibrary() ? "offscreen" : "dummy";
  setenv("SDL_VIDEODRIVER", named, 1);
  // Without the system's EGL, which that driver would load and whose blocks outlive it.
  setenv("SDL_VIDEO_EGL_DRIVER", "/nonexistent", 1);
  setenv("SDL12COMPAT_SCALE_METHOD", "linear", 1);
  ASSERT_TRUE(initPlatform(caption, 320, 240, 16, 50, windowed | SDL_FULLSCREEN));
  EXPECT_EQ(getScreen()->w, 320);
  EXPECT_STREQ(currentCaption(), caption);
  char driver[32] = "";
  EXPECT_STREQ(SDL_VideoDriverName(driver, sizeof driver), named);
  EXPECT_STREQ(std::getenv("SDL12COMPAT_SCALE_METHOD"), "linear");
}

TEST(Platform, FailedLibraryStartKeepsTheRequestedValues) {
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  CaptureStderr();
  EXPECT_FALSE(initPlatform(caption, 320, 240, 16, 50, windowed));
  EXPECT_EQ(GetCapturedStderr(), unknownDriverText("no-such-driver"));
  EXPECT_EQ(getScreen(), nullptr);
  EXPECT_EQ(getScreenWidth(), 320);
  EXPECT_EQ(getScreenHeight(), 240);
  EXPECT_EQ(getScreenBpp(), 16);
  EXPECT_EQ(getTargetFps(), 50);
}

TEST(Platform, FailedAudioLeavesTheWindowOpenWithoutCaption) {
  // The file-writing audio driver cannot open its output, so opening audio fails.
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/nonexistent-dir/audio.raw", 1);
  CaptureStderr();
  EXPECT_FALSE(initPlatform(caption, 320, 240, 16, 50, windowed));
  const std::string line = GetCapturedStderr();
  EXPECT_NE(getScreen(), nullptr);
  EXPECT_EQ(currentCaption(), nullptr);
  EXPECT_EQ(line, std::string(SDL_GetError()) + "\n");
  EXPECT_NE(line.find("nonexistent-dir"), std::string::npos);
}

TEST(Platform, NoJoystickIsNotAnError) {
  ASSERT_TRUE(initPlatform(caption, 320, 240, 16, 50, windowed));
  CaptureStderr();
  EXPECT_EQ(openJoystick(), nullptr);
  EXPECT_EQ(GetCapturedStderr(), "");
}

TEST(Platform, LauncherHandOverReturnsWhenThereIsNoLauncher) {
  ASSERT_FALSE(std::filesystem::exists("/usr/gp2x/gp2xmenu"));
  ASSERT_TRUE(initPlatform(caption, 320, 240, 16, 50, windowed));
  shutdownToLauncher();
  EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
}

TEST(Platform, ShutdownHandsTheDisplaySurfaceToTheLibrarysFreeFirst) {
  startPlatform();
  SDL_Surface* display = getScreen();
  recordSurfaceFrees(true);
  shutdownPlatform();
  const std::vector<FreedSurface> freed = freedSurfaces();
  recordSurfaceFrees(false);
  ASSERT_FALSE(freed.empty());
  EXPECT_EQ(freed.front().surface, display);
  EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
}

TEST(Platform, WindowScaleLeavesRoomForTheDesktopsPanels) {
  EXPECT_EQ(windowScaleFor(1920, 1080, 320, 240), 4);
  EXPECT_EQ(windowScaleFor(2560, 1440, 320, 240), 5);
  EXPECT_EQ(windowScaleFor(3840, 2160, 320, 240), 8);
  EXPECT_EQ(windowScaleFor(1024, 768, 320, 240), 2);
  EXPECT_EQ(windowScaleFor(1920, 1079, 320, 240), 3);  // 4 x 240 + 120 would not fit
  EXPECT_EQ(windowScaleFor(1080, 1920, 320, 240), 3);  // portrait: the width decides
  EXPECT_EQ(windowScaleFor(1399, 2160, 320, 240), 3);  // 4 x 320 + 120 would not fit
  EXPECT_EQ(windowScaleFor(0, 0, 320, 240), 1);        // unknown
  EXPECT_EQ(windowScaleFor(400, 300, 320, 240), 1);
  // The handhelds' port fills the whole screen: no room for panels.
  EXPECT_EQ(port_scale_for(640, 480, 320, 240), 2);
  EXPECT_EQ(port_scale_for(320, 240, 320, 240), 1);
  EXPECT_EQ(port_scale_for(720, 720, 320, 240), 2);
  EXPECT_EQ(port_scale_for(1280, 720, 320, 240), 3);
  EXPECT_EQ(port_scale_for(240, 320, 320, 240), 1);  // smaller: shown cut, never at 0
}

TEST(Platform, PortFillsScreensTheWholeFactorLeavesHalfEmpty) {
  // The display, the start it suits, and the place with fill off and on: x, y, w, h, factor.
  const struct {
    int width, height, fills;
    std::vector<int> whole, fill;
  } screens[] = {
      {640, 480, 0, {0, 0, 640, 480, 2}, {0, 0, 640, 480, 2}},
      {641, 481, 0, {0, 0, 640, 480, 2}, {0, 0, 641, 480, 3}},  // fill only ever reduces
      {720, 720, 0, {40, 120, 640, 480, 2}, {0, 90, 720, 540, 3}},
      {1280, 720, 0, {160, 0, 960, 720, 3}, {160, 0, 960, 720, 3}},
      {1024, 600, 0, {192, 60, 640, 480, 2}, {112, 0, 800, 600, 3}},  // four fifths: whole
      {480, 320, 1, {80, 40, 320, 240, 1}, {27, 0, 426, 320, 2}},
      {240, 320, 1, {-40, 40, 320, 240, 1}, {0, 70, 240, 180, 1}},  // too small: reduced
  };
  for (const auto& display : screens) {
    EXPECT_EQ(port_fill_suits(display.width, display.height, 320, 240), display.fills)
        << display.width;
    for (int fill : {0, 1}) {
      const port_place place = port_place_for(display.width, display.height, 320, 240, fill);
      EXPECT_EQ(std::vector<int>({place.x, place.y, place.width, place.height, place.factor}),
                fill ? display.fill : display.whole)
          << display.width << "x" << display.height << " fill " << fill;
    }
  }
  // A 2x2 picture (rows 3 pixels apart, a third row not its own) at 3x into rows 8 apart:
  // squares, and nothing past the 2 pixels of each enlarged row or below its 6 rows touched.
  const uint16_t picture[] = {1, 2, 0, 3, 4, 0, 7, 7, 7};
  std::vector<uint16_t> out(9 * 8, 9);
  port_enlarge(picture, 6, 2, 2, 3, out.data(), 16);
  const std::vector<uint16_t> top = {1, 1, 1, 2, 2, 2, 9, 9}, bottom = {3, 3, 3, 4, 4, 4, 9, 9};
  for (int y = 0; y < 9; y++) {
    const std::vector<uint16_t> row(out.begin() + y * 8, out.begin() + y * 8 + 8);
    EXPECT_EQ(row, y < 3 ? top : y < 6 ? bottom : std::vector<uint16_t>(8, 9)) << y;
  }
}

TEST(PlatformExecTest, WithoutADisplayTheIntroEndsWithOneLine) {
  // No X server, no Wayland, no driver named: the library must not fall back to drawing text
  // into the terminal or nowhere at all, nor a display library add a line of its own.
  TempWorkDir dir;
  for (const std::string& runtime :
       {"XDG_RUNTIME_DIR=" + dir.path(), std::string("XDG_RUNTIME_DIR")}) {
    const ProgramResult result =
        runIntroIn(dir.path(), {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY", runtime});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errText, "No available video device\n") << runtime;
    EXPECT_EQ(result.outText, "") << runtime;
  }
  // The refused stand-in leaves the library shut down.
  for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) unsetenv(name);
  CaptureStderr();
  EXPECT_FALSE(initPlatform(caption, 320, 240, 16, 50, windowed));
  EXPECT_EQ(GetCapturedStderr(), "No available video device\n");
  EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
}
