#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/frameLoop.h"
#include "app/intro.h"
#include "base/clock.h"
#include "gfx/surface.h"
#include "support/testPlatform.h"

namespace {
Uint32 flagsFor(std::vector<const char*> args) {
  args.insert(args.begin(), "orbitra");
  return chooseVideoFlags(static_cast<int>(args.size()), const_cast<char**>(args.data()));
}

SDL_Event keyEvent(Uint8 type, SDLKey key) {
  SDL_Event event{};
  event.type = type;
  event.key.type = type;
  event.key.keysym.sym = key;
  return event;
}

SDL_Event joyEvent(Uint8 type, Uint8 which, Uint8 button) {
  SDL_Event event{};
  event.type = type;
  event.jbutton.type = type;
  event.jbutton.which = which;
  event.jbutton.button = button;
  return event;
}

SDL_Event quitEvent() {
  SDL_Event event{};
  event.type = SDL_QUIT;
  return event;
}

void push(SDL_Event event) {
  ASSERT_EQ(SDL_PushEvent(&event), 0);
}

bool queueEmpty() {
  SDL_Event event;
  return SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) == 0;
}
}  // namespace

TEST(CommandLine, FullScreenOnlyForTheSingleArgumentF) {
  const Uint32 windowedValue = 0x40000001u, fullScreen = 0xC0000001u;
  EXPECT_EQ(flagsFor({}), windowedValue);
  EXPECT_EQ(flagsFor({"f"}), fullScreen);
  EXPECT_EQ(flagsFor({"F"}), windowedValue);
  EXPECT_EQ(flagsFor({"-f"}), windowedValue);
  EXPECT_EQ(flagsFor({"fs"}), windowedValue);
  EXPECT_EQ(flagsFor({""}), windowedValue);
  EXPECT_EQ(flagsFor({"f", "f"}), windowedValue);
}

TEST(RateLimiter, MeasuresTheTruncatedMeanSinceStart) {
  EXPECT_EQ(measureFps(50, 1000, 0), 50);   // a 51st frame may follow
  EXPECT_EQ(measureFps(51, 1000, 0), 51);   // held back...
  EXPECT_EQ(measureFps(51, 1001, 51), 50);  // ...until the next millisecond
  EXPECT_EQ(measureFps(1, 1, 0), 1000);
}

TEST(RateLimiter, ClockAtZeroKeepsThePreviousMeasurement) {
  EXPECT_EQ(measureFps(0, 0, 0), 0);
  EXPECT_EQ(measureFps(500, 0, 73), 73);
}

TEST(RateLimiter, StaysRightPastElevenHours) {
  // 2,147,484 frames overflow a 32-bit product; 24 hours at 50 frames a second.
  EXPECT_EQ(measureFps(2147484, 2147484 * 20, 0), 50);
  EXPECT_EQ(measureFps(50 * 86400, 86400u * 1000u, 0), 50);
  EXPECT_EQ(measureFps(51 * 86400 + 1, 86400u * 1000u, 0), 51);
}

TEST(EventDrain, OnlyTheThreeQuitRequestsCount) {
  EXPECT_TRUE(isQuitEvent(quitEvent()));
  EXPECT_TRUE(isQuitEvent(keyEvent(SDL_KEYDOWN, SDLK_ESCAPE)));
  EXPECT_TRUE(isQuitEvent(joyEvent(SDL_JOYBUTTONDOWN, 0, 8)));
  EXPECT_TRUE(isQuitEvent(joyEvent(SDL_JOYBUTTONDOWN, 3, 8)));

  EXPECT_FALSE(isQuitEvent(keyEvent(SDL_KEYUP, SDLK_ESCAPE)));
  EXPECT_FALSE(isQuitEvent(keyEvent(SDL_KEYDOWN, SDLK_q)));
  EXPECT_FALSE(isQuitEvent(keyEvent(SDL_KEYDOWN, SDLK_RETURN)));
  EXPECT_FALSE(isQuitEvent(joyEvent(SDL_JOYBUTTONUP, 0, 8)));
  EXPECT_FALSE(isQuitEvent(joyEvent(SDL_JOYBUTTONDOWN, 0, 7)));
  EXPECT_FALSE(isQuitEvent(joyEvent(SDL_JOYBUTTONDOWN, 0, 9)));
}

TEST(EventDrain, ReadsEveryPendingEvent) {
  startPlatform();
  push(keyEvent(SDL_KEYUP, SDLK_ESCAPE));
  push(keyEvent(SDL_KEYDOWN, SDLK_SPACE));
  push(joyEvent(SDL_JOYBUTTONUP, 1, 8));
  EXPECT_FALSE(drainEvents());
  EXPECT_TRUE(queueEmpty());

  push(keyEvent(SDL_KEYDOWN, SDLK_a));
  push(joyEvent(SDL_JOYBUTTONDOWN, 2, 8));
  push(keyEvent(SDL_KEYDOWN, SDLK_b));
  EXPECT_TRUE(drainEvents());
  EXPECT_TRUE(queueEmpty());
}

TEST(FrameLoop, QuitAmongPendingEventsStillDrawsAndCountsTheFrame) {
  startPlatform();
  ScriptedClock::install(5000);
  SDL_Surface* display = getScreen();
  SDL_FillRect(display, nullptr, displayColour(255, 255, 255));
  push(keyEvent(SDL_KEYDOWN, SDLK_LEFT));
  push(keyEvent(SDL_KEYDOWN, SDLK_ESCAPE));
  push(keyEvent(SDL_KEYDOWN, SDLK_RIGHT));

  int draws = 0;
  Uint32 cornerSeen = 1;
  runFrameLoop(display, [&](SDL_Surface* target) {
    ++draws;
    cornerSeen = getPixel(target, 319, 239);
    EXPECT_TRUE(queueEmpty());  // all events were read before drawing
  });
  EXPECT_EQ(draws, 1);
  EXPECT_EQ(frameCount, 1);
  EXPECT_EQ(cornerSeen, 0u);  // cleared to black before the frame was drawn
}

TEST(FrameLoop, CatchesUpBackToBackAfterASlowStart) {
  // The loop first runs 2000 ms after the library's start; every clock read advances 1 ms.
  startPlatform();
  ScriptedClock::install(2000, 1);
  std::vector<Uint32> drawnAt;
  runFrameLoop(getScreen(), [&](SDL_Surface*) {
    drawnAt.push_back(ScriptedClock::now - 1);
    if (drawnAt.size() == 200) push(quitEvent());
  });
  // The quit pushed during frame 200 is read, and that frame drawn, on the next pass.
  ASSERT_EQ(drawnAt.size(), 201u);
  // One clock read per drawn pass: no pass was skipped while the mean was below the target.
  for (size_t i = 1; i < 104; ++i) EXPECT_EQ(drawnAt[i] - drawnAt[i - 1], 1u) << "frame " << i;
  // Later the rate is held just under 51 frames a second.
  EXPECT_GT(drawnAt[199] - drawnAt[198], 1u);
  const int32_t rate = measureFps(200, drawnAt[199] + 1, 0);
  EXPECT_LE(rate, 51);
  EXPECT_GE(rate, 50);
}

namespace {
// Frames drawn by the real loop from tick 0, one clock read taking 1 ms, until `count`.
std::vector<Uint32> drawnTicks(size_t count) {
  std::vector<Uint32> drawnAt;
  runFrameLoop(getScreen(), [&](SDL_Surface*) {
    drawnAt.push_back(ScriptedClock::now - 1);
    if (drawnAt.size() == count) push(quitEvent());
  });
  return drawnAt;
}

// Frame n may be drawn as soon as n * 1000 / tick is at most 50, and one pass takes 1 ms.
void expectTheLimitersTicks(const std::vector<Uint32>& drawnAt) {
  ASSERT_FALSE(drawnAt.empty());
  EXPECT_EQ(drawnAt[0], 0u);
  for (Uint32 n = 1; n < drawnAt.size(); ++n) {
    const Uint32 due = std::max(drawnAt[n - 1] + 1, n * 1000 / 51 + 1);
    ASSERT_EQ(drawnAt[n], due) << "frame " << n;
  }
}
}  // namespace

TEST(FrameLoop, DrawsWhileTheMeanRateEqualsTheTarget) {
  // A clock that cannot be waited on is read again and again, as the limiter always has.
  startPlatform();
  ScriptedClock::install(0, 1);
  const std::vector<Uint32> drawnAt = drawnTicks(120);
  ASSERT_EQ(drawnAt.size(), 121u);
  expectTheLimitersTicks(drawnAt);
  EXPECT_EQ(drawnAt[50], 981u);  // 50 frames at 981 ms measure 50: not held back
}

TEST(FrameLoop, SleepsUntilTheNextFrameIsDueAndDrawsAtTheSameTicks) {
  startPlatform();
  ScriptedClock::installWaiting(0, 1);
  const std::vector<Uint32> drawnAt = drawnTicks(120);
  ASSERT_EQ(drawnAt.size(), 121u);
  expectTheLimitersTicks(drawnAt);
  // At most one wait and two readings a frame: no spinning on the clock.
  EXPECT_LE(ScriptedClock::waits, 121);
  EXPECT_LE(ScriptedClock::reads, 2 * 121 + 1);
}

TEST(FrameLoop, NextFrameTickIsTheFirstTickTheLimiterAllows) {
  // Up to 200 million frames, about 45 days: past 49.7 days the clock itself wraps.
  for (int32_t frames : {0, 1, 50, 51, 52, 1000, 2147484, 200000000}) {
    const Uint32 tick = nextFrameTick(frames, 50);
    EXPECT_LE(measureFps(frames, tick, 999), 50) << frames;
    if (tick > 1) {
      EXPECT_GT(measureFps(frames, tick - 1, 999), 50) << frames;
    }
  }
  // Beyond the clock's range it stays at the top instead of wrapping round to an early tick.
  EXPECT_EQ(nextFrameTick(219043333, 50), 0xFFFFFFFFu);
  EXPECT_EQ(nextFrameTick(INT32_MAX, 50), 0xFFFFFFFFu);
}

TEST(Clock, TheLibrarysWaitReturnsOnceTheTickIsReached) {
  startPlatform();
  const Uint32 due = ticks() + 30;
  waitUntil(due);
  EXPECT_GE(ticks(), due);
}
