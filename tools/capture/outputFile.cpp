#include "outputFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/system.h"

namespace {
std::string folderOf(const std::string& path);
}  // namespace

// What the file layer asks of the system, on POSIX systems and on Windows.
#ifdef _WIN32
#include <io.h>
#include <windows.h>

namespace {
const char* const separators = "/\\";
// Bytes as they are (no newline translation), and not inherited by the encoder.
constexpr int privateFile = O_BINARY | O_NOINHERIT;
const int endingSignals[] = {SIGINT, SIGTERM, SIGBREAK};

// A read-only file is not replaced.
bool mayReplace(const std::string& target) {
  return _waccess(toWide(target).c_str(), 2) == 0 || errno == ENOENT;
}

int makeTemporary(std::vector<char>& name, int suffixLength) {
  char* const letters = name.data() + name.size() - 1 - suffixLength - 6;
  static const char pool[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (int attempt = 0; attempt < 100; ++attempt) {
    for (int i = 0; i < 6; ++i) {
      seed = seed * 1103515245u + 12345u;
      letters[i] = pool[(seed >> 16) % (sizeof pool - 1)];
    }
    const int fd = _wopen(toWide(name.data()).c_str(), O_WRONLY | O_CREAT | O_EXCL | privateFile,
                          _S_IREAD | _S_IWRITE);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// NTFS and FAT's long names: 255 characters.
size_t longestName(const std::string&) {
  return 255;
}

// Windows keeps no permission bits beyond read-only, which the new file does not have.
void giveUsualMode(int) {}

bool replaceFile(const char* from, const char* to) {
  if (MoveFileExW(toWide(from).c_str(), toWide(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
  return false;
}

void useStandardOutputForBytes() {
  _setmode(STDOUT_FILENO, _O_BINARY);
}

bool newFolder(const char* path) {
  return _wmkdir(toWide(path).c_str()) == 0;
}

int openInPlace(const char* path, int flags) {
  return _wopen(toWide(path).c_str(), flags);
}

void removeName(const char* path) {
  _wunlink(toWide(path).c_str());
}

// Windows has no signal for a closed pipe: the write fails and says so.
void ignoreClosedPipes() {}

// Symbolic links on Windows need privileges few have; a name is taken as it is.
bool followLinks(const std::string& path, std::string& target, bool& opened) {
  target = path;
  opened = false;
  return true;
}
}  // namespace
#else
#include <linux/magic.h>
#include <sys/vfs.h>

namespace {
const char* const separators = "/";
constexpr int privateFile = O_CLOEXEC;
// Every signal whose usual action ends the process and that a user, a timer or a limit sends;
// SIGXFSZ ends it at a file-size limit (ulimit -f) in the middle of a write.
const int endingSignals[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGUSR1, SIGUSR2,
                             SIGALRM, SIGXFSZ, SIGVTALRM, SIGPROF, SIGXCPU};

// A file the user may not write (read-only, even for the superuser) is not replaced.
bool mayReplace(const std::string& target) {
  struct stat info;
  if (stat(target.c_str(), &info) != 0) return true;
  if (access(target.c_str(), W_OK) == 0 && (info.st_mode & 0222) != 0) return true;
  errno = EACCES;
  return false;
}

int makeTemporary(std::vector<char>& name, int suffixLength) {
  return mkostemps(name.data(), suffixLength, O_CLOEXEC);
}

size_t longestName(const std::string& folder) {
  const long longest = pathconf(folder.c_str(), _PC_NAME_MAX);
  return longest > 0 ? static_cast<size_t>(longest) : NAME_MAX;
}

// mkstemp makes the file private; the finished file gets the usual permissions.
void giveUsualMode(int fd) {
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
}

bool replaceFile(const char* from, const char* to) {
  return rename(from, to) == 0;
}

void useStandardOutputForBytes() {}

bool newFolder(const char* path) {
  return mkdir(path, 0777) == 0;
}

int openInPlace(const char* path, int flags) {
  return ::open(path, flags);
}

void removeName(const char* path) {
  unlink(path);
}

// A stopped reader (ffmpeg, or whatever reads standard output) shows as a failed write,
// reported with its own message, instead of ending the run.
void ignoreClosedPipes() {
  std::signal(SIGPIPE, SIG_IGN);
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
#endif

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
    if (used[i]) removeName(temporaries[i]);
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
  const size_t slash = path.find_last_of(separators);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const size_t slash = path.find_last_of(separators);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void installOutputCleanup() {
  std::atexit(removeTemporaries);
  // A signal the caller ignores (nohup ignores the hangup) stays ignored.
  for (int signal : endingSignals) {
    if (std::signal(signal, onSignal) == SIG_IGN) std::signal(signal, SIG_IGN);
  }
  ignoreClosedPipes();
}

bool makeFolder(const std::string& path, std::string& error) {
  if (newFolder(path.c_str()) || errno == EEXIST) {
    PathInfo info;
    if (pathInfo(path, info) && info.folder) return true;
    error = "cannot write into " + path + ": it is not a folder";
    return false;
  }
  error = "cannot make the folder " + path + ": " + std::strerror(errno);
  return false;
}

OutputFile::~OutputFile() {
  discard();
}

bool OutputFile::open(const std::string& path, std::string& error, const std::string& suffix) {
  path_ = path;
  if (path == "-") {
    fd_ = STDOUT_FILENO;
    useStandardOutputForBytes();
    inPlace_ = true;
    writing_ = "standard output";
    return true;
  }
  bool opened = false;
  if (!followLinks(path, target_, opened)) {
    error = describe("write", path);
    return false;
  }
  PathInfo info;
  if (opened || (pathInfo(target_, info) && !info.regular)) {
    if (!opened && info.folder) {
      error = "cannot write " + path + ": it is a folder";
      return false;
    }
    // A device, a pipe or an open file: nothing half-written is left behind under a name. An
    // open file is added to, as through the descriptor it stands for.
    fd_ = openInPlace(path.c_str(), O_WRONLY | privateFile | (opened ? O_APPEND : 0));
    if (fd_ < 0) {
      error = describe("write", path);
      return false;
    }
    inPlace_ = true;
    writing_ = path;
    return true;
  }
  if (!mayReplace(target_)) {
    error = describe("write", path);
    return false;
  }
  // The hidden name carries the final one only while it fits the file system's limit.
  const std::string hidden = "." + nameOf(target_);
  const bool fits = hidden.size() + suffix.size() + 15 <= longestName(folderOf(target_));
  std::string pattern = folderOf(target_) + "/" + (fits ? hidden : "") + ".partial-XXXXXX" + suffix;
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = makeTemporary(name, static_cast<int>(suffix.size()));
  if (fd_ < 0) {
    error = describe("write", path);
    return false;
  }
  writing_ = name.data();
  slot_ = listTemporary(writing_);
  giveUsualMode(fd_);
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
  if (!replaceFile(writing_.c_str(), target_.c_str())) {
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
  if (!writing_.empty()) removeName(writing_.c_str());
  unlistTemporary(slot_);
  slot_ = -1;
  writing_.clear();
}
