#include "outputFile.h"

#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
// Fixed storage, so the signal handler can walk it without touching the heap.
constexpr int maxTemporaries = 16;
char temporaries[maxTemporaries][PATH_MAX];
volatile sig_atomic_t used[maxTemporaries];

int listTemporary(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < maxTemporaries; ++i) {
    if (!used[i]) {
      std::memcpy(temporaries[i], path.c_str(), path.size() + 1);
      used[i] = 1;
      return i;
    }
  }
  return -1;
}

void unlistTemporary(int slot) {
  if (slot >= 0) used[slot] = 0;
}

void removeTemporaries() {
  for (int i = 0; i < maxTemporaries; ++i) {
    if (used[i]) unlink(temporaries[i]);
    used[i] = 0;
  }
}

void onSignal(int signal) {
  removeTemporaries();
  std::signal(signal, SIG_DFL);
  raise(signal);
}

std::string describe(const std::string& what, const std::string& path) {
  return "cannot " + what + " " + path + ": " + std::strerror(errno);
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name the bytes for `path` end up under, through any symbolic links. A link in the
// process folder (/dev/stdout leads to one, /proc/self/fd/N is one) stands for a file already
// open rather than a name: `opened` is set and the path kept as given. False with errno set
// when the links do not end.
bool followLinks(const std::string& path, std::string& target, bool& opened) {
  target = path;
  opened = false;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    struct statfs folder;
    if (statfs(folderOf(target).c_str(), &folder) == 0 && folder.f_type == PROC_SUPER_MAGIC) {
      target = path;
      opened = true;
      return true;
    }
    char link[PATH_MAX];
    const ssize_t length = readlink(target.c_str(), link, sizeof link);
    if (length <= 0 || length == sizeof link) return false;
    const std::string next(link, static_cast<size_t>(length));
    target = next[0] == '/' ? next : folderOf(target) + "/" + next;
  }
  errno = ELOOP;
  return false;
}
}  // namespace

void installOutputCleanup() {
  std::atexit(removeTemporaries);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, onSignal);
}

OutputFile::~OutputFile() {
  discard();
}

bool OutputFile::open(const std::string& path, std::string& error, const std::string& suffix) {
  path_ = path;
  if (path == "-") {
    fd_ = STDOUT_FILENO;
    inPlace_ = true;
    writing_ = "standard output";
    return true;
  }
  bool opened = false;
  if (!followLinks(path, target_, opened)) {
    error = describe("write", path);
    return false;
  }
  struct stat info;
  if (opened || (stat(target_.c_str(), &info) == 0 && !S_ISREG(info.st_mode))) {
    if (!opened && S_ISDIR(info.st_mode)) {
      error = "cannot write " + path + ": it is a folder";
      return false;
    }
    // A device, a pipe or an open file: nothing half-written is left behind under a name. An
    // open file is added to, as through the descriptor it stands for.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | (opened ? O_APPEND : 0));
    if (fd_ < 0) {
      error = describe("write", path);
      return false;
    }
    inPlace_ = true;
    writing_ = path;
    return true;
  }
  std::string pattern = folderOf(target_) + "/." + nameOf(target_) + ".partial-XXXXXX" + suffix;
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
  if (fd_ < 0) {
    error = describe("write", path);
    return false;
  }
  writing_ = name.data();
  slot_ = listTemporary(writing_);
  // mkstemp makes the file private; the finished file gets the usual permissions.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd_, 0666 & ~mask);
  return true;
}

bool OutputFile::write(const void* data, size_t size, std::string& error) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(fd_, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      error = describe("write", path_ == "-" ? std::string("standard output") : path_);
      return false;
    }
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool OutputFile::commit(std::string& error) {
  if (inPlace_) {
    if (fd_ != STDOUT_FILENO && fd_ >= 0) close(fd_);
    fd_ = -1;
    return true;
  }
  // Some file systems report a lack of space only when the file is closed.
  if (fd_ >= 0) {
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    if (!closed) {
      error = describe("write", path_);
      discard();
      return false;
    }
  }
  if (rename(writing_.c_str(), target_.c_str()) != 0) {
    error = describe("write", path_);
    discard();
    return false;
  }
  unlistTemporary(slot_);
  slot_ = -1;
  writing_ = target_;
  inPlace_ = true;
  return true;
}

void OutputFile::handOver() {
  if (!inPlace_ && fd_ >= 0) close(fd_);
  if (!inPlace_) fd_ = -1;
}

void OutputFile::discard() {
  if (inPlace_) {
    if (fd_ > STDERR_FILENO) close(fd_);
    fd_ = -1;
    return;
  }
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!writing_.empty()) unlink(writing_.c_str());
  unlistTemporary(slot_);
  slot_ = -1;
  writing_.clear();
}
