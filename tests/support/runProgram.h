#pragma once

#include <string>
#include <vector>

struct ProgramResult {
  int status;           // exit status, or -1 when the program did not exit normally
  int signal;           // the signal that ended it, or 0
  bool timedOut;        // still running when its time was up, and then killed
  std::string errText;  // everything written to the standard error stream
  std::string outText;  // and to standard output
};

// Runs `program` with `arguments` in `directory`, with the headless drivers plus
// `environment` ("NAME=value" each; a bare "NAME" removes it) and no standard input. A program
// still running after `seconds` is killed.
ProgramResult runProgram(const std::string& directory, const std::string& program,
                         const std::vector<std::string>& arguments = {},
                         const std::vector<std::string>& environment = {}, unsigned seconds = 20);

// The intro itself, run the same way.
ProgramResult runIntroIn(const std::string& directory,
                         const std::vector<std::string>& environment = {},
                         const std::vector<std::string>& arguments = {}, unsigned seconds = 20);
