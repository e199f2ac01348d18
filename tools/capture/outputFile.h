#pragma once

#include <cstddef>
#include <string>

// A file the capture writes. A regular file is written under a temporary name in the same
// folder and renamed to its final name only once complete, so a failed or interrupted run
// never leaves a half-written file under that name; the temporary file is removed on every
// way out, a signal or std::exit included. A symbolic link is written through: the file it
// names is the one replaced, the link stays. Standard output ("-"), devices, pipes and the
// process's links to files it has open (/dev/stdout, /proc/self/fd/N) are written in place.
// An existing file the user may not write is refused, not replaced. Every failure is described
// in `error` as one line naming the path.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the temporary file; `suffix` ends its name (for programs that go by the extension).
  bool open(const std::string& path, std::string& error, const std::string& suffix = "");
  bool write(const void* data, size_t size, std::string& error);
  // Closes the temporary file for another program to write under its name (writingPath).
  void handOver();
  // Closes and renames to the final name.
  bool commit(std::string& error);
  // Removes the temporary file; the final name is left as it was.
  void discard();

  // Where the bytes go until commit: the temporary file, or the final path when in place.
  const std::string& writingPath() const { return writing_; }
  const std::string& path() const { return path_; }
  bool isOpen() const { return fd_ >= 0; }

 private:
  std::string path_;
  std::string target_;  // the path through its symbolic links
  std::string writing_;
  int fd_ = -1;
  bool inPlace_ = false;
  int slot_ = -1;  // place in the list of temporary files removed on the way out
};

// Removes every temporary file still listed on std::exit and on every signal that ends the
// run (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGXFSZ, SIGVTALRM, SIGPROF,
// SIGXCPU; SIGBREAK on Windows); a closed pipe makes a write fail instead of ending the run.
void installOutputCleanup();

// Makes the folder unless it exists; fails with one line when it cannot, or is not a folder.
bool makeFolder(const std::string& path, std::string& error);
