#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <memory>

class IntroScene;

// The window's caption; the browser's page shows it on its title card.
inline constexpr char introCaption[] = ".:Orbitra by Kalvaren:. 7.7.2007";

// The intro's video flags for a window; full screen adds SDL_FULLSCREEN.
constexpr Uint32 windowedVideoFlags = SDL_HWSURFACE | SDL_DOUBLEBUF;

// Full screen exactly for the single argument "f"; windowed otherwise.
Uint32 chooseVideoFlags(int argc, char** argv);

// The intro's platform: its 320x240 16-bit display at 50 frames a second with its caption, at
// `videoFlags`, and the mouse pointer hidden. False when the platform did not start (the
// library's error printed; nothing undone).
bool startIntroPlatform(Uint32 videoFlags);

// The intro from start-up to end, as the program and the browser run it; the frame loop
// between start and end is the caller's. One per process: the platform and the effects' state
// are global. Started again after its end (the browser's end card), the effects and the frame
// count begin as at program start; the clock is the caller's to start again.
class Intro {
 public:
  Intro();
  ~Intro();
  Intro(const Intro&) = delete;
  Intro& operator=(const Intro&) = delete;

  // Start-up in the program's order: the platform, the music loaded, the scene built, the music
  // looping. False when the platform or the music does not start: the reason is printed and the
  // music given back, nothing else undone. A file that cannot be loaded ends the run.
  bool start(Uint32 videoFlags);
  // The display between a successful start and the end; null otherwise.
  SDL_Surface* display() const { return display_; }
  // One frame of the scene on `target`, for the frame loop's drawing.
  void drawFrame(SDL_Surface* target);
  // The end: the music released, the platform shut down, then the scene let go. Also after a
  // failed start.
  void end();

 private:
  SDL_Surface* display_ = nullptr;
  Mix_Music* music_ = nullptr;
  std::unique_ptr<IntroScene> scene_;
};

// The whole run: start-up, frame loop and end; returns the exit status.
int runIntro(int argc, char** argv);
