// orbitra-capture: the intro rendered offline to video, sound and pictures (see --help).

#include <cstdio>
#include <string>

#include "capture.h"
#include "options.h"

int main(int argc, char** argv) {
  CaptureOptions options;
  std::string error;
  if (!parseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "orbitra-capture: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(usageText, stderr);
    return 0;
  }
  return runCapture(options);
}
