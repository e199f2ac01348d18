#include "base/errors.h"

#include <cstdio>
#include <cstdlib>

void printError(const char* text) {
  std::fprintf(stderr, "%s\n", text);
}

// Every message of the program goes to standard error; standard output stays free for data
// a tool may write there.
void printMessage(const char* text) {
  std::fprintf(stderr, "%s\n", text);
}

void endRun(int status) {
  std::fflush(nullptr);
  std::_Exit(status);
}
