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
  return RUN_ALL_TESTS();
}
