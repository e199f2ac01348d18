#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

struct CaptureOptions {
  Uint32 start = 300;     // clock reading of frame 0, in ms
  int64_t frames = 5000;  // frames written: 100 s unless told otherwise
  // Frames drawn before the first one written, so a later part comes after its own history.
  int64_t skipFrames = 0;
  int scale = 1;
  int fitWidth = 0;  // with fitHeight: fit this frame size instead of scaling
  int fitHeight = 0;
  std::string video;  // finished video, made by ffmpeg
  bool web = false;
  std::string y4m;
  bool halfChroma = false;
  std::string wav;
  std::string pngDir;
  std::vector<Uint32> shots;  // sorted
  std::string shotDir = ".";
  bool quiet = false;
  bool help = false;
  // The golden-hash listing: frames from tick 0 to hashEnd, marks every hashEvery ms, then
  // one frame at each jump tick.
  bool hashes = false;
  Uint32 hashEnd = 0;
  Uint32 hashEvery = 0;
  std::vector<Uint32> jumps;
  // The sound list of the soundtrack's first soundSeconds seconds (0: none).
  int soundSeconds = 0;
  // The intro's files and the golden run checked with the golden lists shipped with the intro.
  bool verify = false;
};

// False with a one-line `error` for anything malformed, out of range or contradictory.
bool parseOptions(int argc, char** argv, CaptureOptions& options, std::string& error);

extern const char* const usageText;
