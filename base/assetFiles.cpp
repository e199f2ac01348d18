#include "base/assetFiles.h"

#include <sys/stat.h>

#include "base/system.h"

namespace {
bool isDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Decided afresh each time: a working directory can change between two loads.
std::string dataRoot() {
  if (isDirectory("res")) return "";
  const std::string beside = programDirectory();
  if (!beside.empty()) {
    const std::string installed = beside + "/" ORBITRA_INSTALLED_DATA_DIR;
    if (isDirectory(installed + "/res")) return installed + "/";
  }
  if (isDirectory(ORBITRA_SOURCE_DATA_DIR "/res")) return ORBITRA_SOURCE_DATA_DIR "/";
  return "";
}
}  // namespace

std::string assetFile(const char* name) {
  if (isAbsolutePath(name)) return name;
  return dataRoot() + name;
}
