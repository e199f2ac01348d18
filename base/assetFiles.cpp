#include "base/assetFiles.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/system.h"

namespace {
bool isDirectory(const std::string& path) {
  PathInfo info;
  return pathInfo(path, info) && info.folder;
}

bool rootFixed = false;
std::string fixedRoot;

// Decided afresh each time: a working directory can change between two loads.
std::string dataRoot() {
  if (rootFixed) return fixedRoot;
  if (isDirectory("res")) return "";
  return ownDataRoot();
}

// A folder's name fit for one line of a message.
std::string oneLine(const std::string& text) {
  std::string line;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) {
      static const char digits[] = "0123456789abcdef";
      line += {'\\', 'x', digits[c >> 4], digits[c & 15]};
    } else {
      line += static_cast<char>(c);
    }
  }
  return line;
}

std::string workingFolder() {
  char* folder = getcwd(nullptr, 0);
  if (folder == nullptr) return "";
  std::string name(folder);
  std::free(folder);
  return name;
}
}  // namespace

std::string ownDataRoot() {
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
    const std::string name = folder + "/" ORBITRA_SOURCE_TREE_FILE;
    std::string reason;
    if (!checkReadableFile(name, 4096, reason)) continue;
    std::FILE* file = openFile(name, "r");
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

void useDataRoot(const std::string& root) {
  fixedRoot = root;
  rootFixed = true;
}

std::string assetFile(const char* name) {
  if (isAbsolutePath(name)) return name;
  return dataRoot() + name;
}

std::string assetFolderNote() {
  std::string folder;
  if (rootFixed) {
    folder = isAbsolutePath(fixedRoot.c_str()) ? fixedRoot : workingFolder() + "/" + fixedRoot;
  } else {
    if (!isDirectory("res") || ownDataRoot().empty()) return "";
    folder = workingFolder() + "/";
  }
  if (folder.size() >= 2 && folder.compare(folder.size() - 2, 2, "//") == 0) folder.pop_back();
  return " (read from " + oneLine(folder) + "res)";
}

bool checkReadableFile(const std::string& path, long long limit, std::string& reason) {
  PathInfo info;
  if (!pathInfo(path, info)) {
    reason = std::strerror(errno);
    return false;
  }
  if (!info.regular) {
    reason = "it is not a regular file";
    return false;
  }
  if (info.size > limit) {
    reason = "it is larger than " + std::to_string(limit) + " bytes";
    return false;
  }
  return true;
}

bool readWholeFile(const std::string& path, std::string& bytes, long long limit,
                   std::string& reason) {
  bytes.clear();
  if (!checkReadableFile(path, limit, reason)) return false;
  std::FILE* file = openFile(path, "rb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  char block[1 << 16];
  // A file that grows while it is read is held to the same bound.
  for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) {
    if (static_cast<long long>(bytes.size() + got) > limit) {
      std::fclose(file);
      bytes.clear();
      reason = "it is larger than " + std::to_string(limit) + " bytes";
      return false;
    }
    bytes.append(block, got);
  }
  const bool read = std::ferror(file) == 0;
  if (!read) {
    reason = std::strerror(errno);
    bytes.clear();  // no part of a file passes for the whole
  }
  std::fclose(file);
  return read;
}
