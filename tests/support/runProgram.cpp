#include "support/runProgram.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

ProgramResult runIntroIn(const std::string& directory, const std::string& environment,
                         const std::string& arguments) {
  const std::string errFile = directory + "/stderr.captured";
  const std::string command = "cd '" + directory +
                              "' && env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " +
                              environment + " timeout 20 '" + ORBITRA_BINARY + "' " + arguments +
                              " 2>'" + errFile + "' </dev/null >/dev/null";
  const int raw = std::system(command.c_str());
  ProgramResult result{-1, ""};
  if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  std::stringstream text;
  text << std::ifstream(errFile).rdbuf();
  result.errText = text.str();
  std::remove(errFile.c_str());
  return result;
}
