#include <windows.h>

#include <cstdlib>
#include <vector>

#include "base/system.h"

namespace {
// The libraries open files through the C runtime's narrow functions, which read names in the
// system's ANSI code page: paths handed to them are converted to that.
std::string narrow(const wchar_t* text, UINT codePage) {
  const int size = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text, -1, result.data(), size, nullptr, nullptr);
  result.resize(static_cast<size_t>(size - 1));
  return result;
}

std::wstring wide(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 1) return L"";
  std::wstring result(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), size);
  result.resize(static_cast<size_t>(size - 1));
  return result;
}

// A graphical program has no console of its own: whoever double-clicked it sees no stream.
bool isGraphicalProgram() {
  const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
  return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}
}  // namespace

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
  const std::string program = narrow(path.data(), CP_ACP);
  const size_t separator = program.find_last_of("\\/");
  return separator == std::string::npos ? "" : program.substr(0, separator);
}

bool isAbsolutePath(const char* path) {
  const bool driveLetter =
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
      path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  return driveLetter || path[0] == '\\' || path[0] == '/';
}

void showFailureNotice(const std::string& text) {
  if (text.empty() || !isGraphicalProgram()) return;
  MessageBoxW(nullptr, wide(text).c_str(), L"Orbitra", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}
