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

// A test that starts one of this build's programs says so in its suite's name: "...DeathTest"
// for death and exit tests, which start the test program again, "...ExecTest" for the others.
// tests/CMakeLists.txt labels exactly these needs-exec, so that a run that cannot start the
// build's programs (an ARM build without binfmt_misc) leaves them out. True for such a suite.
bool startsPrograms(const std::string& suite);

// Whether the running test may start `program`: any program from outside the build tree, the
// build's own only from a suite named as above; otherwise a failure saying so is added.
bool mayStart(const std::string& program);

// Runs `program` with `arguments` in `directory`, with the headless drivers plus
// `environment` ("NAME=value" each; a bare "NAME" removes it) and no standard input. A program
// still running after `seconds` is killed. Refused as mayStart refuses: status -1, no output.
ProgramResult runProgram(const std::string& directory, const std::string& program,
                         const std::vector<std::string>& arguments = {},
                         const std::vector<std::string>& environment = {}, unsigned seconds = 20);

// The intro itself, run the same way.
ProgramResult runIntroIn(const std::string& directory,
                         const std::vector<std::string>& environment = {},
                         const std::vector<std::string>& arguments = {}, unsigned seconds = 20);
