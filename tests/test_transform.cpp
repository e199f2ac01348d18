#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "gfx/surface.h"
#include "gfx/transform.h"
#include "support/testPlatform.h"

namespace {
const Uint32 untouched = 0xABCDEF;
const Uint32 key = 0x00FF00FF;

using Grid = std::vector<std::vector<Uint32>>;  // [y][x]

Grid readGrid(SDL_Surface* surface) {
  Grid grid(surface->h, std::vector<Uint32>(surface->w));
  lockSurface(surface);
  for (int y = 0; y < surface->h; ++y) {
    for (int x = 0; x < surface->w; ++x) grid[y][x] = getPixel(surface, x, y);
  }
  unlockSurface(surface);
  return grid;
}

Grid filled(int w, int h, Uint32 value) {
  return Grid(h, std::vector<Uint32>(w, value));
}

// Every pixel a value of its own, 1 + x + 100 y, so a misplaced pixel shows where it came from.
Grid numbered(int w, int h) {
  Grid grid = filled(w, h, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) grid[y][x] = 1 + x + 100 * y;
  }
  return grid;
}

SDL_Surface* surfaceWith(const Grid& grid, int bpp = 32) {
  SDL_Surface* surface = makeSurface(static_cast<int>(grid[0].size()), grid.size(), bpp);
  for (int y = 0; y < surface->h; ++y) {
    for (int x = 0; x < surface->w; ++x) putPixel(surface, x, y, grid[y][x]);
  }
  return surface;
}

// A colour-keyed surface with run-length acceleration, blitted once so the library has encoded
// it: its pixels are only reachable under a lock from then on.
SDL_Surface* encodedSurfaceWith(const Grid& grid) {
  SDL_Surface* surface = surfaceWith(grid);
  SDL_SetColorKey(surface, SDL_SRCCOLORKEY | SDL_RLEACCEL, key);
  SDL_Surface* scratch = makeSurface(surface->w, surface->h, 32);
  SDL_BlitSurface(surface, nullptr, scratch, nullptr);
  SDL_FreeSurface(scratch);
  return surface;
}

struct Surfaces {
  SDL_Surface* source;
  SDL_Surface* destination;
  ~Surfaces() {
    SDL_FreeSurface(source);
    SDL_FreeSurface(destination);
  }
};
}  // namespace

TEST(TransformMirror, TwiceRestoresOnceMirrors) {
  const Grid original = numbered(5, 3);
  SDL_Surface* surface = surfaceWith(original, 16);
  flipHorizontal(surface);
  const Grid once = readGrid(surface);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(once[y][x], original[y][4 - x]) << x << "," << y;
  }
  flipHorizontal(surface);
  EXPECT_EQ(readGrid(surface), original);
  SDL_FreeSurface(surface);

  SDL_Surface* narrow = surfaceWith(numbered(1, 4), 24);
  flipHorizontal(narrow);
  EXPECT_EQ(readGrid(narrow), numbered(1, 4));
  SDL_FreeSurface(narrow);
}

TEST(TransformMirror, WorksOnAnEncodedSurface) {
  if (onCompatLibrary()) GTEST_SKIP() << "encoded surfaces need no lock on this library";
  const Grid original = numbered(6, 2);
  SDL_Surface* surface = encodedSurfaceWith(original);
  ASSERT_TRUE(surface->flags & SDL_RLEACCEL);
  ASSERT_EQ(surface->pixels, nullptr) << "the surface must need its lock for this test to count";
  flipHorizontal(surface);
  const Grid mirrored = readGrid(surface);
  EXPECT_EQ(mirrored[0], (std::vector<Uint32>{6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(mirrored[1], (std::vector<Uint32>{106, 105, 104, 103, 102, 101}));
  SDL_FreeSurface(surface);
}

TEST(TransformRotate, AngleZeroCopiesTheSource) {
  const Grid source = numbered(7, 5);
  for (bool radians : {false, true}) {
    Surfaces s{surfaceWith(source), surfaceWith(filled(7, 5, untouched))};
    if (radians) {
      drawRotatedRad(0, 0, 3, 2, 0.0f, s.source, s.destination);
    } else {
      drawRotated(0, 0, 3, 2, 0, s.source, s.destination);
    }
    EXPECT_EQ(readGrid(s.destination), source) << (radians ? "radians" : "degrees");
  }
}

TEST(TransformRotate, KeyedMembersLeaveTheDestinationUnderKeyPixels) {
  Grid source = numbered(4, 3);
  source[0][0] = key;
  source[1][2] = key;
  source[2][3] = key;
  Grid expected = source;
  expected[0][0] = expected[1][2] = expected[2][3] = untouched;
  for (bool radians : {false, true}) {
    Surfaces s{surfaceWith(source), surfaceWith(filled(4, 3, untouched))};
    if (radians) {
      drawRotatedKeyedRad(0, 0, 1, 1, 0.0f, s.source, s.destination, key);
    } else {
      drawRotatedKeyed(0, 0, 1, 1, 0, s.source, s.destination, key);
    }
    EXPECT_EQ(readGrid(s.destination), expected) << (radians ? "radians" : "degrees");
  }
}

TEST(TransformRotate, QuarterTurnOfTwentyByTwentyIsInexact) {
  // With pi taken as 3.1415, 90 degrees leaves cos at about +4.6e-5 while sin rounds to 1 in
  // single precision. Each landing coordinate is then the exact quarter turn plus 4.6e-5 times
  // the other offset: a negative offset pulls it a hair below a whole number and truncation
  // takes it one lower, except just above 0, where truncation toward zero keeps 0.
  const int size = 20, pivot = 10;
  const Grid source = numbered(size, size);
  Grid expected = filled(24, 24, untouched);
  int displaced = 0;
  for (int i = 0; i < size; ++i) {
    for (int j = 0; j < size; ++j) {
      const int dx = j - pivot, dy = i - pivot;
      const int exactX = pivot - dy, exactY = pivot + dx;
      const int x = exactX - (dx < 0 ? 1 : 0);
      const int y = exactY == 0 ? 0 : exactY - (dy < 0 ? 1 : 0);
      if (x != exactX || y != exactY) ++displaced;
      expected[y][x] = source[i][j];  // later source pixels overwrite earlier ones
    }
  }
  ASSERT_GT(displaced, 200);

  Surfaces s{surfaceWith(source), surfaceWith(filled(24, 24, untouched))};
  drawRotated(0, 0, pivot, pivot, 90, s.source, s.destination);
  const Grid turned = readGrid(s.destination);
  EXPECT_EQ(turned, expected);

  // The same angle given in radians lands every pixel identically; the true quarter turn does
  // not.
  Surfaces r{surfaceWith(source), surfaceWith(filled(24, 24, untouched))};
  drawRotatedRad(0, 0, pivot, pivot, static_cast<float>(90 * 3.1415 / 180), r.source,
                 r.destination);
  EXPECT_EQ(readGrid(r.destination), turned);
  Surfaces t{surfaceWith(source), surfaceWith(filled(24, 24, untouched))};
  drawRotatedRad(0, 0, pivot, pivot, static_cast<float>(M_PI / 2), t.source, t.destination);
  EXPECT_NE(readGrid(t.destination), turned);
}

TEST(TransformRotate, LandingSpotsTruncateTheWholeSum) {
  // A half turn about (0, 0) placed at (10, 10): source (0, 1) turns to about (-0.0001, -1), so
  // it lands at (9, 9); adding 10 after truncating would have put it at (10, 9).
  Surfaces s{surfaceWith(numbered(3, 3)), surfaceWith(filled(20, 20, untouched))};
  drawRotated(10, 10, 0, 0, 180, s.source, s.destination);
  const Grid half = readGrid(s.destination);
  EXPECT_EQ(half[10][10], 1u);
  EXPECT_EQ(half[9][9], 101u);
  EXPECT_EQ(half[9][10], untouched);

  // Three quarters about (0, 0) at (0, 0) turns column 0 onto row 0 a hair above it
  // (y about -0.00014 i); truncation toward zero keeps it there rather than dropping it.
  Surfaces q{surfaceWith(numbered(1, 5)), surfaceWith(filled(5, 5, untouched))};
  drawRotated(0, 0, 0, 0, 270, q.source, q.destination);
  EXPECT_EQ(readGrid(q.destination)[0], (std::vector<Uint32>{1, 101, 201, 301, 401}));
}

TEST(TransformRotate, LaterSourcePixelWins) {
  // At 37 degrees the pivot's right-hand neighbour turns to about (0.80, 0.60) and so shares the
  // pivot's landing pixel; at -37 degrees the neighbour below does, at about (0.60, 0.80). Both
  // come later in row order and stay.
  Surfaces right{surfaceWith(numbered(6, 5)), surfaceWith(filled(20, 20, untouched))};
  drawRotated(5, 6, 3, 2, 37, right.source, right.destination);
  EXPECT_EQ(readGrid(right.destination)[6 + 2][5 + 3], 1u + 4 + 200);

  Surfaces below{surfaceWith(numbered(6, 5)), surfaceWith(filled(20, 20, untouched))};
  drawRotated(5, 6, 3, 2, -37, below.source, below.destination);
  EXPECT_EQ(readGrid(below.destination)[6 + 2][5 + 3], 1u + 3 + 300);
}

TEST(TransformRotate, WorksOnEncodedSurfaces) {
  if (onCompatLibrary()) GTEST_SKIP() << "encoded surfaces need no lock on this library";
  const Grid source = numbered(5, 4);
  Surfaces s{encodedSurfaceWith(source), encodedSurfaceWith(filled(5, 4, untouched))};
  ASSERT_EQ(s.source->pixels, nullptr);
  ASSERT_EQ(s.destination->pixels, nullptr);
  drawRotated(0, 0, 2, 2, 0, s.source, s.destination);
  EXPECT_EQ(readGrid(s.destination), source);
}
