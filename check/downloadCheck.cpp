#include "check/downloadCheck.h"

#include <iterator>
#include <vector>

#include "base/assetFiles.h"
#include "base/assetNames.h"

namespace {
// A golden list's text; false with `error` naming the file.
bool readList(const char* name, std::string& text, std::string& error) {
  std::string reason;
  if (readWholeFile(assetFile(name), text, maxListBytes, reason)) return true;
  error = "cannot read the golden list " + assetFile(name) + ": " + reason;
  return false;
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
  const auto read = [](const std::string& name, std::string& contents, std::string& why) {
    return readWholeFile(assetFile(name.c_str()), contents, maxAssetBytes, why);
  };
  if (!checkSums(sums, required, read, filesIntact, error, assetFile(""))) return false;
  if (!readList(goldenFramesName, frameList, error)) return false;
  if (!frames.read(frameList, reason)) return listError(goldenFramesName, reason, error);
  if (!readList(goldenSoundName, soundList, error)) return false;
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
