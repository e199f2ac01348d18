#pragma once

#include <SDL.h>

#include <string>

// A scripted clock for the effects: every read returns `now`, then adds `step`.
struct ScriptedClock {
  static Uint32 now;
  static Uint32 step;
  static int reads;
  static int waits;
  static void install(Uint32 start, Uint32 stepPerRead = 0);
  // As install, with a waiter that moves the clock straight on to the awaited tick.
  static void installWaiting(Uint32 start, Uint32 stepPerRead);
  static Uint32 read();
  static void wait(Uint32 tick);
};

// The intro's windowed video flags.
constexpr Uint32 windowed = SDL_HWSURFACE | SDL_DOUBLEBUF;

// The window caption as set, or null when none was set.
const char* currentCaption();

// Starts the library with the headless drivers and a 320x240 16-bit display, as the intro does.
void startPlatform();

// A 16-bit surface in the display's layout (default masks, as the scene's work surfaces).
SDL_Surface* makeSurface(int w, int h, int bpp = 16);

// Runs a test in a fresh temporary working directory; the old directory comes back afterwards.
class TempWorkDir {
 public:
  TempWorkDir();
  ~TempWorkDir();
  const std::string& path() const { return path_; }
  // Writes a small image file that the image loader reads, filled with one colour.
  void writeImage(const std::string& name, int w, int h, Uint8 r, Uint8 g, Uint8 b) const;
  // Writes a short silent WAV that the music loader accepts.
  void writeMusic(const std::string& name) const;
  void copyFont(const std::string& name) const;
  void writeText(const std::string& name, const std::string& text) const;

 private:
  std::string previous_;
  std::string outer_;  // the work directory this one was made in, if any
  std::string path_;
};

// A colour as the display surface stores it.
Uint32 displayColour(Uint8 r, Uint8 g, Uint8 b);

// True when the SDL 1.2 compatibility library over SDL 2 serves this process (it reports 1.2.50
// or later) rather than the classic library. The two differ in internals the intro never
// relies on: run-length encoding flags, and the text for an unknown video driver.
bool onCompatLibrary();

// The library's text when the named video driver does not exist.
std::string unknownDriverText(const std::string& driver);
