#include <limits.h>
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

bool isAbsolutePath(const char* path) {
  return path[0] == '/';
}

// A terminal, a log or the desktop's journal already has the message.
void showFailureNotice(const std::string&) {}
