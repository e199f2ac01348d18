#include "support/runProgram.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
// Runs in the child between fork and exec; reports through its exit status only.
[[noreturn]] void startChild(const std::string& directory, const std::string& outFile,
                             const std::string& errFile, const std::vector<char*>& argv,
                             const std::vector<std::string>& environment) {
  if (chdir(directory.c_str()) != 0) _exit(126);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  for (const std::string& setting : environment) {
    const size_t equals = setting.find('=');
    if (equals == std::string::npos) {
      unsetenv(setting.c_str());
      continue;
    }
    setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
  }
  const int in = open("/dev/null", O_RDONLY);
  const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (in < 0 || out < 0 || err < 0) _exit(126);
  dup2(in, 0), dup2(out, 1), dup2(err, 2);
  execv(argv[0], argv.data());
  _exit(127);
}

// A fresh file's name, and what it holds when read back and removed.
std::string freshFile() {
  char pattern[] = "/tmp/orbitra-output-XXXXXX";
  const int handle = mkstemp(pattern);
  if (handle >= 0) close(handle);
  return pattern;
}

std::string takeFile(const std::string& name) {
  std::stringstream text;
  text << std::ifstream(name, std::ios::binary).rdbuf();
  std::remove(name.c_str());
  return text.str();
}
}  // namespace

bool startsPrograms(const std::string& suite) {
  const auto endsWith = [&](const std::string& end) {
    return suite.size() >= end.size() &&
           suite.compare(suite.size() - end.size(), end.size(), end) == 0;
  };
  return endsWith("DeathTest") || endsWith("ExecTest");
}

bool mayStart(const std::string& program) {
  namespace fs = std::filesystem;
  const std::string path = fs::weakly_canonical(program).string();
  const std::string build = fs::weakly_canonical(ORBITRA_BUILD_DIR).string() + "/";
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  if (path.compare(0, build.size(), build) != 0 ||
      (test != nullptr && startsPrograms(test->test_suite_name()))) {
    return true;
  }
  ADD_FAILURE() << program << " is one of the build's programs: a test that starts it needs a "
                << "suite named ...ExecTest, which labels it needs-exec";
  return false;
}

ProgramResult runProgram(const std::string& directory, const std::string& program,
                         const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment, unsigned seconds) {
  if (!mayStart(program)) return {-1, 0, false, "", ""};
  const std::string outFile = freshFile(), errFile = freshFile();
  std::vector<std::string> words = {program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  ProgramResult result{-1, 0, false, "", ""};
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) startChild(directory, outFile, errFile, argv, environment);
  int raw = 0;
  // Polled, so that a program still running when its time is up is stopped for certain.
  bool ended = false;
  for (unsigned waited = 0; child > 0 && !ended && waited < seconds * 100; ++waited) {
    ended = waitpid(child, &raw, WNOHANG) == child;
    if (!ended) usleep(10000);
  }
  if (child > 0 && !ended) {
    result.timedOut = true;
    kill(child, SIGKILL);
    ended = waitpid(child, &raw, 0) == child;
  }
  if (ended) {
    if (WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) result.signal = WTERMSIG(raw);
  }
  result.errText = takeFile(errFile);
  result.outText = takeFile(outFile);
  return result;
}

ProgramResult runIntroIn(const std::string& directory, const std::vector<std::string>& environment,
                         const std::vector<std::string>& arguments, unsigned seconds) {
  return runProgram(directory, ORBITRA_BINARY, arguments, environment, seconds);
}
