#include "base/errors.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/system.h"

namespace {
// What went to standard error as errors, for a person who cannot see that stream.
std::string reported;
std::string advice;
}  // namespace

void printError(const char* text) {
  std::fprintf(stderr, "%s\n", text);
  if (!reported.empty()) reported += '\n';
  reported += text;
}

// Every message of the program goes to standard error; standard output stays free for data
// a tool may write there.
void printMessage(const char* text) {
  std::fprintf(stderr, "%s\n", text);
}

void adviseOnFailure(const std::string& sentence) {
  if (sentence.empty()) return;
  if (!advice.empty()) advice += ' ';
  advice += sentence;
}

void endRun(int status) {
  std::fflush(nullptr);
  if (status != 0) showFailureNotice(advice.empty() ? reported : reported + "\n\n" + advice);
  std::_Exit(status);
}
