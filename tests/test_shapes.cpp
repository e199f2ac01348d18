#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "gfx/shapes.h"
#include "gfx/surface.h"
#include "support/testPlatform.h"

namespace {
using Point = std::pair<int, int>;
using PointSet = std::set<Point>;

const Uint32 ink = 7;

SDL_Rect rect(int x, int y, int w, int h) {
  SDL_Rect r;
  r.x = static_cast<Sint16>(x);
  r.y = static_cast<Sint16>(y);
  r.w = static_cast<Uint16>(w);
  r.h = static_cast<Uint16>(h);
  return r;
}

// Every pixel that differs from 0, as (x, y).
PointSet drawnPoints(SDL_Surface* surface) {
  PointSet points;
  lockSurface(surface);
  for (int y = 0; y < surface->h; ++y) {
    for (int x = 0; x < surface->w; ++x) {
      if (getPixel(surface, x, y) != 0) points.insert({x, y});
    }
  }
  unlockSurface(surface);
  return points;
}

// Draws with the lock held, as the shapes expect, and hands back what was drawn.
template <typename Draw>
PointSet drawOn(int w, int h, Draw draw, int bpp = 8) {
  SDL_Surface* surface = makeSurface(w, h, bpp);
  lockSurface(surface);
  draw(surface);
  unlockSurface(surface);
  PointSet points = drawnPoints(surface);
  SDL_FreeSurface(surface);
  return points;
}

PointSet lineOn(int x0, int y0, int x1, int y1) {
  return drawOn(32, 32, [&](SDL_Surface* s) { drawLine(s, x0, y0, x1, y1, ink); });
}

PointSet discOn(int size) {
  return drawOn(16, 16, [&](SDL_Surface* s) { fillDisc(s, 2, 3, size, ink); });
}

PointSet square(int x0, int y0, int x1, int y1) {
  PointSet points;
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) points.insert({x, y});
  }
  return points;
}

PointSet column(const PointSet& points, int x) {
  PointSet rows;
  for (const Point& p : points) {
    if (p.first == x) rows.insert({0, p.second});
  }
  return rows;
}

PointSet row(const PointSet& points, int y) {
  PointSet columns;
  for (const Point& p : points) {
    if (p.second == y) columns.insert({p.first, 0});
  }
  return columns;
}

PointSet unite(const PointSet& a, const PointSet& b) {
  PointSet all = a;
  all.insert(b.begin(), b.end());
  return all;
}
}  // namespace

TEST(ShapesOverlap, EdgesAndDegenerateRectangles) {
  const SDL_Rect box = rect(0, 0, 10, 10);
  EXPECT_EQ(rectsOverlap(box, rect(10, 0, 10, 10)), 0) << "touching on the right";
  EXPECT_EQ(rectsOverlap(box, rect(0, 10, 10, 10)), 0) << "touching below";
  EXPECT_EQ(rectsOverlap(rect(-10, 0, 10, 10), box), 0) << "touching on the left";
  EXPECT_EQ(rectsOverlap(box, rect(9, 9, 10, 10)), 1) << "one shared corner pixel";
  EXPECT_EQ(rectsOverlap(rect(9, 9, 10, 10), box), 1);
  EXPECT_EQ(rectsOverlap(box, rect(2, 2, 3, 3)), 1) << "one inside the other";
  EXPECT_EQ(rectsOverlap(box, rect(5, 5, 0, 0)), 1) << "only the four edge tests are made";
  EXPECT_EQ(rectsOverlap(box, rect(20, 20, 5, 5)), 0);
  // 32000 + 2000 is past the 16-bit range, where the right edge would turn negative.
  EXPECT_EQ(rectsOverlap(rect(32000, 0, 2000, 10), rect(32767, 0, 1, 10)), 1);
}

TEST(ShapesLine, ShortAndAxisLines) {
  EXPECT_EQ(lineOn(5, 6, 5, 6), (PointSet{{5, 6}})) << "a point to itself";
  EXPECT_EQ(lineOn(3, 2, 3, 9), square(3, 2, 3, 9)) << "vertical, every row";
  EXPECT_EQ(lineOn(3, 9, 3, 2), square(3, 2, 3, 9)) << "vertical, upwards";
  EXPECT_EQ(lineOn(8, 4, 1, 4), square(1, 4, 8, 4)) << "horizontal, leftwards";
  EXPECT_EQ(lineOn(0, 0, 4, 4), (PointSet{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}));
}

TEST(ShapesLine, StrictErrorComparisonChoosesThePixels) {
  // A tie in the error term keeps the minor coordinate where it is, so the line depends on
  // its direction.
  EXPECT_EQ(lineOn(0, 0, 4, 1), (PointSet{{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}}));
  EXPECT_EQ(lineOn(4, 1, 0, 0), (PointSet{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}}));
  EXPECT_EQ(lineOn(0, 0, 1, 4), (PointSet{{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}}));
}

TEST(ShapesLine, EveryLineIsAnEightConnectedRunBetweenItsEnds) {
  std::mt19937 random(2007);
  std::uniform_int_distribution<int> coordinate(0, 31);
  for (int n = 0; n < 400; ++n) {
    const int x0 = coordinate(random), y0 = coordinate(random);
    const int x1 = coordinate(random), y1 = coordinate(random);
    SCOPED_TRACE(testing::Message()
                 << "(" << x0 << ", " << y0 << ") to (" << x1 << ", " << y1 << ")");
    const PointSet line = lineOn(x0, y0, x1, y1);
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const bool shallow = dy < dx;
    ASSERT_EQ(line.size(), static_cast<size_t>(std::max(dx, dy) + 1));
    EXPECT_TRUE(line.count({x0, y0}));
    EXPECT_TRUE(line.count({x1, y1}));
    // One pixel per step along the major axis, each within a pixel of the true line and at
    // most one step across from its predecessor.
    std::vector<Point> ordered(line.begin(), line.end());
    if (!shallow) {
      for (Point& p : ordered) std::swap(p.first, p.second);
      std::sort(ordered.begin(), ordered.end());
    }
    const int major0 = shallow ? x0 : y0, minor0 = shallow ? y0 : x0;
    const int major1 = shallow ? x1 : y1, minor1 = shallow ? y1 : x1;
    for (size_t k = 0; k < ordered.size(); ++k) {
      EXPECT_EQ(ordered[k].first, std::min(major0, major1) + static_cast<int>(k));
      if (k > 0) {
        EXPECT_LE(std::abs(ordered[k].second - ordered[k - 1].second), 1);
      }
      if (major0 != major1) {
        const double ideal = minor0 + static_cast<double>(minor1 - minor0) *
                                          (ordered[k].first - major0) / (major1 - major0);
        EXPECT_LT(std::abs(ordered[k].second - ideal), 1.0);
      }
    }
  }
}

TEST(ShapesDisc, SmallSizes) {
  EXPECT_TRUE(discOn(-3).empty());
  EXPECT_TRUE(discOn(0).empty());
  EXPECT_TRUE(discOn(1).empty());
  EXPECT_EQ(discOn(2), (PointSet{{3, 4}}));
  EXPECT_EQ(discOn(3), (PointSet{{3, 4}}));
  EXPECT_EQ(discOn(4), square(3, 4, 5, 6));
  EXPECT_EQ(discOn(5), square(3, 4, 5, 6));
}

TEST(ShapesDisc, StrictTestAndTheBoxEdges) {
  // Size 10: the points strictly within distance 5 of box offset (5, 5), which by hand is
  // 9 + 2 * (9 + 9 + 7 + 5) = 69 pixels, none in row or column 0 of the box.
  const PointSet disc = discOn(10);
  EXPECT_EQ(disc.size(), 69u);
  for (const Point& p : disc) {
    EXPECT_GT(p.first, 2);
    EXPECT_GT(p.second, 3);
  }
  EXPECT_TRUE(disc.count({2 + 9, 3 + 5})) << "distance 4 on the axis is inside";
  EXPECT_TRUE(disc.count({2 + 8, 3 + 8})) << "9 + 9 is below 25";
  EXPECT_FALSE(disc.count({2 + 9, 3 + 8})) << "16 + 9 is not below 25";
}

TEST(ShapesCircle, RadiusZeroIsTheCentre) {
  EXPECT_EQ(drawOn(8, 8, [](SDL_Surface* s) { drawCircle(s, 3, 4, 0, ink); }), (PointSet{{3, 4}}));
}

TEST(ShapesCircle, PlotsTwelveHundredAndEightyPoints) {
  // At radius 1000 the points lie 5 pixels apart and the ones past a full turn fall between
  // the first ones, so every point gets a pixel of its own.
  const PointSet outline =
      drawOn(2004, 2004, [](SDL_Surface* s) { drawCircle(s, 1001, 1001, 1000, ink); });
  EXPECT_EQ(outline.size(), 1280u);
}

TEST(ShapesCircle, TruncatesTowardZeroNearTheEdges) {
  // Centres 4 pixels beyond the left and the top edge, and one well inside for comparison.
  const PointSet inside = drawOn(24, 24, [](SDL_Surface* s) { drawCircle(s, 10, 10, 5, ink); });
  const PointSet left = drawOn(24, 24, [](SDL_Surface* s) { drawCircle(s, -4, 10, 5, ink); });
  const PointSet top = drawOn(24, 24, [](SDL_Surface* s) { drawCircle(s, 10, -4, 5, ink); });

  // Positions between -1 and 0 become 0, so the edge column gathers offsets 3 to 5 from the
  // centre, which the inside circle spreads over its columns 13, 14 and 15. Rounding down would
  // drop offsets below 4 and with them the rows of column 13.
  const PointSet fromThreeToFive =
      unite(column(inside, 13), unite(column(inside, 14), column(inside, 15)));
  ASSERT_NE(fromThreeToFive, unite(column(inside, 14), column(inside, 15)));
  EXPECT_EQ(column(left, 0), fromThreeToFive);
  EXPECT_EQ(column(left, 1), column(inside, 15));
  EXPECT_EQ(row(top, 0), unite(row(inside, 13), unite(row(inside, 14), row(inside, 15))));

  // The rest lies off the surface and is dropped; nothing wraps round to the far side.
  for (const Point& p : left) EXPECT_LE(p.first, 1);
  for (const Point& p : top) EXPECT_LE(p.second, 1);
}

TEST(ShapesRandom, StaysInRangeAndReachesEveryValue) {
  std::set<int> seen;
  for (int n = 0; n < 2000; ++n) {
    const int value = randomInRange(-3, 7);
    ASSERT_GE(value, -3);
    ASSERT_LE(value, 3);
    seen.insert(value);
  }
  EXPECT_EQ(seen.size(), 7u);
  EXPECT_EQ(randomInRange(42, 1), 42);
}

TEST(ShapesRandom, FollowsTheRuntimeSequenceWithoutReseeding) {
  std::srand(99);
  std::vector<int> expected;
  for (int n = 0; n < 5; ++n) expected.push_back(10 + std::rand() % 1000);
  std::srand(99);
  for (int n = 0; n < 5; ++n) EXPECT_EQ(randomInRange(10, 1000), expected[n]);
}

TEST(ShapesDeathTest, RandomWithCountZeroStopsADebugBuild) {
#ifdef NDEBUG
  GTEST_SKIP() << "assertions are compiled out in this build type, so count 0 is not caught";
#else
  EXPECT_DEATH(randomInRange(5, 0), "count other than 0");
#endif
}
