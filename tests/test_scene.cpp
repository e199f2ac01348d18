#include <gtest/gtest.h>

#include <memory>

#include "gfx/surface.h"
#include "scene/introScene.h"
#include "support/libraryFaults.h"
#include "support/sceneAssets.h"

namespace {
class Scene : public ::testing::Test {
 protected:
  void SetUp() override {
    startPlatform();
    writeSceneAssets(dir);
    scene = std::make_unique<IntroScene>();
  }
  TempWorkDir dir;
  std::unique_ptr<IntroScene> scene;
};

bool sameRect(const SDL_Rect& r, int x, int y, int w, int h) {
  return r.x == x && r.y == y && r.w == w && r.h == h;
}
}  // namespace

TEST_F(Scene, TablesHoldTruncatedScaledSinesOfTheApproximatePi) {
  const int* s = scene->sineTable;
  const int* c = scene->cosineTable;
  EXPECT_EQ(c[0], 500);
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(s[1], 3);
  EXPECT_EQ(c[1], 499);
  EXPECT_EQ(s[250], 499);
  EXPECT_EQ(c[250], 0);
  EXPECT_EQ(s[500], 0);
  EXPECT_EQ(c[500], -499);
  EXPECT_EQ(s[750], -499);
  EXPECT_EQ(c[750], 0);
  EXPECT_EQ(s[1000], 0);
  EXPECT_EQ(c[1000], 499);
  EXPECT_EQ(s[14999], -4);
  EXPECT_EQ(c[14999], 499);
  int sineMin = 0, sineMax = 0, cosineMin = 0, cosineMax = 0, fullCosines = 0;
  for (int k = 0; k < IntroScene::tableSize; ++k) {
    sineMin = std::min(sineMin, s[k]), sineMax = std::max(sineMax, s[k]);
    cosineMin = std::min(cosineMin, c[k]), cosineMax = std::max(cosineMax, c[k]);
    fullCosines += c[k] == 500;
  }
  EXPECT_EQ(sineMin, -499);
  EXPECT_EQ(sineMax, 499);
  EXPECT_EQ(cosineMin, -499);
  EXPECT_EQ(cosineMax, 500);
  EXPECT_EQ(fullCosines, 1);
}

TEST_F(Scene, LightPathIsOneClosedClockwiseLoopAroundTheLogo) {
  const SDL_Rect* cells = scene->lightPathRects;
  EXPECT_TRUE(sameRect(cells[0], 75, 5, 5, 5));
  EXPECT_TRUE(sameRect(cells[33], 240, 5, 5, 5));
  EXPECT_TRUE(sameRect(cells[34], 240, 10, 5, 5));
  EXPECT_TRUE(sameRect(cells[41], 240, 45, 5, 5));
  EXPECT_TRUE(sameRect(cells[42], 240, 50, 5, 5));
  EXPECT_TRUE(sameRect(cells[75], 75, 50, 5, 5));
  EXPECT_TRUE(sameRect(cells[76], 75, 45, 5, 5));
  EXPECT_TRUE(sameRect(cells[83], 75, 10, 5, 5));
  for (int i = 0; i < IntroScene::lightCellCount; ++i) {
    const SDL_Rect& a = cells[i];
    const SDL_Rect& b = cells[(i + 1) % IntroScene::lightCellCount];
    EXPECT_EQ(std::abs(a.x - b.x) + std::abs(a.y - b.y), 5) << "cell " << i;
    for (int j = i + 1; j < IntroScene::lightCellCount; ++j) {
      EXPECT_FALSE(a.x == cells[j].x && a.y == cells[j].y) << i << " and " << j;
    }
  }
}

TEST_F(Scene, StripsTileTheScrollerOnceAndFixedRectanglesAreSet) {
  for (int j = 0; j < IntroScene::stripCount; ++j) {
    EXPECT_TRUE(sameRect(scene->stripRects[j], 10 * j, 0, 10, 50)) << j;
  }
  EXPECT_TRUE(sameRect(scene->reflectionBandRect, 0, 190, 320, 50));
  EXPECT_TRUE(sameRect(scene->backgroundViewRect, 0, 0, 320, 240));
}

TEST_F(Scene, SurfacesArePreparedForTheirEffects) {
  SDL_Surface* reflection = scene->reflectionSurface;
  ASSERT_NE(reflection, nullptr);
  EXPECT_EQ(reflection->w, 320);
  EXPECT_EQ(reflection->h, 50);
  EXPECT_EQ(reflection->format->BitsPerPixel, 16);
  EXPECT_EQ(reflection->format->Rmask, getScreen()->format->Rmask);
  EXPECT_TRUE(reflection->flags & SDL_SRCALPHA);
  EXPECT_EQ(reflection->format->alpha, 125);

  SDL_Surface* scroller = scene->scrollerSurface;
  EXPECT_EQ(scroller->w, 320);
  EXPECT_EQ(scroller->h, 50);
  EXPECT_TRUE(scroller->flags & SDL_SRCCOLORKEY);
  EXPECT_EQ(scroller->format->colorkey, 0u);
  EXPECT_FALSE(scroller->flags & SDL_SRCALPHA);

  EXPECT_EQ(scene->logoSurface->format->alpha, 175);
  EXPECT_TRUE(scene->logoSurface->flags & SDL_SRCALPHA);
  EXPECT_FALSE(scene->logoSurface->flags & SDL_SRCCOLORKEY);
  EXPECT_EQ(scene->greenBallSurface->format->colorkey, 0xF81Fu);
  EXPECT_EQ(scene->redBallSurface->format->colorkey, 0xF81Fu);
  EXPECT_EQ(scene->backgroundSurface->w, 640);
  EXPECT_FALSE(scene->backgroundSurface->flags & (SDL_SRCCOLORKEY | SDL_SRCALPHA));
  EXPECT_NE(scene->scrollFont, nullptr);
}

TEST_F(Scene, DestructionFreesTheSixSurfacesInOrderAndKeepsTheFont) {
  const std::vector<SDL_Surface*> expected = {scene->reflectionSurface, scene->scrollerSurface,
                                              scene->logoSurface,       scene->greenBallSurface,
                                              scene->redBallSurface,    scene->backgroundSurface};
  TTF_Font* font = scene->scrollFont;
  recordSurfaceFrees(true);
  scene.reset();
  std::vector<SDL_Surface*> freed;
  for (const FreedSurface& f : freedSurfaces()) freed.push_back(f.surface);
  recordSurfaceFrees(false);
  EXPECT_EQ(freed, expected);
  // Still open: the font engine's shutdown closes it.
  EXPECT_GT(TTF_FontHeight(font), 0);
}

TEST(SceneFaultsDeathTest, NoMemoryForAWorkSurfaceEndsTheRun) {
  startPlatform();
  TempWorkDir dir;
  writeSceneAssets(dir);
  const ScopedFault fault(LibraryFault::createSurface);
  EXPECT_EXIT(IntroScene(), ::testing::ExitedWithCode(1), "^Out of memory\n$");
}
