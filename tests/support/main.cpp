#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>

// Every test runs headless unless the caller chose drivers of its own.
int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  // Death tests re-run their test in a fresh process: forking a process whose audio thread is
  // running leaves a child that the leak checker cannot inspect.
  ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  // Tests leave the library up. Its audio thread is stopped before the process ends: on the
  // compatibility library the exit handlers would unload SDL 2 underneath it.
  if (Mix_QuerySpec(nullptr, nullptr, nullptr) != 0) Mix_CloseAudio();
  SDL_Quit();
  return result;
}
