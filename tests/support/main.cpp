#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/runProgram.h"

namespace {
// Death tests re-run their test in a fresh process: forking a process whose audio thread is
// running leaves a child that the leak checker cannot inspect.
constexpr const char* deathTestStyle = "threadsafe";

// Starting the test program again is for suites named for it (support/runProgram.h): in any
// other a death test fails at once, on a style the library refuses, naming the rule. The re-run
// process gets no test events and keeps the style main sets.
class DeathTestsDeclared : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo& test) override {
    ::testing::GTEST_FLAG(death_test_style) =
        startsPrograms(test.test_suite_name())
            ? deathTestStyle
            : "refused: a test that starts the test program again needs a suite named ...DeathTest";
  }
};
}  // namespace

// Every test runs headless unless the caller chose drivers of its own.
int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  ::testing::GTEST_FLAG(death_test_style) = deathTestStyle;
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new DeathTestsDeclared);
  const int result = RUN_ALL_TESTS();
  // Tests leave the library up. Its audio thread is stopped before the process ends: on the
  // compatibility library the exit handlers would unload SDL 2 underneath it.
  if (Mix_QuerySpec(nullptr, nullptr, nullptr) != 0) Mix_CloseAudio();
  SDL_Quit();
  return result;
}
