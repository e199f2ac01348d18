#include "base/errors.h"

#include <cstdio>

void printError(const char* text) {
  std::fprintf(stderr, "%s\n", text);
}

void printMessage(const char* text) {
  std::fprintf(stdout, "%s\n", text);
}
