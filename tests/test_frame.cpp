#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "app/frameLoop.h"
#include "base/frameHash.h"
#include "gfx/surface.h"
#include "scene/ballShow.h"
#include "scene/curtain.h"
#include "scene/introScene.h"
#include "scene/logoAndLights.h"
#include "support/sceneAssets.h"

namespace {
class Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    startPlatform();
    writeSceneAssets(dir);
    scene = std::make_unique<IntroScene>();
    display = getScreen();
  }

  // One frame as the frame loop shows it, at a fixed clock reading.
  void drawAt(Uint32 tick) {
    ScriptedClock::install(tick);
    showFrame(display, [this](SDL_Surface* target) { scene->drawFrame(target); });
  }

  Uint32 at(int x, int y) { return getPixel(display, x, y); }

  bool rowIs(int y, Uint32 value) {
    for (int x = 0; x < 320; ++x)
      if (at(x, y) != value) return false;
    return true;
  }

  // What the translucent floor makes of a pixel value: the library's own blend over black.
  Uint32 floorOf(Uint32 value) {
    auto cached = floorCache.find(value);
    if (cached != floorCache.end()) return cached->second;
    SDL_Surface* one = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 16, 0, 0, 0, 0);
    SDL_Surface* under = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 16, 0, 0, 0, 0);
    putPixel(one, 0, 0, value);
    SDL_SetAlpha(one, SDL_SRCALPHA, 125);
    SDL_FillRect(under, nullptr, 0);
    SDL_BlitSurface(one, nullptr, under, nullptr);
    const Uint32 blended = getPixel(under, 0, 0);
    SDL_FreeSurface(one);
    SDL_FreeSurface(under);
    return floorCache[value] = blended;
  }

  TempWorkDir dir;
  std::unique_ptr<IntroScene> scene;
  SDL_Surface* display = nullptr;
  std::map<Uint32, Uint32> floorCache;
};
}  // namespace

TEST_F(Frame, FloorMirrorsTheRowsAboveInDimmedBlue) {
  for (Uint32 tick : {4000u, 7321u, 12345u}) {
    SCOPED_TRACE(tick);
    drawAt(tick);
    const Uint32 blue = floorOf(displayColour(0, 0, 200));
    EXPECT_TRUE(rowIs(190, blue));
    int blackSources = 0;
    for (int k = 1; k < 50; ++k) {
      for (int x = 0; x < 320; ++x) {
        const Uint32 source = at(x, 190 - k);
        blackSources += source == 0;
        ASSERT_EQ(at(x, 190 + k), floorOf(source == 0 ? displayColour(0, 0, 200) : source))
            << "x " << x << " row " << 190 + k;
      }
    }
  }
}

TEST_F(Frame, PureBlackAboveTheFloorShowsBlueAndDarkPixelsAreKept) {
  SDL_Surface* reflection = scene->reflectionSurface;
  SDL_FillRect(display, nullptr, 0);
  putPixel(display, 10, 189, 1);  // the darkest non-zero value
  putPixel(display, 11, 141, displayColour(255, 255, 255));
  putPixel(display, 12, 140, displayColour(255, 255, 255));  // above the mirrored rows
  putPixel(display, 13, 190, displayColour(255, 255, 255));  // the band's own top row
  const Uint32 blue = displayColour(0, 0, 200);
  SDL_FillRect(reflection, nullptr, blue);
  scene->captureReflection(display, reflection);
  SDL_LockSurface(reflection);
  EXPECT_EQ(getPixel(reflection, 10, 1), 1u);
  EXPECT_EQ(getPixel(reflection, 11, 49), displayColour(255, 255, 255));
  EXPECT_EQ(getPixel(reflection, 13, 0), displayColour(255, 255, 255));
  EXPECT_EQ(getPixel(reflection, 0, 1), blue);
  EXPECT_EQ(getPixel(reflection, 12, 49), blue);
  int copied = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 320; ++x) copied += getPixel(reflection, x, y) != blue;
  EXPECT_EQ(copied, 3);
  SDL_UnlockSurface(reflection);
}

TEST_F(Frame, CurtainOpensOneRowAtEachEdgePerFrame) {
  drawAt(500);
  EXPECT_EQ(curtainState().offset, 1);
  for (int y = 0; y < 240; y += 7) EXPECT_TRUE(rowIs(y, 0)) << "row " << y;
  EXPECT_TRUE(rowIs(239, 0));

  curtainState().offset = 60;
  drawAt(2999);
  EXPECT_EQ(curtainState().offset, 61);
  const Uint32 background = displayColour(30, 30, 60);
  EXPECT_EQ(at(0, 0), background);
  EXPECT_EQ(at(0, 59), displayColour(100, 33, 100));  // the rule's last row stays uncovered
  EXPECT_FALSE(rowIs(59, 0));
  EXPECT_FALSE(rowIs(180, 0));
  for (int y = 60; y < 180; ++y) EXPECT_TRUE(rowIs(y, 0)) << "row " << y;

  curtainState().offset = 120;
  drawAt(2999);
  EXPECT_EQ(curtainState().offset, 120);
  EXPECT_EQ(at(0, 119), background);
}

TEST_F(Frame, CurtainStopsAtTickThreeThousandEvenHalfOpen) {
  curtainState().offset = 30;
  drawAt(3000);
  EXPECT_EQ(curtainState().offset, 30);
  EXPECT_EQ(at(0, 100), displayColour(30, 30, 60));
}

TEST_F(Frame, SlowStartNeverShowsTheCurtain) {
  for (Uint32 tick = 3000; tick < 4000; tick += 20) drawAt(tick);
  EXPECT_EQ(curtainState().offset, 0);
}

TEST_F(Frame, BallShowJoinsOnlyAfterTickTenThousand) {
  drawAt(10000);
  EXPECT_FALSE(ballShowState().started);
  drawAt(10001);
  EXPECT_TRUE(ballShowState().started);
}

namespace {
// Stretches of 30 frames, 20 ms apart, from each start tick.
std::vector<uint64_t> drawRun(IntroScene& scene, std::initializer_list<Uint32> starts) {
  std::vector<uint64_t> hashes;
  for (Uint32 start : starts) {
    for (Uint32 tick = start; tick < start + 600; tick += 20) {
      ScriptedClock::install(tick);
      showFrame(getScreen(), [&scene](SDL_Surface* target) { scene.drawFrame(target); });
      hashes.push_back(hashFrame(getScreen()));
    }
  }
  return hashes;
}
}  // namespace

TEST(EffectReset, ARunAfterTheResetDrawsTheFramesOfTheFirst) {
  startPlatform();
  TempWorkDir dir;
  std::filesystem::create_directory_symlink(std::string(ORBITRA_SOURCE_DIR) + "/res", "assets");
  std::filesystem::remove("res");
  std::filesystem::rename("assets", "res");
  IntroScene scene;
  // From 5000 the first frame shows the background window before it first moves; then the
  // first chain, the red ball over the bars and a new cycle.
  const std::vector<uint64_t> first = drawRun(scene, {5000, 10000, 75100, 95000});
  scene.resetEffects();
  EXPECT_EQ(drawRun(scene, {5000, 10000, 75100, 95000}), first);
  // The curtain opens anew.
  scene.resetEffects();
  const std::vector<uint64_t> curtain = drawRun(scene, {2400});
  EXPECT_EQ(curtainState().offset, 30);
  scene.resetEffects();
  EXPECT_EQ(drawRun(scene, {2400}), curtain);
}
