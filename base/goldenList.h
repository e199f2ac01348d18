#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The golden list: the frame hashes every build of the intro draws. It ships beside the intro's
// data under this name (found as assetFile finds the assets). Its lines are "<tick> <hash>"
// for some of the frames drawn every 20 ms from tick 0 up to the last such line, then
// "all <hash>", every one of those frames hashed in turn, then "<tick> <hash>" for single frames
// drawn after them.
constexpr const char* goldenListName = "tests/golden/frames.txt";

// Compares a run of frames with a golden list, frame by frame in drawing order.
class GoldenCheck {
 public:
  // False with a one-line `error` when `text` is not a golden list.
  bool read(const std::string& text, std::string& error);

  // The run the list describes: every 20 ms from tick 0 to runEnd(), then each of jumps().
  uint32_t runEnd() const { return runEnd_; }
  const std::vector<uint32_t>& jumps() const { return jumps_; }

  // The next frame of the run and its hash; false from the first difference on.
  bool frame(uint32_t tick, uint64_t hash);
  // The hash of every frame up to runEnd(), once they are drawn; false on a difference.
  bool allFrames(uint64_t hash);

  bool passed() const { return failure_.empty() && next_ == lines_.size(); }
  // One line: "all N frames identical", or the first frame (numbered from 0) and tick that
  // differ.
  std::string verdict() const;

 private:
  struct Line {
    bool all;
    uint32_t tick;
    uint64_t hash;
  };
  bool differs(const std::string& what);

  std::vector<Line> lines_;
  uint32_t runEnd_ = 0;
  std::vector<uint32_t> jumps_;
  size_t next_ = 0;
  uint64_t frames_ = 0;
  std::string failure_;
};
