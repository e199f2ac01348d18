#include <sys/stat.h>
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "base/system.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

// The C runtime's own split of the wide command line, as it does for a wide main.
extern "C" int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** environment, int expand,
                              int* startup);

namespace {
// A graphical program has no console of its own: whoever double-clicked it sees no stream.
bool isGraphicalProgram() {
  const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
  return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}

std::string fullPath(const std::string& path) {
  const std::wstring name = toWide(path);
  const DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::vector<wchar_t> full(size);
  if (GetFullPathNameW(name.c_str(), size, full.data(), nullptr) == 0) return path;
  return fromWide(full.data());
}
}  // namespace

std::wstring toWide(const std::string& text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 1) return L"";
  std::wstring result(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, result.data(), size);
  result.resize(static_cast<size_t>(size - 1));
  return result;
}

std::string fromWide(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
  result.resize(static_cast<size_t>(size - 1));
  return result;
}

void setEnvironment(const char* name, const char* value, bool replace) {
  if (!replace && std::getenv(name) != nullptr) return;
  _putenv_s(name, value);
}

std::string programDirectory() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return "";
    if (length < path.size()) break;
    path.resize(path.size() * 2);
  }
  const std::string program = fromWide(path.data());
  const size_t separator = program.find_last_of(pathSeparators);
  return separator == std::string::npos ? "" : program.substr(0, separator);
}

const char* const pathSeparators = "/\\";

bool isAbsolutePath(const char* path) {
  const bool driveLetter =
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
      path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  return driveLetter || path[0] == '\\' || path[0] == '/';
}

std::vector<std::string> programArguments(int argc, char** argv) {
  int count = 0, startup = 0;
  wchar_t** arguments = nullptr;
  wchar_t** environment = nullptr;
  if (__wgetmainargs(&count, &arguments, &environment, 0, &startup) != 0 || count != argc) {
    return std::vector<std::string>(argv, argv + argc);
  }
  std::vector<std::string> result;
  for (int i = 0; i < count; ++i) result.push_back(fromWide(arguments[i]));
  return result;
}

std::FILE* openFile(const std::string& path, const char* mode) {
  return _wfopen(toWide(path).c_str(), toWide(mode).c_str());
}

bool pathInfo(const std::string& path, PathInfo& info) {
  struct _stat64 status;
  if (_wstat64(toWide(path).c_str(), &status) != 0) return false;
  info.folder = (status.st_mode & _S_IFMT) == _S_IFDIR;
  info.regular = (status.st_mode & _S_IFMT) == _S_IFREG;
  info.size = status.st_size;
  return true;
}

bool errorsGoToLiveTerminal() {
  const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (errors == INVALID_HANDLE_VALUE || !GetConsoleMode(errors, &mode)) return false;
  return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
         SetConsoleMode(errors, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

std::string missingFileAdvice(const std::string& path) {
  // A name relative to a working folder without res\ was looked for beside the program too,
  // which is where it belongs.
  std::string looked = path;
  PathInfo res;
  const std::string beside = programDirectory();
  if (!isAbsolutePath(path.c_str()) && !(pathInfo("res", res) && res.folder) && !beside.empty()) {
    looked = beside + "\\" + path;
  }
  return "It was looked for as " + fullPath(looked) +
         ": unpack the whole zip, keeping the res folder beside orbitra.exe, and start "
         "orbitra.exe there.";
}

std::string noSoundAdvice() {
  return "No sound device could be opened: connect speakers or headphones or turn the sound "
         "device on in the Windows sound settings, then start orbitra.exe again.";
}

void showFailureNotice(const std::string& text) {
  if (text.empty() || !isGraphicalProgram()) return;
  MessageBoxW(nullptr, toWide(text).c_str(), L"Orbitra", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}
