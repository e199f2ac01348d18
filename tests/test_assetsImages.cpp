#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/loaders.h"
#include "support/testPlatform.h"

#if defined(ORBITRA_HAS_ASSETGEN)
#include "blockFont.h"
#include "dither.h"
#endif

namespace {

struct Pixel {
  int r, g, b;
  bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
};

const Pixel magenta{255, 0, 255};

// The committed image as its file holds it, before any conversion.
class SourceImage {
 public:
  explicit SourceImage(const char* name) {
    const std::string path = std::string(ORBITRA_SOURCE_DIR "/res/") + name;
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded) return;
    SDL_PixelFormat rgb{};
    rgb.BitsPerPixel = 32, rgb.BytesPerPixel = 4;
    rgb.Rmask = 0xFF0000, rgb.Gmask = 0xFF00, rgb.Bmask = 0xFF;
    rgb.Rshift = 16, rgb.Gshift = 8, rgb.Bshift = 0;
    SDL_Surface* plain = SDL_ConvertSurface(loaded, &rgb, SDL_SWSURFACE);
    SDL_FreeSurface(loaded);
    width = plain->w, height = plain->h;
    for (int y = 0; y < height; ++y) {
      const Uint32* row =
          reinterpret_cast<const Uint32*>(static_cast<Uint8*>(plain->pixels) + y * plain->pitch);
      for (int x = 0; x < width; ++x) {
        pixels.push_back({int(row[x] >> 16 & 0xFF), int(row[x] >> 8 & 0xFF), int(row[x] & 0xFF)});
      }
    }
    SDL_FreeSurface(plain);
  }
  Pixel at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  int width = 0, height = 0;
  std::vector<Pixel> pixels;
};

int luminance(const Pixel& p) {
  return (299 * p.r + 587 * p.g + 114 * p.b) / 1000;
}

// Counts pixels of a keyed display surface that the colour key hides.
int keyedPixels(SDL_Surface* surface) {
  SDL_LockSurface(surface);
  int count = 0;
  for (int y = 0; y < surface->h; ++y) {
    const Uint16* row =
        reinterpret_cast<const Uint16*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
    for (int x = 0; x < surface->w; ++x) count += row[x] == surface->format->colorkey;
  }
  SDL_UnlockSurface(surface);
  return count;
}

}  // namespace

class AssetImages : public ::testing::Test {
 protected:
  void SetUp() override { startPlatform(); }
};

TEST_F(AssetImages, SizesSuitTheLayout) {
  const SourceImage back("back.dat"), logo("logo.dat"), green("gsball.dat"), red("rball.dat");
  // The panning window reaches columns 5..635 and rows 2..477.
  EXPECT_GE(back.width, 636);
  EXPECT_GE(back.height, 478);
  EXPECT_EQ(logo.width, 160);
  EXPECT_EQ(logo.height, 40);
  // Up to 251 green balls ride the chain; the red one bounces alone.
  EXPECT_GE(green.width, 12);
  EXPECT_LE(green.width, 20);
  EXPECT_EQ(green.width, green.height);
  EXPECT_GE(red.width, 40);
  EXPECT_LE(red.width, 64);
  EXPECT_EQ(red.width, red.height);
}

// At 16 bits every colour that rounds to the key's 0xF81F vanishes too; only the true
// background may, and the ball must keep a clear distance from magenta.
TEST_F(AssetImages, BallsLoseOnlyTheirBackgroundToTheColourKey) {
  for (const char* name : {"gsball.dat", "rball.dat"}) {
    const SourceImage source(name);
    ASSERT_GT(source.width, 0) << name;
    const int magentaCount =
        static_cast<int>(std::count(source.pixels.begin(), source.pixels.end(), magenta));
    int nearest = 255;
    for (const Pixel& p : source.pixels) {
      if (p == magenta) continue;
      nearest = std::min(nearest, std::max({255 - p.r, p.g, 255 - p.b}));
    }
    EXPECT_GE(nearest, 64) << name << " has a pixel close to the key colour";

    const std::string path = std::string(ORBITRA_SOURCE_DIR "/res/") + name;
    SDL_Surface* keyed = loadImageKeyed(path.c_str(), 255, 0, 255);
    ASSERT_NE(keyed, nullptr);
    EXPECT_EQ(keyed->format->colorkey, 0xF81Fu);
    EXPECT_EQ(keyedPixels(keyed), magentaCount) << name;
    SDL_FreeSurface(keyed);
  }
}

// A ball is a solid disc: each row is one centred run of ball pixels, widest in the middle,
// with the corners transparent, so no hole or stray speck shows on screen.
TEST_F(AssetImages, BallsAreSolidCentredDiscs) {
  for (const char* name : {"gsball.dat", "rball.dat"}) {
    const SourceImage ball(name);
    ASSERT_GT(ball.width, 0) << name;
    int widest = 0;
    for (int y = 0; y < ball.height; ++y) {
      int first = -1, last = -1, count = 0;
      for (int x = 0; x < ball.width; ++x) {
        if (ball.at(x, y) == magenta) continue;
        if (first < 0) first = x;
        last = x, ++count;
      }
      ASSERT_GT(count, 0) << name << " row " << y << " is empty";
      EXPECT_EQ(count, last - first + 1) << name << " row " << y << " has a hole";
      EXPECT_EQ(first, ball.width - 1 - last) << name << " row " << y << " is off centre";
      widest = std::max(widest, count);
    }
    EXPECT_EQ(widest, ball.width) << name;
    EXPECT_EQ(ball.at(0, 0), magenta) << name;
    EXPECT_EQ(ball.at(ball.width - 1, ball.height - 1), magenta) << name;
  }
}

// The balls are shaded: lit from the upper left, darker towards the lower right.
TEST_F(AssetImages, BallsAreLitFromTheUpperLeft) {
  for (const char* name : {"gsball.dat", "rball.dat"}) {
    const SourceImage ball(name);
    ASSERT_GT(ball.width, 0) << name;
    const int q = ball.width / 4;
    EXPECT_GT(luminance(ball.at(q + 1, q + 1)), luminance(ball.at(3 * q, 3 * q)) + 40) << name;
  }
}

// Dark and calm, so the pink text, the balls and the logo stay readable on top; never pure
// black, since the reflection floor passes black pixels over.
TEST_F(AssetImages, BackgroundIsDarkCalmAndNeverBlack) {
  const SourceImage back("back.dat");
  ASSERT_GT(back.width, 0);
  std::vector<int> levels;
  long sum = 0;
  int black = 0;
  for (const Pixel& p : back.pixels) {
    black += p.r == 0 && p.g == 0 && p.b == 0;
    levels.push_back(luminance(p));
    sum += levels.back();
  }
  EXPECT_EQ(black, 0);
  std::sort(levels.begin(), levels.end());
  EXPECT_LT(sum / static_cast<long>(levels.size()), 50);
  EXPECT_LT(levels[levels.size() * 99 / 100], 110) << "too many bright pixels";
  EXPECT_GT(levels.back(), 150) << "no stars";
}

TEST_F(AssetImages, IntroLoadersAcceptEveryImage) {
  for (const char* name : {"logo.dat", "back.dat"}) {
    const std::string path = std::string(ORBITRA_SOURCE_DIR "/res/") + name;
    SDL_Surface* image = loadImage(path.c_str());
    ASSERT_NE(image, nullptr) << name;
    EXPECT_EQ(image->format->BitsPerPixel, 16);
    SDL_FreeSurface(image);
  }
}

#if defined(ORBITRA_HAS_ASSETGEN)
// Each title letter needs a glyph of nine equal rows, drawn only with '#' and '.'.
TEST(AssetLogo, EveryTitleLetterHasAWellFormedGlyph) {
  for (char letter : std::string("ORBITRA")) {
    const BlockGlyph& glyph = blockGlyph(letter);
    ASSERT_EQ(glyph.rows.size(), static_cast<size_t>(blockGlyphRows)) << letter;
    ASSERT_GT(glyph.width(), 0) << letter;
    for (const std::string& row : glyph.rows) {
      EXPECT_EQ(static_cast<int>(row.size()), glyph.width()) << letter;
      EXPECT_EQ(row.find_first_not_of("#."), std::string::npos) << letter;
    }
  }
  EXPECT_EQ(blockGlyph('Q').width(), 0);
}

// Dithered colours survive the conversion to 16 bits unchanged, and an area keeps its mean
// brightness, so gradients neither band nor shift.
TEST(AssetDither, LevelsAreExactAt16BitsAndKeepTheMean) {
  RgbImage image(64, 64, Rgb{0, 0, 0});
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) image.set(x, y, Rgb{13, 37, 101});
  }
  ditherTo565(image);
  double sums[3] = {0, 0, 0};
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const Rgb c = image.get(x, y);
      EXPECT_EQ(c.r, (c.r >> 3 << 3) | (c.r >> 5));
      EXPECT_EQ(c.g, (c.g >> 2 << 2) | (c.g >> 6));
      EXPECT_EQ(c.b, (c.b >> 3 << 3) | (c.b >> 5));
      sums[0] += c.r, sums[1] += c.g, sums[2] += c.b;
    }
  }
  EXPECT_NEAR(sums[0] / 4096, 13, 1.0);
  EXPECT_NEAR(sums[1] / 4096, 37, 1.0);
  EXPECT_NEAR(sums[2] / 4096, 101, 1.0);
}
#endif
