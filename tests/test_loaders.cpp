#include <SDL_image.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/assetFiles.h"
#include "base/errors.h"
#include "base/loaders.h"
#include "gfx/surface.h"
#include "support/runProgram.h"
#include "support/testPlatform.h"

// The intro's own start-up against a working directory that lacks some of its files.
class LoadingOrderExecTest : public ::testing::Test {
 protected:
  TempWorkDir dir;

  void writeMusic() { dir.writeMusic("res/zak.dat"); }
  void writeFont() { dir.copyFont("res/bigFont.ttf"); }
  void writeImages(const std::vector<std::string>& names) {
    for (const auto& name : names) dir.writeImage("res/" + name, 16, 16, 40, 80, 120);
  }
  // Where the build tree's intro says it read its files: not its own copy.
  std::string note() const { return " (read from " + dir.path() + "/res)\n"; }
};

// The folder named in the message stays on one line whatever its name holds.
TEST_F(LoadingOrderExecTest, WithNothingPresentOnlyTheMusicIsReported) {
  const ProgramResult result = runIntroIn(dir.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.errText, "Music load error! File: res/zak.dat" + note());
  std::filesystem::create_directories(dir.path() + "/a\nb\x7f/res");
  const ProgramResult oddName = runIntroIn(dir.path() + "/a\nb\x7f");
  EXPECT_EQ(oddName.errText, "Music load error! File: res/zak.dat (read from " + dir.path() +
                                 "/a\\x0ab\\x7f/res)\n");
}

TEST_F(LoadingOrderExecTest, MissingFontIsReportedBeforeAnyImage) {
  writeMusic();
  const ProgramResult result = runIntroIn(dir.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.errText, "Font load failed! : res/bigFont.ttf" + note());
}

TEST_F(LoadingOrderExecTest, EachMissingImageIsReportedWithTwoBlanks) {
  writeMusic();
  writeFont();
  const std::vector<std::string> images = {"logo.dat", "gsball.dat", "rball.dat", "back.dat"};
  for (size_t present = 0; present < images.size(); ++present) {
    const ProgramResult result = runIntroIn(dir.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errText, "Image load error!  File: res/" + images[present] + note());
    writeImages({images[present]});
  }
}

TEST_F(LoadingOrderExecTest, AFailedLoadEndsCleanlyEveryTime) {
  // With audio running, ending must not crash on the way out, however the threads fall.
  writeMusic();
  writeFont();
  for (int run = 0; run < 20; ++run) {
    const ProgramResult result = runIntroIn(dir.path());
    ASSERT_EQ(result.signal, 0) << "run " << run;
    ASSERT_EQ(result.status, 1) << "run " << run;
  }
}

// Undecodable files count as missing; a named pipe, a device or a file far too large is not
// opened at all (a pipe would block the start for ever) and is refused with the reason.
TEST_F(LoadingOrderExecTest, UndecodableFilesCountAsMissing) {
  dir.writeText("res/zak.dat", "not music at all");
  ProgramResult result = runIntroIn(dir.path());
  EXPECT_EQ(result.errText, "Music load error! File: res/zak.dat" + note());
  std::filesystem::remove(dir.path() + "/res/zak.dat");
  ASSERT_EQ(mkfifo((dir.path() + "/res/zak.dat").c_str(), 0600), 0);
  result = runIntroIn(dir.path(), {}, {}, 5);
  EXPECT_EQ(result.errText,
            "Music load error! File: res/zak.dat: it is not a regular file" + note());
  std::filesystem::remove(dir.path() + "/res/zak.dat");

  writeMusic();
  std::filesystem::create_symlink("/dev/zero", dir.path() + "/res/bigFont.ttf");
  result = runIntroIn(dir.path(), {}, {}, 5);
  EXPECT_EQ(result.errText,
            "Font load failed! : res/bigFont.ttf: it is not a regular file" + note());
  std::filesystem::remove(dir.path() + "/res/bigFont.ttf");
  dir.writeText("res/bigFont.ttf", "not a font");
  result = runIntroIn(dir.path());
  EXPECT_EQ(result.errText, "Font load failed! : res/bigFont.ttf" + note());

  writeFont();
  dir.writeText("res/logo.dat", "not an image");
  result = runIntroIn(dir.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.errText, "Image load error!  File: res/logo.dat" + note());
  writeImages({"logo.dat"});
  std::ofstream(dir.path() + "/res/gsball.dat").close();
  std::filesystem::resize_file(dir.path() + "/res/gsball.dat", 16 << 20 | 1);
  result = runIntroIn(dir.path());
  EXPECT_EQ(result.errText,
            "Image load error!  File: res/gsball.dat: it is larger than 16777216 bytes" + note());
}

TEST_F(LoadingOrderExecTest, FailedStartUpLoadsNothing) {
  // Only the library's own text, one line; the missing music is never looked for.
  const ProgramResult result = runIntroIn(dir.path(), {"SDL_VIDEODRIVER=no-such-driver"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.errText, unknownDriverText("no-such-driver"));
}

class Loaders : public ::testing::Test {
 protected:
  void SetUp() override { startPlatform(); }
  TempWorkDir dir;
};

TEST_F(Loaders, LoadedImagesAreInTheDisplayFormat) {
  dir.writeImage("plain.dat", 7, 5, 10, 200, 30);
  SDL_Surface* image = loadImage("plain.dat");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->w, 7);
  EXPECT_EQ(image->format->BitsPerPixel, 16);
  EXPECT_EQ(image->format->Rmask, getScreen()->format->Rmask);
  EXPECT_EQ(image->flags & SDL_SRCCOLORKEY, 0u);
  EXPECT_EQ(getPixel(image, 3, 3), displayColour(10, 200, 30));
  SDL_FreeSurface(image);
}

TEST_F(Loaders, ColourKeyIsComparedInTheDisplayFormat) {
  // Three columns: the key itself, a colour that lands on the same 16-bit value, and one that
  // does not.
  SDL_Surface* source = SDL_CreateRGBSurface(SDL_SWSURFACE, 3, 1, 24, 0xFF, 0xFF00, 0xFF0000, 0);
  const Uint8 colours[3][3] = {{255, 0, 255}, {250, 2, 252}, {240, 0, 255}};
  for (int x = 0; x < 3; ++x) {
    SDL_Rect r = {static_cast<Sint16>(x), 0, 1, 1};
    SDL_FillRect(source, &r,
                 SDL_MapRGB(source->format, colours[x][0], colours[x][1], colours[x][2]));
  }
  SDL_SaveBMP(source, (dir.path() + "/keyed.dat").c_str());
  SDL_FreeSurface(source);

  SDL_Surface* sprite = loadImageKeyed("keyed.dat", 255, 0, 255);
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->format->colorkey, 0xF81Fu);
  // Run-length acceleration was asked for; the library encodes on the first blit.
  EXPECT_TRUE(sprite->flags & SDL_SRCCOLORKEY);
  if (!onCompatLibrary()) {
    EXPECT_TRUE(sprite->flags & SDL_RLEACCELOK);
  }

  SDL_Surface* canvas = makeSurface(3, 1);
  SDL_FillRect(canvas, nullptr, SDL_MapRGB(canvas->format, 0, 0, 99));
  SDL_BlitSurface(sprite, nullptr, canvas, nullptr);
  const Uint32 under = SDL_MapRGB(canvas->format, 0, 0, 99);
  EXPECT_EQ(getPixel(canvas, 0, 0), under);
  EXPECT_EQ(getPixel(canvas, 1, 0), under);
  EXPECT_NE(getPixel(canvas, 2, 0), under);
  SDL_FreeSurface(canvas);
  SDL_FreeSurface(sprite);
}

using LoadersDeathTest = Loaders;

TEST_F(LoadersDeathTest, SoundsLoadAndMissingOnesEndTheRun) {
  dir.writeMusic("beep.wav");
  Mix_Chunk* sound = loadSound("beep.wav");
  ASSERT_NE(sound, nullptr);
  Mix_FreeChunk(sound);
  EXPECT_EXIT(loadSound("res/none.wav"), ::testing::ExitedWithCode(1),
              "^Soundfx load error! File: res/none.wav \\(read from .*/res\\)\n$");
}

TEST_F(Loaders, MusicAndFontComeBackUsable) {
  dir.writeMusic("song.dat");
  Mix_Music* music = loadMusic("song.dat");
  ASSERT_NE(music, nullptr);
  Mix_FreeMusic(music);
  dir.copyFont("font.ttf");
  TTF_Font* font = loadFont("font.ttf", 18);
  ASSERT_NE(font, nullptr);
  EXPECT_GT(TTF_FontHeight(font), 0);
  TTF_CloseFont(font);
}

// Without a video mode there is no display format to convert to.
TEST(LoadersWithoutDisplayDeathTest, FailedConversionEndsTheRunWithItsOwnMessage) {
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
  TempWorkDir dir;
  dir.writeImage("ball.dat", 4, 4, 1, 2, 3);
  EXPECT_EXIT(loadImageKeyed("ball.dat", 255, 0, 255), ::testing::ExitedWithCode(1),
              "^Image optimization error! File: ball.dat \\(read from .*/res\\)\n$");
  EXPECT_EXIT(loadImage("ball.dat"), ::testing::ExitedWithCode(1),
              "^Image optimization error! File: ball.dat \\(read from .*/res\\)\n$");
}

TEST(ProgramRunner, ReportsExitStatusAndTheEndingSignalWithoutAShell) {
  TempWorkDir dir;
  const ProgramResult exited = runProgram(dir.path(), "/bin/sh", {"-c", "echo said >&2; exit 3"});
  EXPECT_EQ(exited.status, 3);
  EXPECT_EQ(exited.signal, 0);
  EXPECT_EQ(exited.errText, "said\n");
  const ProgramResult killed = runProgram(dir.path(), "/bin/sh", {"-c", "kill -SEGV $$"});
  EXPECT_EQ(killed.status, -1);
  EXPECT_EQ(killed.signal, SIGSEGV);
  // Arguments reach the program as they are: no word splitting, no quoting rules.
  const ProgramResult quoted =
      runProgram(dir.path(), "/bin/sh", {"-c", "printf '%s|' \"$@\" >&2", "sh", "a b", "it's"});
  EXPECT_EQ(quoted.errText, "a b|it's|");
  // The build's programs, the test program among them, only from a suite named for it.
  ProgramResult refused{};
  EXPECT_NONFATAL_FAILURE(refused = runIntroIn(dir.path()), "ExecTest");
  EXPECT_EQ(refused.status, -1) << "started all the same: " << refused.errText;
  EXPECT_NONFATAL_FAILURE(EXPECT_EXIT(std::abort(), ::testing::KilledBySignal(SIGABRT), ""),
                          "DeathTest");
}

TEST(Messages, BothLineWritersUseStandardError) {
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  printError("first");
  printMessage("second");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "first\nsecond\n");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST(AssetLookupExecTest, FromADirectoryWithoutResTheBuildTreesFilesServe) {
  // An empty working directory: the program finds the files it was built with, loads them
  // all without a word and is still drawing when stopped.
  char pattern[] = "/tmp/orbitra-empty-XXXXXX";
  const std::string empty = mkdtemp(pattern);
  const ProgramResult result = runIntroIn(empty, {}, {}, 3);
  std::filesystem::remove(empty);
  EXPECT_TRUE(result.timedOut);
  EXPECT_EQ(result.errText, "");
}

TEST(AssetLookup, AResFolderInTheWorkingDirectoryWins) {
  TempWorkDir dir;  // has an empty res/
  EXPECT_EQ(assetFile("res/zak.dat"), "res/zak.dat");
  std::filesystem::remove("res");
  EXPECT_EQ(assetFile("res/zak.dat"), std::string(ORBITRA_SOURCE_DIR) + "/res/zak.dat");
  EXPECT_EQ(assetFile("/elsewhere/x.dat"), "/elsewhere/x.dat");
}
