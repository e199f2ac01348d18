#pragma once

#include <string>

struct ProgramResult {
  int status;           // exit status, or -1 when the program did not exit normally
  std::string errText;  // everything written to the standard error stream
};

// Runs the intro in `directory` with the headless drivers (plus `environment`, "NAME=value ..."),
// and returns how it ended and what it wrote to standard error.
ProgramResult runIntroIn(const std::string& directory, const std::string& environment = "",
                         const std::string& arguments = "");
