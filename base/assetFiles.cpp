#include "base/assetFiles.h"

#include <unistd.h>

#include <cstdio>

#include "base/system.h"

namespace {
bool isDirectory(const std::string& path) {
  PathInfo info;
  return pathInfo(path, info) && info.folder;
}

// Decided afresh each time: a working directory can change between two loads.
std::string dataRoot() {
  if (isDirectory("res")) return "";
  const std::string beside = programDirectory();
  if (!beside.empty()) {
    const std::string installed = beside + "/" ORBITRA_INSTALLED_DATA_DIR;
    if (isDirectory(installed + "/res")) return installed + "/";
  }
  if (beside.empty()) return "";
  // A program in a build tree (or its tests/ folder) finds the source tree it was built from in
  // a file the build writes beside the programs. It is never installed, and no program that
  // ships carries a path of the machine that built it.
  for (const std::string& folder : {beside, beside + "/.."}) {
    // Read with the C library: a stream here would bring the whole stream library into the
    // browser's download.
    std::FILE* file = openFile(folder + "/" ORBITRA_SOURCE_TREE_FILE, "r");
    if (file == nullptr) continue;
    char line[4096];
    const bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    if (!read) continue;
    std::string source(line);
    if (!source.empty() && source.back() == '\n') source.pop_back();
    if (isDirectory(source + "/res")) return source + "/";
  }
  return "";
}
}  // namespace

std::string assetFile(const char* name) {
  if (isAbsolutePath(name)) return name;
  return dataRoot() + name;
}

std::string assetFolderNote() {
  if (!isDirectory("res")) return "";
  const std::string beside = programDirectory();
  if (beside.empty() || !isDirectory(beside + "/" ORBITRA_INSTALLED_DATA_DIR "/res")) return "";
  char folder[4096];
  if (getcwd(folder, sizeof folder) == nullptr) return "";
  return std::string(" (read from ") + folder + (folder[1] == '\0' ? "" : "/") + "res)";
}

bool readWholeFile(const std::string& path, std::string& bytes) {
  std::FILE* file = openFile(path, "rb");
  if (file == nullptr) return false;
  bytes.clear();
  char block[1 << 16];
  for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) bytes.append(block, got);
  const bool read = std::ferror(file) == 0;
  std::fclose(file);
  return read;
}
