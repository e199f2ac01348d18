// The encoder as a child process on POSIX systems: fork and exec, frames through a pipe.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "encoder.h"

std::string findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/" + name;
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return "";
}

Encoder::~Encoder() {
  if (input_ >= 0) close(input_);
  if (child_ > 0) {
    kill(child_, SIGTERM);
    waitpid(child_, nullptr, 0);
  }
  if (messages_ >= 0) close(messages_);
}

bool Encoder::start(const std::string& program, const EncoderSettings& settings,
                    std::string& error) {
  std::vector<std::string> args = encoderArguments(settings);
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  char messagesName[] = "/tmp/orbitra-capture-ffmpeg-XXXXXX";
  messages_ = mkostemp(messagesName, O_CLOEXEC);
  if (messages_ >= 0) unlink(messagesName);
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
    error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
    return false;
  }
  child_ = fork();
  if (child_ < 0) {
    error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    return false;
  }
  if (child_ == 0) {
    dup2(pipeEnds[0], STDIN_FILENO);
    const int nothing = open("/dev/null", O_WRONLY);
    dup2(nothing, STDOUT_FILENO);
    dup2(messages_ >= 0 ? messages_ : nothing, STDERR_FILENO);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pipeEnds[0]);
  input_ = pipeEnds[1];
  output_ = settings.outputFile;
  return true;
}

bool Encoder::write(const std::vector<uint8_t>& rgb, std::string& error) {
  const uint8_t* bytes = rgb.data();
  size_t left = rgb.size();
  while (left > 0) {
    const ssize_t written = ::write(input_, bytes, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      // ffmpeg has stopped reading: its own message says why.
      error = failure("ffmpeg stopped");
      return false;
    }
    bytes += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

bool Encoder::endProcess() {
  if (input_ >= 0) close(input_);
  input_ = -1;
  if (child_ <= 0) return false;
  int status = 0;
  while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {
  }
  child_ = -1;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Encoder::messages() {
  std::string text;
  if (messages_ < 0) return text;
  char buffer[4096];
  lseek(messages_, 0, SEEK_SET);
  ssize_t got;
  while ((got = read(messages_, buffer, sizeof buffer)) > 0) text.append(buffer, got);
  return text;
}
