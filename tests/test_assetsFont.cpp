#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "scene/scrollMessage.h"
#include "support/testPlatform.h"

// SDL 1.2 refuses surfaces 16384 pixels wide or wider, and the scroller renders its whole
// message into one surface at 18 points; a taller line than 50 pixels is cut by the strip.
namespace {

constexpr int widestSurface = 16383;
constexpr int stripHeight = 50;
constexpr int messageLength = 1440;

class AssetFont : public ::testing::Test {
 protected:
  TTF_Font* font = nullptr;

  void SetUp() override {
    startPlatform();
    font = TTF_OpenFont(ORBITRA_SOURCE_DIR "/res/bigFont.ttf", 18);
    ASSERT_NE(font, nullptr) << TTF_GetError();
  }
  void TearDown() override {
    if (font) TTF_CloseFont(font);
  }

  void expectRendersInOneSurface(const char* text) {
    const SDL_Color pink = {250, 150, 250, 0};
    SDL_Surface* rendered = TTF_RenderText_Solid(font, text, pink);
    ASSERT_NE(rendered, nullptr) << "no surface for " << std::strlen(text) << " characters";
    EXPECT_LE(rendered->w, widestSurface);
    EXPECT_LE(rendered->h, stripHeight);
    SDL_FreeSurface(rendered);
  }
};

// Mostly upper case with some lower-case words, digits and punctuation, like a greeting.
std::string standInMessage() {
  const std::string sentence =
      "HELLO TO ALL SCENERS OUT THERE! THIS LITTLE INTRO (MADE IN 2007) says hi... "
      "GREETINGS FLY TO EVERY CODER, ARTIST AND MUSICIAN: KEEP ON ROCKING; WHO'S NEXT? ";
  std::string text(47, ' ');
  while (text.size() < messageLength) text += sentence;
  text.resize(messageLength);
  text.back() = '!';
  return text;
}

}  // namespace

TEST_F(AssetFont, StandInGreetingRendersNarrowEnough) {
  expectRendersInOneSurface(standInMessage().c_str());
}

TEST_F(AssetFont, TheIntrosOwnGreetingRendersNarrowEnough) {
  expectRendersInOneSurface(scrollMessage);
}

// Any 1440 characters fit when no glyph the message may use is wider than 16383 / 1440
// pixels, and every one of them is in the font (a missing glyph would show as a box).
TEST_F(AssetFont, EveryMessageCharacterIsPresentAndNarrow) {
  for (int c = 32; c <= 122; ++c) {
    int minX, maxX, minY, maxY, advance;
    EXPECT_TRUE(TTF_GlyphIsProvided(font, static_cast<Uint16>(c))) << "character " << c;
    ASSERT_EQ(TTF_GlyphMetrics(font, static_cast<Uint16>(c), &minX, &maxX, &minY, &maxY, &advance),
              0);
    EXPECT_LE(advance * messageLength, widestSurface) << "character '" << char(c) << "'";
  }
}
