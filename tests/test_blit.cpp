#include <gtest/gtest.h>

#include "gfx/blit.h"
#include "gfx/surface.h"
#include "support/testPlatform.h"

namespace {
class Blits : public ::testing::Test {
 protected:
  void SetUp() override {
    destination = makeSurface(20, 20);
    source = makeSurface(10, 10);
    black = SDL_MapRGB(destination->format, 0, 0, 0);
    red = SDL_MapRGB(destination->format, 255, 0, 0);
    SDL_FillRect(destination, nullptr, black);
    SDL_FillRect(source, nullptr, red);
  }
  void TearDown() override {
    SDL_FreeSurface(destination);
    if (source) SDL_FreeSurface(source);
  }
  int countColour(Uint32 colour) const {
    int n = 0;
    for (int y = 0; y < destination->h; ++y)
      for (int x = 0; x < destination->w; ++x) n += getPixel(destination, x, y) == colour;
    return n;
  }
  SDL_Surface* destination;
  SDL_Surface* source;
  Uint32 black, red;
};
}  // namespace

TEST_F(Blits, NegativePositionsDrawOnlyTheVisiblePart) {
  blitAt(-5, -7, source, destination);
  EXPECT_EQ(getPixel(destination, 4, 2), red);
  EXPECT_EQ(getPixel(destination, 5, 2), black);
  EXPECT_EQ(getPixel(destination, 4, 3), black);
  EXPECT_EQ(countColour(red), 5 * 3);
}

TEST_F(Blits, BeyondTheEdgeDrawsNothing) {
  blitAt(20, 0, source, destination);
  blitAt(0, 20, source, destination);
  EXPECT_EQ(countColour(red), 0);
  blitAt(15, 18, source, destination);
  EXPECT_EQ(countColour(red), 5 * 2);
}

TEST_F(Blits, PositionsWrapInTheRectanglesSixteenBits) {
  blitAt(65536 + 3, 0, source, destination);
  EXPECT_EQ(getPixel(destination, 3, 0), red);
  EXPECT_EQ(getPixel(destination, 2, 0), black);
}

TEST_F(Blits, RegionsCopyOnlyWhatLiesInsideTheSource) {
  SDL_Rect region = {6, 8, 10, 10};  // reaches past the source's 10x10
  blitRegionAt(1, 1, source, destination, &region);
  EXPECT_EQ(countColour(red), 4 * 2);
  EXPECT_EQ(getPixel(destination, 1, 1), red);
  EXPECT_EQ(getPixel(destination, 4, 2), red);
  EXPECT_EQ(getPixel(destination, 5, 1), black);
}

TEST_F(Blits, FreeingMembersFreeEvenWhenNothingShows) {
  // An extra reference keeps the surface alive so the release can be observed.
  source->refcount = 3;
  blitAtAndFree(100, 100, source, destination);
  EXPECT_EQ(source->refcount, 2);
  SDL_Rect region = {0, 0, 2, 2};
  blitRegionAtAndFree(-50, 0, source, destination, &region);
  EXPECT_EQ(source->refcount, 1);
  EXPECT_EQ(countColour(red), 0);
}

TEST_F(Blits, FillsClipAndUseTheLowEightBitsOfEachChannel) {
  fillRectRGB(destination, 3, 3, 0, 5, 255, 0, 0);
  fillRectRGB(destination, 3, 3, 5, 0, 255, 0, 0);
  EXPECT_EQ(countColour(red), 0);

  fillRectRGB(destination, 17, -2, 10, 4, 256 + 255, 256, 512 + 44);
  EXPECT_EQ(countColour(SDL_MapRGB(destination->format, 255, 0, 44)), 3 * 2);
}

TEST_F(Blits, FillsMapThroughTheFilledSurfacesOwnFormat) {
  SDL_Surface* wide = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 32, 0xFF0000, 0xFF00, 0xFF, 0);
  fillRectRGB(wide, 0, 0, 4, 4, 10, 20, 30);
  EXPECT_EQ(getPixel(wide, 3, 3), 0x0A141Eu);
  SDL_FreeSurface(wide);
}

TEST_F(Blits, SurfaceAlphaUsesTheLowEightBits) {
  setSurfaceAlpha(source, 175);
  EXPECT_EQ(source->format->alpha, 175);
  EXPECT_TRUE(source->flags & SDL_SRCALPHA);
  // Only the classic library shows that run-length acceleration was asked for.
  if (!onCompatLibrary()) {
    EXPECT_TRUE(source->flags & SDL_RLEACCELOK);
  }
  setSurfaceAlpha(source, 256);
  EXPECT_EQ(source->format->alpha, 0);
}
