#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/intro.h"
#include "app/platform.h"
#include "gfx/surface.h"
#include "support/libraryFaults.h"
#include "support/runProgram.h"
#include "support/sceneAssets.h"
#include "support/testPlatform.h"

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

TEST(StartUpFaults, NoVideoModeLeavesTheLibraryUpAndPrintsItsText) {
  const ScopedFault fault(LibraryFault::setVideoMode);
  CaptureStderr();
  EXPECT_FALSE(initPlatform("c", 320, 240, 16, 50, windowed));
  EXPECT_EQ(GetCapturedStderr(), "Couldn't set video mode\n");
  EXPECT_EQ(getScreen(), nullptr);
  EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);  // audio never opened
}

TEST(StartUpFaults, NoFontEngineLeavesAudioOpenAndNoCaption) {
  const ScopedFault fault(LibraryFault::fontEngine);
  CaptureStderr();
  EXPECT_FALSE(initPlatform("c", 320, 240, 16, 50, windowed));
  EXPECT_EQ(GetCapturedStderr(), "Couldn't init FreeType engine\n");
  EXPECT_NE(getScreen(), nullptr);
  EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(currentCaption(), nullptr);
}

TEST(StartUpFaults, EveryFailedStartEndsTheIntroWithStatusOne) {
  TempWorkDir dir;
  writeSceneAssets(dir);
  char name[] = "orbitra";
  char* argv[] = {name, nullptr};
  for (LibraryFault fault : {LibraryFault::setVideoMode, LibraryFault::fontEngine}) {
    const ScopedFault scoped(fault);
    CaptureStderr();
    EXPECT_EQ(runIntro(1, argv), 1);
    EXPECT_NE(GetCapturedStderr(), "");
    SDL_Quit();
  }
}

TEST(StartUpFaults, MusicThatWillNotStartIsReportedAndTheSceneReleased) {
  TempWorkDir dir;
  writeSceneAssets(dir);
  const ScopedFault fault(LibraryFault::playMusic);
  char name[] = "orbitra";
  char* argv[] = {name, nullptr};
  recordSurfaceFrees(true);
  CaptureStderr();
  EXPECT_EQ(runIntro(1, argv), 1);
  EXPECT_EQ(GetCapturedStderr(), "No free channels available\n");
  // Start-up hid the pointer before anything was loaded.
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  std::vector<std::pair<int, int>> sizes;
  for (const FreedSurface& f : freedSurfaces()) sizes.emplace_back(f.w, f.h);
  recordSurfaceFrees(false);
  // Each image as decoded was freed right after its conversion, in loading order, before the
  // scene released its own six surfaces at the end.
  using Sizes = std::vector<std::pair<int, int>>;
  const Sizes decoded = {{160, 40}, {16, 16}, {48, 48}, {640, 480}};
  const std::vector<std::pair<int, int>> sceneSizes = {{320, 50}, {320, 50}, {160, 40},
                                                       {16, 16},  {48, 48},  {640, 480}};
  ASSERT_EQ(sizes.size(), decoded.size() + sceneSizes.size());
  EXPECT_EQ(Sizes(sizes.begin(), sizes.begin() + 4), decoded);
  EXPECT_EQ(Sizes(sizes.begin() + 4, sizes.end()), sceneSizes);
}

TEST(StartUpFaultsExecTest, AFailureReturningThroughMainEndsWithoutTheExitHandlers) {
  // The real program with its music refused once audio is open. The probe's report is written
  // by an exit handler: no report, no exit handlers run.
  TempWorkDir dir;
  writeSceneAssets(dir);
  const char* asan = std::getenv("ASAN_OPTIONS");
  const ProgramResult result = runIntroIn(
      dir.path(), {"LD_PRELOAD=" ORBITRA_PROBE, "ORBITRA_PROBE_REFUSE_MUSIC=1",
                   "ORBITRA_PROBE_REPORT=" + dir.path() + "/report",
                   "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":verify_asan_link_order=0"});
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.errText, "Music refused\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/report"));
}

TEST(LockFaultsDeathTest, RefusedLockEndsTheRunWithTheLibrarysText) {
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
  SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 16, 0, 0, 0, 0);
  surface->offset = 2;  // a surface the library must lock
  {
    const ScopedFault fault(LibraryFault::lockSurface);
    EXPECT_EXIT(lockSurface(surface), ::testing::ExitedWithCode(1), "^Surface lock refused\n$");
  }
  // The fault ends with its scope: the same lock is granted again.
  EXPECT_EQ(activeFault(), LibraryFault::none);
  EXPECT_EQ(SDL_LockSurface(surface), 0);
  SDL_UnlockSurface(surface);
  surface->offset = 0;
  SDL_FreeSurface(surface);
}
