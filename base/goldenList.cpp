#include "base/goldenList.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

bool GoldenCheck::read(const std::string& text, std::string& error) {
  bool afterAll = false;
  // Line by line without a stream: the browser build carries no stream library for this.
  size_t start = 0;
  for (int number = 1; start < text.size(); ++number) {
    size_t stop = text.find('\n', start);
    if (stop == std::string::npos) stop = text.size();
    const std::string line = text.substr(start, stop - start);
    start = stop + 1;
    char label[16];
    uint64_t hash;
    int used = 0;
    if (std::sscanf(line.c_str(), "%15s %16" SCNx64 "%n", label, &hash, &used) != 2 ||
        used != static_cast<int>(line.size())) {
      error = "line " + std::to_string(number) + " is not \"<tick> <hash>\"";
      return false;
    }
    const bool all = std::string(label) == "all";
    char* end = nullptr;
    const unsigned long tick = all ? 0 : std::strtoul(label, &end, 10);
    if (!all && (*end != '\0' || tick > UINT32_MAX ||
                 (!afterAll && !lines_.empty() && tick <= lines_.back().tick))) {
      error = "line " + std::to_string(number) + " does not follow the frames before it";
      return false;
    }
    if (all && afterAll) {
      error = "line " + std::to_string(number) + " is a second \"all\" line";
      return false;
    }
    lines_.push_back({all, static_cast<uint32_t>(tick), hash});
    if (all) {
      afterAll = true;
    } else if (afterAll) {
      jumps_.push_back(static_cast<uint32_t>(tick));
    } else {
      runEnd_ = static_cast<uint32_t>(tick);
    }
  }
  if (!afterAll || lines_.front().all) {
    error = "no frames before an \"all\" line";
    return false;
  }
  return true;
}

bool GoldenCheck::differs(const std::string& what) {
  if (failure_.empty()) failure_ = what;
  return false;
}

bool GoldenCheck::frame(uint32_t tick, uint64_t hash) {
  if (!failure_.empty()) return false;
  const std::string name =
      "frame " + std::to_string(frames_) + " (tick " + std::to_string(tick) + " ms)";
  ++frames_;
  if (next_ == lines_.size()) return differs(name + " is past the golden list");
  const Line& line = lines_[next_];
  // Frames up to the run's end that the list leaves out count only towards the "all" line.
  if (line.all || line.tick != tick) {
    return line.all || line.tick > tick ? true : differs(name + " is not in the golden list");
  }
  ++next_;
  return hash == line.hash ? true : differs(name + " differs from the golden list");
}

bool GoldenCheck::allFrames(uint64_t hash) {
  if (!failure_.empty()) return false;
  if (next_ == lines_.size() || !lines_[next_].all) return differs("the golden run was cut short");
  ++next_;
  if (hash == lines_[next_ - 1].hash) return true;
  return differs("a frame between ticks 0 and " + std::to_string(runEnd_) +
                 " ms differs from the golden list, none of those it lists");
}

std::string GoldenCheck::verdict() const {
  if (!failure_.empty()) return failure_;
  if (!passed()) return "the golden run was cut short";
  return "all " + std::to_string(frames_) + " frames identical";
}
