#include "support/runProgram.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {
// Runs in the child between fork and exec; reports through its exit status only.
[[noreturn]] void startChild(const std::string& directory, const std::string& errFile,
                             const std::vector<char*>& argv,
                             const std::vector<std::string>& environment) {
  if (chdir(directory.c_str()) != 0) _exit(126);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  for (const std::string& setting : environment) {
    const size_t equals = setting.find('=');
    if (equals == std::string::npos) _exit(126);
    setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
  }
  const int in = open("/dev/null", O_RDONLY);
  const int out = open("/dev/null", O_WRONLY);
  const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (in < 0 || out < 0 || err < 0) _exit(126);
  dup2(in, 0), dup2(out, 1), dup2(err, 2);
  alarm(20);
  execv(argv[0], argv.data());
  _exit(127);
}
}  // namespace

ProgramResult runProgram(const std::string& directory, const std::string& program,
                         const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment) {
  char errPattern[] = "/tmp/orbitra-stderr-XXXXXX";
  const int errHandle = mkstemp(errPattern);
  if (errHandle >= 0) close(errHandle);
  const std::string errFile = errPattern;

  std::vector<std::string> words = {program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  ProgramResult result{-1, 0, ""};
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) startChild(directory, errFile, argv, environment);
  int raw = 0;
  if (child > 0 && waitpid(child, &raw, 0) == child) {
    if (WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) result.signal = WTERMSIG(raw);
  }
  std::stringstream text;
  text << std::ifstream(errFile).rdbuf();
  result.errText = text.str();
  std::remove(errFile.c_str());
  return result;
}

ProgramResult runIntroIn(const std::string& directory, const std::vector<std::string>& environment,
                         const std::vector<std::string>& arguments) {
  return runProgram(directory, ORBITRA_BINARY, arguments, environment);
}
