#include "support/testPlatform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/platform.h"
#include "base/clock.h"
#include "gfx/surface.h"

Uint32 ScriptedClock::now = 0;
Uint32 ScriptedClock::step = 0;
int ScriptedClock::reads = 0;
int ScriptedClock::waits = 0;

void ScriptedClock::install(Uint32 start, Uint32 stepPerRead) {
  now = start;
  step = stepPerRead;
  reads = 0;
  setTickSource(&ScriptedClock::read);
}

void ScriptedClock::installWaiting(Uint32 start, Uint32 stepPerRead) {
  install(start, stepPerRead);
  waits = 0;
  setTickSource(&ScriptedClock::read, &ScriptedClock::wait);
}

void ScriptedClock::wait(Uint32 tick) {
  ++waits;
  if (static_cast<Sint32>(tick - now) > 0) now = tick;
}

Uint32 ScriptedClock::read() {
  ++reads;
  const Uint32 value = now;
  now += step;
  return value;
}

void startPlatform() {
  ASSERT_TRUE(initPlatform("test", 320, 240, 16, 50, windowed));
  ASSERT_NE(getScreen(), nullptr);
}

const char* currentCaption() {
  char* title = nullptr;
  char* icon = nullptr;
  SDL_WM_GetCaption(&title, &icon);
  return title;
}

SDL_Surface* makeSurface(int w, int h, int bpp) {
  return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, bpp, 0, 0, 0, 0);
}

Uint32 displayColour(Uint8 r, Uint8 g, Uint8 b) {
  return SDL_MapRGB(getScreen()->format, r, g, b);
}

namespace {
// The innermost work directory, handed down to processes started meanwhile.
const char* const workVariable = "ORBITRA_TEST_WORK";
}  // namespace

TempWorkDir::TempWorkDir() {
  previous_ = std::filesystem::current_path().string();
  // A death test runs its test again in a child process that ends without destructors: the
  // child's directory goes inside the parent's, which the parent removes.
  const char* outer = std::getenv(workVariable);
  outer_ = outer != nullptr ? outer : "";
  std::string pattern = (outer_.empty() ? "/tmp" : outer_) + "/orbitra-test-XXXXXX";
  path_ = mkdtemp(pattern.data());
  setenv(workVariable, path_.c_str(), 1);
  std::filesystem::create_directory(path_ + "/res");
  std::filesystem::current_path(path_);
}

TempWorkDir::~TempWorkDir() {
  std::filesystem::current_path(previous_);
  std::filesystem::remove_all(path_);
  if (outer_.empty()) {
    unsetenv(workVariable);
  } else {
    setenv(workVariable, outer_.c_str(), 1);
  }
}

void TempWorkDir::writeImage(const std::string& name, int w, int h, Uint8 r, Uint8 g,
                             Uint8 b) const {
  SDL_Surface* image = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xFF, 0xFF00, 0xFF0000, 0);
  SDL_FillRect(image, nullptr, SDL_MapRGB(image->format, r, g, b));
  SDL_SaveBMP(image, (path_ + "/" + name).c_str());
  SDL_FreeSurface(image);
}

void TempWorkDir::writeMusic(const std::string& name) const {
  // A tenth of a second of 16-bit mono silence at 22050 Hz.
  const uint32_t samples = 2205, dataBytes = samples * 2;
  std::vector<char> wav;
  auto put = [&wav](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) wav.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  };
  auto tag = [&wav](const char* text) { wav.insert(wav.end(), text, text + 4); };
  tag("RIFF"), put(36 + dataBytes, 4), tag("WAVE");
  tag("fmt "), put(16, 4), put(1, 2), put(1, 2), put(22050, 4), put(44100, 4), put(2, 2),
      put(16, 2);
  tag("data"), put(dataBytes, 4);
  wav.resize(wav.size() + dataBytes, 0);
  std::ofstream(path_ + "/" + name, std::ios::binary).write(wav.data(), wav.size());
}

void TempWorkDir::copyFont(const std::string& name) const {
  std::filesystem::copy_file(std::string(ORBITRA_SOURCE_DIR) + "/res/bigFont.ttf",
                             path_ + "/" + name, std::filesystem::copy_options::overwrite_existing);
}

void TempWorkDir::writeText(const std::string& name, const std::string& text) const {
  std::ofstream(path_ + "/" + name) << text;
}

bool onCompatLibrary() {
  return SDL_Linked_Version()->patch >= 50;
}

std::string unknownDriverText(const std::string& driver) {
  return onCompatLibrary() ? driver + " not available\n" : "No available video device\n";
}
