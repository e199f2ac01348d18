#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include "app/intro.h"
#include "app/platform.h"
#include "gfx/surface.h"
#include "support/libraryFaults.h"
#include "support/sceneAssets.h"
#include "support/testPlatform.h"

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;


TEST(StartUpFaults, NoVideoModeLeavesTheLibraryUpAndPrintsItsText) {
  injectFault(LibraryFault::setVideoMode);
  CaptureStderr();
  EXPECT_FALSE(initPlatform("c", 320, 240, 16, 50, windowed));
  EXPECT_EQ(GetCapturedStderr(), "Couldn't set video mode\n");
  EXPECT_EQ(getScreen(), nullptr);
  EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);  // audio never opened
}

TEST(StartUpFaults, NoFontEngineLeavesAudioOpenAndNoCaption) {
  injectFault(LibraryFault::fontEngine);
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
    injectFault(fault);
    CaptureStderr();
    EXPECT_EQ(runIntro(1, argv), 1);
    EXPECT_NE(GetCapturedStderr(), "");
    SDL_Quit();
  }
}

TEST(StartUpFaults, MusicThatWillNotStartIsReportedAndTheSceneReleased) {
  TempWorkDir dir;
  writeSceneAssets(dir);
  injectFault(LibraryFault::playMusic);
  char name[] = "orbitra";
  char* argv[] = {name, nullptr};
  recordSurfaceFrees(true);
  CaptureStderr();
  EXPECT_EQ(runIntro(1, argv), 1);
  EXPECT_EQ(GetCapturedStderr(), "No free channels available\n");
  // The four loaded images were freed after conversion; then the scene released its six.
  std::vector<std::pair<int, int>> sizes;
  for (const FreedSurface& f : freedSurfaces()) sizes.emplace_back(f.w, f.h);
  recordSurfaceFrees(false);
  const std::vector<std::pair<int, int>> sceneSizes = {{320, 50}, {320, 50}, {160, 40},
                                                       {16, 16},  {48, 48},  {640, 480}};
  ASSERT_GE(sizes.size(), 6u);
  const std::vector<std::pair<int, int>> lastSix(sizes.end() - 6, sizes.end());
  EXPECT_EQ(lastSix, sceneSizes);
}

TEST(LockFaults, RefusedLockEndsTheRunWithTheLibrarysText) {
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
  SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 16, 0, 0, 0, 0);
  surface->offset = 2;  // a surface the library must lock
  injectFault(LibraryFault::lockSurface);
  EXPECT_EXIT(lockSurface(surface), ::testing::ExitedWithCode(1), "^Surface lock refused\n$");
  surface->offset = 0;
  SDL_FreeSurface(surface);
}
