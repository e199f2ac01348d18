#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "picture.h"

class IntroScene;

// The intro drawn offline: the program's platform start-up on the headless drivers, its scene,
// and its way of showing a frame (showFrame), with the clock reading the frame's own tick at every
// read within that frame. One per process: the platform and the effects' state are global.
class FrameSource {
 public:
  // Where the first of the intro's files (base/assetNames.h) that is missing, unreadable or
  // no regular file was looked for, as the loaders look, and why ("<path>: <reason>"), or ""
  // when all are there.
  static std::string missingAsset();

  FrameSource();
  ~FrameSource();
  FrameSource(const FrameSource&) = delete;
  FrameSource& operator=(const FrameSource&) = delete;

  // False with `error` set when the platform does not start.
  bool start(std::string& error);
  // Draws the next frame at `tick` and returns the display's picture.
  Picture draw(Uint32 tick);
  SDL_Surface* display() const;
  const SDL_PixelFormat* format() const;

 private:
  std::unique_ptr<IntroScene> scene_;
  bool started_ = false;
  bool locked_ = false;
};
