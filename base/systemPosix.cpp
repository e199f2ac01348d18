#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "base/system.h"

void setEnvironment(const char* name, const char* value, bool replace) {
  setenv(name, value, replace ? 1 : 0);
}

std::string programDirectory() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "";
  const std::string program(path, static_cast<size_t>(length));
  return program.substr(0, program.rfind('/'));
}

const char* const pathSeparators = "/";

bool isAbsolutePath(const char* path) {
  return path[0] == '/';
}

std::vector<std::string> programArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::FILE* openFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

bool pathInfo(const std::string& path, PathInfo& info) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return false;
  info.folder = S_ISDIR(status.st_mode);
  info.regular = S_ISREG(status.st_mode);
  info.size = status.st_size;
  return true;
}

bool errorsGoToLiveTerminal() {
  return isatty(STDERR_FILENO) != 0;
}

// A terminal, a log or the desktop's journal already has the message.
std::string missingFileAdvice(const std::string&) {
  return "";
}
std::string noSoundAdvice() {
  return "";
}
void showFailureNotice(const std::string&) {}
