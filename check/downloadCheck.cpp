#include "check/downloadCheck.h"

#include <iterator>
#include <vector>

#include "base/assetFiles.h"
#include "base/assetNames.h"
#include "base/system.h"

namespace {
// A golden list's text; false with `error` naming the file.
bool readList(const char* name, std::string& text, std::string& error) {
  std::string reason;
  if (readWholeFile(assetFile(name), text, maxListBytes, reason)) return true;
  error = "cannot read the golden list " + assetFile(name) + ": " + reason;
  return false;
}

// Far above the real programs (a few MiB), small enough that a wrong file is refused unread.
constexpr long long maxProgramBytes = 64LL << 20;

// The programs named in the download's programs list, when it has one, against their sums;
// `files` grows by the number checked. A list present must name at least one program.
bool checkPrograms(int& files, std::string& error) {
  const std::string list = assetFile(programSumsName);
  PathInfo info;
  if (!pathInfo(list, info)) return true;
  std::string text, reason;
  if (!readWholeFile(list, text, maxListBytes, reason)) {
    error = "cannot read the programs' sums " + list + ": " + reason;
    return false;
  }
  const auto read = [](const std::string& name, std::string& contents, std::string& why) {
    return readWholeFile(programDirectory() + "/" + name, contents, maxProgramBytes, why);
  };
  int programs = 0;
  if (!checkSums(text, {}, read, programs, error, programDirectory() + "/", list)) return false;
  if (programs == 0) {
    error = list + " lists no program";
    return false;
  }
  files += programs;
  return true;
}

// The reason a list that was read is no list, with the file's name.
bool listError(const char* name, const std::string& reason, std::string& error) {
  error = "cannot read the golden list " + assetFile(name) + ": " + reason;
  return false;
}
}  // namespace

bool DownloadCheck::begin(bool acceptMixer32, std::string& error) {
  std::string sums, frameList, soundList, reason;
  if (!readList(goldenSumsName, sums, error)) return false;
  std::vector<std::string> required(std::begin(assets::all), std::end(assets::all));
  required.insert(required.end(), {goldenFramesName, goldenSoundName});
  // The golden lists are kept as their sums were checked: read again, they could differ.
  const auto read = [&](const std::string& name, std::string& contents, std::string& why) {
    std::string* const list = name == goldenFramesName  ? &frameList
                              : name == goldenSoundName ? &soundList
                                                        : nullptr;
    if (!readWholeFile(assetFile(name.c_str()), contents, list ? maxListBytes : maxAssetBytes, why))
      return false;
    if (list) *list = contents;
    return true;
  };
  if (!checkSums(sums, required, read, filesIntact, error, assetFile(""))) return false;
  if (!checkPrograms(filesIntact, error)) return false;
  if (!frames.read(frameList, reason)) return listError(goldenFramesName, reason, error);
  if (!sound.read(soundList, acceptMixer32, reason))
    return listError(goldenSoundName, reason, error);
  return true;
}

std::string DownloadCheck::verdict() const {
  if (!sound.failure().empty()) return sound.failure();
  if (!sound.passed()) return "the sound was not checked to its end";
  if (!frames.passed()) return frames.verdict();
  return "all " + std::to_string(frames.framesChecked()) + " frames and " +
         std::to_string(sound.seconds()) + " s of sound identical, " + std::to_string(filesIntact) +
         " files intact";
}
