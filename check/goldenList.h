#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The golden lists: what every build of the intro draws and plays, shipped with the intro's
// data and found as assetFile finds the assets. Each is text, one item a line; a byte-order
// mark and CRLF line ends (a checkout on Windows) read as the plain text. Every reader below
// takes a line only whole and knows from the list's first line how many lines follow, so a
// damaged, shortened or lengthened list is refused with the number of its first wrong line.
constexpr const char* goldenFramesName = "res/golden/frames.txt";
constexpr const char* goldenSoundName = "res/golden/sound.txt";
constexpr const char* goldenSumsName = "res/golden/sums.txt";
// The programs' sums, beside res/ in a download (none in a build tree): "<sha-256>  <program>"
// for each program the download ships, named in the folder that holds them, made as the
// download is packed.
constexpr const char* programSumsName = "programs.txt";

// The frame list: "frames <end> <every> <jump>..." first, the arguments of the golden run;
// then "<tick> <hash>" for the first frame at or after each multiple of <every> ms among the
// frames drawn every 20 ms from tick 0 to <end>, then "all <hash>", every one of those frames
// hashed in turn, then "<tick> <hash>" for the frame at each jump tick.
class GoldenCheck {
 public:
  // False with a one-line `error` when `text` is not a golden list.
  bool read(const std::string& text, std::string& error);

  // The run the list describes: every 20 ms from tick 0 to runEnd(), then each of jumps().
  uint32_t runEnd() const { return runEnd_; }
  const std::vector<uint32_t>& jumps() const { return jumps_; }
  // Frames in the whole run.
  uint64_t runFrames() const { return runEnd_ / 20 + 1 + jumps_.size(); }

  // The next frame of the run and its hash; false from the first difference on.
  bool frame(uint32_t tick, uint64_t hash);
  // The hash of every frame up to runEnd(), once they are drawn; false on a difference.
  bool allFrames(uint64_t hash);

  bool passed() const { return failure_.empty() && next_ == lines_.size(); }
  uint64_t framesChecked() const { return frames_; }
  // One line: "all N frames identical", or the first frame (numbered from 0) and tick that
  // differ.
  std::string verdict() const;

 private:
  static constexpr uint32_t maxRunEnd = 86400000;  // a day, in ms
  struct Line {
    bool all;
    uint32_t tick;
    uint64_t hash;
  };
  struct RunLines;
  bool differs(const std::string& what);

  std::vector<Line> lines_;
  uint32_t runEnd_ = 0;
  std::vector<uint32_t> jumps_;
  size_t next_ = 0;
  uint64_t frames_ = 0;
  std::string failure_;
};

// The sound list: "sound <seconds>" first; then "<second> <hash>" for each second of the
// soundtrack from its start (22050 stereo 16-bit sample frames, little-endian, hashed as the
// frames are), then "all <hash>" over all of them. A line may carry a second hash: that of the
// module player's 32-bit mixing paths, which a build on a distribution's 32-bit player plays
// instead (docs/KEPT-BEHAVIOUR.md); only such a build accepts it.
class SoundCheck {
 public:
  static constexpr size_t framesPerSecond = 22050;

  bool read(const std::string& text, bool acceptMixer32, std::string& error);
  int seconds() const { return static_cast<int>(seconds_.size()); }

  // The next stereo sample frames of the soundtrack, in any number of pieces; false from the
  // first second that differs on.
  bool add(const int16_t* samples, size_t frames);
  // True once every second has been added and found equal.
  bool passed() const;
  int secondsChecked() const { return static_cast<int>(checked_); }
  // "" or the first second that differs, as a phrase ("second 30 of the sound differs ...").
  const std::string& failure() const { return failure_; }

 private:
  struct Hashes {
    uint64_t usual;
    uint64_t mixer32;  // equal to usual where the 32-bit paths play the same
  };
  bool finishSecond();

  bool acceptMixer32_ = false;
  std::vector<Hashes> seconds_;
  Hashes all_{};
  uint64_t secondHash_ = 0;
  uint64_t allHash_ = 0;
  size_t framesInSecond_ = 0;
  size_t checked_ = 0;
  std::string failure_;
};

// The sums list, as sha256sum writes it: "<sha-256>  <name>" for each file the download ships
// for the intro, named as the assets are. `read` loads a file's bytes, false with the reason as
// a phrase when it cannot. True when the list names every one of `required`, nothing outside
// the data, and each file has its sum; otherwise false with one line naming the first file (or
// line of the list) that fails, each name after `root`, the folder that holds res/ ("" or
// ending in "/"), the list named `listName` when it is not that folder's own.
bool checkSums(const std::string& text, const std::vector<std::string>& required,
               const std::function<bool(const std::string&, std::string&, std::string&)>& read,
               int& files, std::string& error, const std::string& root = "",
               const std::string& listName = "");
