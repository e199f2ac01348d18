// orbitra-capture: the intro rendered offline to video, sound and pictures (see --help).

#ifndef _WIN32
#include <fcntl.h>
#endif

#include <cstdio>
#include <string>
#include <vector>

#include "base/system.h"
#include "capture.h"
#include "options.h"

int main(int argc, char** argv) {
#ifndef _WIN32
  // A closed standard stream lets the next file opened take its number, and output meant for
  // the stream would go into that file.
  for (int fd : {0, 1, 2}) {
    if (fcntl(fd, F_GETFD) == -1) {
      std::fprintf(stderr, "orbitra-capture: standard %s is closed\n",
                   fd == 0   ? "input"
                   : fd == 1 ? "output"
                             : "error");
      return 1;
    }
  }
#endif
  // Paths in the arguments as UTF-8, like every path the programs hand on.
  std::vector<std::string> arguments = programArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  CaptureOptions options;
  std::string error;
  if (!parseOptions(argc, pointers.data(), options, error)) {
    std::fprintf(stderr, "orbitra-capture: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(usageText, stderr);
    return 0;
  }
  return runCapture(options);
}
