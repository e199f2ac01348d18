#include "check/goldenList.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/frameHash.h"
#include "check/sha256.h"

// Read without streams: the browser build carries no stream library for this.
namespace {
// The list's lines, without a byte-order mark or line ends; a last line without its end counts.
std::vector<std::string> listLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (start < text.size()) {
    size_t stop = text.find('\n', start);
    if (stop == std::string::npos) stop = text.size();
    std::string line = text.substr(start, stop - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = stop + 1;
  }
  return lines;
}

// Fields one blank apart; anything else (two blanks, a tab, a blank at either end) is no list.
std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t stop = line.find(' ', start);
    out.push_back(line.substr(start, stop - start));
    if (stop == std::string::npos) break;
    start = stop + 1;
  }
  for (const std::string& field : out) {
    if (field.empty()) return {};
  }
  return out;
}

bool parseNumber(const std::string& text, uint32_t& value) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<uint64_t>(c - '0');
  }
  if (number > UINT32_MAX) return false;
  value = static_cast<uint32_t>(number);
  return true;
}

bool isHex(const std::string& text, size_t digits) {
  return text.size() == digits && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

bool parseHash(const std::string& text, uint64_t& hash) {
  if (!isHex(text, 16)) return false;
  hash = std::strtoull(text.c_str(), nullptr, 16);
  return true;
}

std::string lineError(size_t index, const std::string& what) {
  return "line " + std::to_string(index + 1) + " " + what;
}

// The count a list must have, checked once its lines have been read one by one.
bool checkCount(size_t lines, size_t expected, std::string& error) {
  if (lines < expected) {
    error = lineError(
        lines, "is missing: the list ends early (" + std::to_string(expected) + " lines expected)");
    return false;
  }
  if (lines > expected) {
    error = lineError(expected,
                      "is past the list's end (" + std::to_string(expected) + " lines expected)");
    return false;
  }
  return true;
}
}  // namespace

// The lines a frame list holds for its run, in order, as the listing prints them.
struct GoldenCheck::RunLines {
  uint32_t end;
  uint32_t every;
  const std::vector<uint32_t>& jumps;
  uint64_t tick = 0;
  bool allGiven = false;
  size_t jump = 0;

  bool next(Line& line) {
    if (tick <= end) {
      line = {false, static_cast<uint32_t>(tick), 0};
      // The next line is the first frame at or after the next multiple of `every`.
      const uint64_t mark = (tick / every + 1) * every;
      tick = (mark + 19) / 20 * 20;
      return true;
    }
    if (!allGiven) {
      allGiven = true;
      line = {true, 0, 0};
      return true;
    }
    if (jump == jumps.size()) return false;
    line = {false, jumps[jump++], 0};
    return true;
  }
};

bool GoldenCheck::read(const std::string& text, std::string& error) {
  const std::vector<std::string> lines = listLines(text);
  const std::vector<std::string> header =
      lines.empty() ? std::vector<std::string>{} : fields(lines.front());
  uint32_t every = 0;
  if (header.size() < 3 || header[0] != "frames" || !parseNumber(header[1], runEnd_) ||
      !parseNumber(header[2], every) || every == 0) {
    error = lineError(0, "is not \"frames <end> <every> <jump>...\"");
    return false;
  }
  // The run steps 20 ms past its end before it stops: an end the clock cannot step past
  // without wrapping would never stop.
  if (runEnd_ > UINT32_MAX - 20) {
    error = lineError(0, "asks for an end tick the clock cannot reach without wrapping");
    return false;
  }
  // A day at most, as for the sound: a list cannot make the check run for ever.
  if (runEnd_ > maxRunEnd) {
    error = lineError(0, "asks for a run longer than a day");
    return false;
  }
  for (size_t i = 3; i < header.size(); ++i) {
    uint32_t jump = 0;
    if (!parseNumber(header[i], jump)) {
      error = lineError(0, "is not \"frames <end> <every> <jump>...\"");
      return false;
    }
    jumps_.push_back(jump);
  }
  // The lines the run asks for, made one at a time: only as many are kept as the list holds.
  RunLines expected{runEnd_, every, jumps_};
  Line line{};
  for (size_t i = 1; i < lines.size() && expected.next(line); ++i) {
    const std::vector<std::string> parts = fields(lines[i]);
    const std::string label = line.all ? "all" : std::to_string(line.tick);
    if (parts.size() != 2 || !parseHash(parts[1], line.hash)) {
      error = lineError(i, "is not \"" + label + " <hash>\"");
      return false;
    }
    if (parts[0] != label) {
      error = lineError(i, "is \"" + parts[0] + "\" where the run has \"" + label + "\"");
      return false;
    }
    lines_.push_back(line);
  }
  RunLines counted{runEnd_, every, jumps_};
  size_t count = 0;
  while (counted.next(line)) ++count;
  return checkCount(lines.size(), count + 1, error);
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

bool SoundCheck::read(const std::string& text, bool acceptMixer32, std::string& error) {
  acceptMixer32_ = acceptMixer32;
  const std::vector<std::string> lines = listLines(text);
  const std::vector<std::string> header =
      lines.empty() ? std::vector<std::string>{} : fields(lines.front());
  uint32_t seconds = 0;
  // A day at most: a list cannot make the check run for ever.
  if (header.size() != 2 || header[0] != "sound" || !parseNumber(header[1], seconds) ||
      seconds == 0 || seconds > 86400) {
    error = lineError(0, "is not \"sound <seconds>\"");
    return false;
  }
  for (size_t i = 1; i < lines.size() && i <= seconds + 1; ++i) {
    const std::string label = i <= seconds ? std::to_string(i - 1) : "all";
    const std::vector<std::string> parts = fields(lines[i]);
    Hashes hashes{};
    if ((parts.size() != 2 && parts.size() != 3) || parts[0] != label ||
        !parseHash(parts[1], hashes.usual) ||
        !parseHash(parts.size() == 3 ? parts[2] : parts[1], hashes.mixer32)) {
      error = lineError(i, "is not \"" + label + " <hash>\"");
      return false;
    }
    if (i <= seconds) {
      seconds_.push_back(hashes);
    } else {
      all_ = hashes;
    }
  }
  secondHash_ = allHash_ = frameHashStart;
  return checkCount(lines.size(), seconds + 2, error);
}

bool SoundCheck::add(const int16_t* samples, size_t frames) {
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "samples are hashed as they lie");
  while (frames > 0 && failure_.empty() && checked_ < seconds_.size()) {
    const size_t taken = std::min(frames, framesPerSecond - framesInSecond_);
    const int bytes = static_cast<int>(taken * 4);
    secondHash_ = hashFrame(samples, bytes, 1, bytes, secondHash_);
    allHash_ = hashFrame(samples, bytes, 1, bytes, allHash_);
    samples += taken * 2;
    frames -= taken;
    framesInSecond_ += taken;
    if (framesInSecond_ == framesPerSecond && !finishSecond()) return false;
  }
  return failure_.empty();
}

bool SoundCheck::finishSecond() {
  const Hashes& golden = seconds_[checked_];
  const bool equal =
      secondHash_ == golden.usual || (acceptMixer32_ && secondHash_ == golden.mixer32);
  if (!equal) {
    failure_ = "second " + std::to_string(checked_) + " of the sound differs from the golden list";
    return false;
  }
  ++checked_;
  secondHash_ = frameHashStart;
  framesInSecond_ = 0;
  if (checked_ == seconds_.size() && allHash_ != all_.usual &&
      !(acceptMixer32_ && allHash_ == all_.mixer32)) {
    failure_ = "the sound as a whole differs from the golden list";
    return false;
  }
  return true;
}

bool SoundCheck::passed() const {
  return failure_.empty() && !seconds_.empty() && checked_ == seconds_.size();
}

bool checkSums(const std::string& text, const std::vector<std::string>& required,
               const std::function<bool(const std::string&, std::string&, std::string&)>& read,
               int& files, std::string& error, const std::string& root,
               const std::string& listName) {
  const std::vector<std::string> lines = listLines(text);
  const std::string list = listName.empty() ? root + goldenSumsName : listName;
  std::vector<std::string> names;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const std::string name = line.size() > 66 ? line.substr(66) : "";
    // Only names inside the data folder: a list cannot send the check elsewhere.
    const bool inside = !name.empty() && name[0] != '/' && name.find('\\') == std::string::npos &&
                        name.find(':') == std::string::npos &&
                        ("/" + name + "/").find("/../") == std::string::npos;
    if (!isHex(line.substr(0, 64), 64) ||
        (line.compare(64, 2, "  ") != 0 && line.compare(64, 2, " *") != 0) || !inside) {
      error = lineError(i, "of " + list + " is not \"<sha-256>  <file>\"");
      return false;
    }
    names.push_back(name);
  }
  for (const std::string& name : required) {
    if (std::find(names.begin(), names.end(), name) == names.end()) {
      error = list + " does not list " + name;
      return false;
    }
  }
  files = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string contents, reason;
    if (!read(names[i], contents, reason)) {
      // A name the download does not ship is the list's fault, not a file's.
      const bool shipped = std::find(required.begin(), required.end(), names[i]) != required.end();
      error = shipped ? "cannot read " + root + names[i] + ": " + reason
                      : lineError(i, "of " + list + " names " + names[i] +
                                         ", which cannot be read: " + reason);
      return false;
    }
    Sha256 sum;
    sum.add(contents.data(), contents.size());
    if (sum.hex() != lines[i].substr(0, 64)) {
      error =
          root + names[i] + " is damaged: its SHA-256 differs from " + lineError(i, "of " + list);
      return false;
    }
    ++files;
  }
  return true;
}
