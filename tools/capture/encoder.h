#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// The ffmpeg program, fed raw RGB frames on a pipe, with the soundtrack from a WAV file.
struct EncoderSettings {
  int width = 0;
  int height = 0;
  bool web = false;        // H.264 and AAC for web players; otherwise lossless RGB H.264 and FLAC
  std::string soundFile;   // the soundtrack, already complete
  std::string outputFile;  // where ffmpeg writes (a temporary name, with the real extension)
};

// The ffmpeg program (ffmpeg.exe on Windows) on the search path, or "" when there is none.
std::string findProgram(const std::string& name);

// The command line for the settings (without the program itself).
std::vector<std::string> encoderArguments(const EncoderSettings& settings);

class Encoder {
 public:
  Encoder() = default;
  ~Encoder();
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  bool start(const std::string& program, const EncoderSettings& settings, std::string& error);
  // One frame of width x height x 3 bytes.
  bool write(const std::vector<uint8_t>& rgb, std::string& error);
  // Ends the input and waits for ffmpeg; false with its last message when it failed or left
  // the output file empty.
  bool finish(std::string& error);

 private:
  // ffmpeg's last message after `what`, once it has ended.
  std::string failure(const std::string& what);
  // Per system: closes the input and waits for ffmpeg, if still running; true when it
  // exited with status 0. And all it wrote to its standard error.
  bool endProcess();
  std::string messages();
  // The process, its input pipe and its standard error, kept in an unnamed file (a temporary
  // file deleted on closing, on Windows): encoderPosix.cpp and encoderWindows.cpp.
#ifdef _WIN32
  void* process_ = nullptr;
  void* input_ = nullptr;
  void* messages_ = nullptr;
#else
  pid_t child_ = -1;
  int input_ = -1;
  int messages_ = -1;
#endif
  std::string output_;  // the file ffmpeg writes
};
