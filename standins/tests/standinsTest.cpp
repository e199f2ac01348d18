// The browser and Windows builds' image and text stand-ins against the real libraries, on the
// desktop: every surface must match in size, format, colour key, palette and every visible byte.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scene/scrollMessage.h"
#include "standins/include/SDL_image.h"
#include "standins/include/SDL_ttf.h"

namespace {
const std::string root = ORBITRA_SOURCE_DIR;

// A folder of this process's own for the PNGs it writes (others may run the same test at
// once), removed when the process ends.
const std::string& scratch() {
  // Never destroyed, so the exit handler still finds it.
  static const std::string& folder = *[] {
    std::string pattern = ::testing::TempDir() + "standins-XXXXXX";
    auto* made = new std::string(std::string(mkdtemp(pattern.data())) + "/");
    std::atexit([] { std::filesystem::remove_all(scratch()); });
    return made;
  }();
  return folder;
}

// Empty when equal, otherwise the first difference found. Two failures are equal only where
// failure is what the real library does.
std::string differences(SDL_Surface* real, SDL_Surface* standin, bool bothMayFail = false) {
  if (real == nullptr || standin == nullptr) {
    if (real == standin) return bothMayFail ? "" : "both failed: " + std::string(SDL_GetError());
    return std::string(real ? "the stand-in" : "the real library") + " failed: " + SDL_GetError();
  }
  const SDL_PixelFormat& a = *real->format;
  const SDL_PixelFormat& b = *standin->format;
  auto field = [](const char* name, long x, long y) {
    return x == y ? std::string()
                  : std::string(name) + " " + std::to_string(x) + " vs " + std::to_string(y);
  };
  const std::string shape[] = {
      field("w", real->w, standin->w),
      field("h", real->h, standin->h),
      field("pitch", real->pitch, standin->pitch),
      field("flags", real->flags, standin->flags),
      field("bpp", a.BitsPerPixel, b.BitsPerPixel),
      field("Rmask", a.Rmask, b.Rmask),
      field("Gmask", a.Gmask, b.Gmask),
      field("Bmask", a.Bmask, b.Bmask),
      field("Amask", a.Amask, b.Amask),
      field("colorkey", a.colorkey, b.colorkey),
      field("alpha", a.alpha, b.alpha),
      field("palette", a.palette != nullptr, b.palette != nullptr),
  };
  for (const std::string& d : shape) {
    if (!d.empty()) return d;
  }
  if (a.palette != nullptr) {
    if (a.palette->ncolors != b.palette->ncolors) {
      return field("ncolors", a.palette->ncolors, b.palette->ncolors);
    }
    for (int i = 0; i < a.palette->ncolors; ++i) {
      const SDL_Color& x = a.palette->colors[i];
      const SDL_Color& y = b.palette->colors[i];
      if (x.r != y.r || x.g != y.g || x.b != y.b) return "palette entry " + std::to_string(i);
    }
  }
  const int rowBytes = real->w * a.BytesPerPixel;
  for (int y = 0; y < real->h; ++y) {
    const Uint8* p = static_cast<const Uint8*>(real->pixels) + y * real->pitch;
    const Uint8* q = static_cast<const Uint8*>(standin->pixels) + y * standin->pitch;
    for (int x = 0; x < rowBytes; ++x) {
      if (p[x] != q[x]) {
        return "byte " + std::to_string(x) + " of row " + std::to_string(y) + ": " +
               std::to_string(p[x]) + " vs " + std::to_string(q[x]);
      }
    }
  }
  return "";
}

void expectSameImage(const std::string& path) {
  SDL_Surface* real = IMG_Load(path.c_str());
  SDL_Surface* standin = standin_IMG_Load(path.c_str());
  EXPECT_EQ(differences(real, standin), "") << path;
  if (real != nullptr) SDL_FreeSurface(real);
  if (standin != nullptr) SDL_FreeSurface(standin);
}

// A PNG of the given layout with a varied pattern, an optional tRNS chunk and interlacing.
std::string writePng(const std::string& name, int colourType, int depth,
                     const std::vector<png_byte>& alphas = {}, bool transparentColour = false,
                     bool interlaced = false) {
  const std::string path = scratch() + name + ".png";
  FILE* file = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  const int w = 13, h = 7;
  png_set_IHDR(png, info, w, h, depth, colourType,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    for (int i = 0; i < (1 << depth); ++i) {
      palette.push_back(png_color{static_cast<png_byte>(i * 37),
                                  static_cast<png_byte>(255 - i * 11),
                                  static_cast<png_byte>(i * 5)});
    }
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  }
  png_color_16 colourKey{0, 9, 200, 31, 9};
  if (!alphas.empty() || transparentColour) {
    png_set_tRNS(png, info, alphas.empty() ? nullptr : alphas.data(),
                 static_cast<int>(alphas.size()), transparentColour ? &colourKey : nullptr);
  }
  png_write_info(png, info);
  png_set_packing(png);
  if (depth == 16) png_set_swap(png);
  const int channels = png_get_channels(png, info);
  const int bytes = depth == 16 ? 2 : 1;
  const int levels = depth >= 8 ? 256 : (1 << depth);
  std::vector<png_byte> row(w * channels * bytes);
  for (int pass = 0; pass < png_set_interlace_handling(png); ++pass) {
    for (int y = 0; y < h; ++y) {
      for (size_t i = 0; i < row.size(); ++i)
        row[i] = static_cast<png_byte>((i * 29 + y * 71) % levels);
      png_write_row(png, row.data());
    }
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  return path;
}

class StandinText : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(TTF_Init(), 0);
    ASSERT_EQ(standin_TTF_Init(), 0);
    const std::string font = root + "/res/bigFont.ttf";
    for (int size : {8, 12, 16, 18}) {
      real[size] = TTF_OpenFont(font.c_str(), size);
      standin[size] = standin_TTF_OpenFont(font.c_str(), size);
      ASSERT_NE(real[size], nullptr);
      ASSERT_NE(standin[size], nullptr);
    }
  }
  static void TearDownTestSuite() {
    for (TTF_Font* font : real) {
      if (font != nullptr) TTF_CloseFont(font);
    }
    TTF_Quit();
    standin_TTF_Quit();  // frees the stand-in's fonts
  }
  static std::string render(const std::string& text, int size = 18,
                            SDL_Color colour = {250, 150, 250, 0}) {
    SDL_Surface* a = TTF_RenderText_Solid(real[size], text.c_str(), colour);
    SDL_Surface* b = standin_TTF_RenderText_Solid(standin[size], text.c_str(), colour);
    const std::string result = differences(a, b, text.empty());
    if (a != nullptr) SDL_FreeSurface(a);
    if (b != nullptr) SDL_FreeSurface(b);
    return result;
  }
  static TTF_Font* real[25];
  static standin_TTF_Font* standin[25];
};
TTF_Font* StandinText::real[25];
standin_TTF_Font* StandinText::standin[25];
}  // namespace

TEST(StandinImage, IntroImagesLoadAsTheRealLibraryLoadsThem) {
  for (const char* name : {"back.dat", "logo.dat", "gsball.dat", "rball.dat"}) {
    expectSameImage(root + "/res/" + name);
  }
}

TEST(StandinImage, EveryPngLayoutLoadsAsTheRealLibraryLoadsIt) {
  expectSameImage(writePng("rgb8", PNG_COLOR_TYPE_RGB, 8));
  expectSameImage(writePng("rgb16-keyed", PNG_COLOR_TYPE_RGB, 16, {}, true));
  expectSameImage(writePng("rgb8-keyed-interlaced", PNG_COLOR_TYPE_RGB, 8, {}, true, true));
  expectSameImage(writePng("rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8));
  expectSameImage(writePng("rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16));
  expectSameImage(writePng("grey1", PNG_COLOR_TYPE_GRAY, 1));
  expectSameImage(writePng("grey4-keyed", PNG_COLOR_TYPE_GRAY, 4, {}, true));
  expectSameImage(writePng("grey8", PNG_COLOR_TYPE_GRAY, 8));
  expectSameImage(writePng("grey16", PNG_COLOR_TYPE_GRAY, 16));
  expectSameImage(writePng("grey-alpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8));
  expectSameImage(writePng("palette2", PNG_COLOR_TYPE_PALETTE, 2));
  expectSameImage(writePng("palette8", PNG_COLOR_TYPE_PALETTE, 8));
  // One fully clear entry becomes the key; a second clear or a half-clear entry means alpha.
  expectSameImage(writePng("palette4-one-clear", PNG_COLOR_TYPE_PALETTE, 4, {255, 255, 0, 255}));
  expectSameImage(writePng("palette4-two-clear", PNG_COLOR_TYPE_PALETTE, 4, {0, 255, 0}));
  expectSameImage(writePng("palette4-translucent", PNG_COLOR_TYPE_PALETTE, 4, {255, 128}));
  expectSameImage(writePng("palette4-opaque-trns", PNG_COLOR_TYPE_PALETTE, 4, {255, 255}));
}

// Each failure, and a load that works, leaves no file open.
TEST(StandinImage, MissingTruncatedAndForeignFilesFail) {
  const auto openFiles = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
  };
  const std::string whole = writePng("whole", PNG_COLOR_TYPE_RGB, 8);
  const std::string cut = scratch() + "cut.png";
  FILE* in = std::fopen(whole.c_str(), "rb");
  FILE* out = std::fopen(cut.c_str(), "wb");
  char buffer[60];
  std::fwrite(buffer, 1, std::fread(buffer, 1, sizeof buffer, in), out);
  std::fclose(in);
  std::fclose(out);
  const auto before = openFiles();
  EXPECT_EQ(standin_IMG_Load((root + "/res/no-such-file.png").c_str()), nullptr);
  EXPECT_EQ(standin_IMG_Load((root + "/res/zak.dat").c_str()), nullptr);
  EXPECT_EQ(standin_IMG_Load(cut.c_str()), nullptr);
  SDL_FreeSurface(standin_IMG_Load(whole.c_str()));
  EXPECT_EQ(openFiles(), before);
}

TEST_F(StandinText, TheScrollMessageRendersAsTheRealLibraryRendersIt) {
  EXPECT_EQ(render(scrollMessage), "");
  for (int size : {8, 12, 16}) EXPECT_EQ(render(scrollMessage, size), "") << size << " points";
  EXPECT_EQ(render(scrollMessage, 18, SDL_Color{0, 0, 0, 0}), "");
}

TEST_F(StandinText, EveryPrintableCharacterAloneAndInPairsRendersTheSame) {
  for (char a = ' '; a <= '~'; ++a) {
    ASSERT_EQ(render(std::string(1, a)), "") << "'" << a << "'";
    for (char b = ' '; b <= '~'; ++b) {
      ASSERT_EQ(render(std::string{a, b}), "") << "'" << a << b << "'";
    }
  }
}

TEST_F(StandinText, SpacesLatinOneAndEmptyTextRenderTheSame) {
  for (const char* text : {" ", "     ", "  x  ", "\xE9t\xE9 \xA9 \xFF", "a\tb"}) {
    EXPECT_EQ(render(text), "") << "'" << text << "'";
  }
  // The real library refuses text without width; so must the stand-in.
  EXPECT_EQ(standin_TTF_RenderText_Solid(standin[18], "", SDL_Color{255, 255, 255, 0}), nullptr);
  EXPECT_EQ(render(""), "");
}

TEST(StandinTextLibrary, FontsNeedTheLibraryAndAReadableFile) {
  EXPECT_EQ(standin_TTF_OpenFont((root + "/res/bigFont.ttf").c_str(), 18), nullptr);
  ASSERT_EQ(standin_TTF_Init(), 0);
  EXPECT_EQ(standin_TTF_OpenFont((root + "/res/missing.ttf").c_str(), 18), nullptr);
  EXPECT_EQ(standin_TTF_OpenFont((root + "/res/logo.dat").c_str(), 18), nullptr);
  EXPECT_NE(standin_TTF_OpenFont((root + "/res/bigFont.ttf").c_str(), 18), nullptr);
  standin_TTF_Quit();
}

// The intro's font is a pixel font: whole-pixel metrics, no kerning, nothing left of the pen.
// An outline font from the system reaches the stand-in's other paths (negative bearings at the
// start and mid-line, kerning, fractional metrics, descenders below the font's height).
TEST(StandinTextOutlineFonts, SystemFontsRenderAsTheRealLibraryRendersThem) {
  const std::string folder = "/usr/share/fonts/truetype/dejavu/";
  const std::vector<std::string> files = {"DejaVuSans.ttf", "DejaVuSerif-Italic.ttf"};
  if (!std::ifstream(folder + files[0])) GTEST_SKIP() << "fonts-dejavu-core is not installed";
  ASSERT_EQ(TTF_Init(), 0);
  ASSERT_EQ(standin_TTF_Init(), 0);
  const std::string tricky = "AVTajfy.,'W_|}g([Q";
  std::vector<std::string> texts = {scrollMessage + 800, "fjord jiffy AVAWAY Ty Wa", "_j", "j"};
  for (char c = ' '; c <= '~'; ++c) texts.emplace_back(1, c);
  for (char a : tricky) {
    for (char b : tricky) texts.push_back(std::string{a, b, 'x', b, a});
  }
  for (const std::string& file : files) {
    for (int size : {11, 18}) {
      TTF_Font* real = TTF_OpenFont((folder + file).c_str(), size);
      standin_TTF_Font* standin = standin_TTF_OpenFont((folder + file).c_str(), size);
      ASSERT_NE(real, nullptr);
      ASSERT_NE(standin, nullptr);
      for (const std::string& text : texts) {
        SDL_Surface* a = TTF_RenderText_Solid(real, text.c_str(), SDL_Color{1, 2, 3, 0});
        SDL_Surface* b = standin_TTF_RenderText_Solid(standin, text.c_str(), SDL_Color{1, 2, 3, 0});
        const std::string difference = differences(a, b);
        if (a != nullptr) SDL_FreeSurface(a);
        if (b != nullptr) SDL_FreeSurface(b);
        ASSERT_EQ(difference, "") << file << " " << size << " points, '" << text << "'";
      }
      TTF_CloseFont(real);
    }
  }
  TTF_Quit();
  standin_TTF_Quit();
}
