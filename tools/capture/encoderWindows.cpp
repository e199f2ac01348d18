// The encoder as a child process on Windows: ffmpeg.exe started with CreateProcess, frames
// through a pipe, its messages into a temporary file that goes away when closed.
#include <windows.h>

#include <cstdlib>
#include <sstream>

#include "base/system.h"
#include "encoder.h"

namespace {
// One argument as the C runtime of the started program splits its command line again.
std::string quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, '\\');
  return out + "\"";
}

HANDLE handle(void* h) {
  return static_cast<HANDLE>(h);
}

std::string systemError(const std::string& what) {
  return what + " (Windows error " + std::to_string(GetLastError()) + ")";
}
}  // namespace

std::string findProgram(const std::string& name) {
  const wchar_t* path = _wgetenv(L"PATH");
  std::stringstream folders(path ? fromWide(path) : "");
  std::string folder;
  while (std::getline(folders, folder, ';')) {
    if (folder.empty()) continue;
    const std::string candidate = folder + "\\" + name + ".exe";
    PathInfo info;
    if (pathInfo(candidate, info) && info.regular) return candidate;
  }
  return "";
}

Encoder::~Encoder() {
  if (input_ != nullptr) CloseHandle(handle(input_));
  if (process_ != nullptr) {
    TerminateProcess(handle(process_), 1);
    WaitForSingleObject(handle(process_), INFINITE);
    CloseHandle(handle(process_));
  }
  if (messages_ != nullptr) CloseHandle(handle(messages_));
}

bool Encoder::start(const std::string& program, const EncoderSettings& settings,
                    std::string& error) {
  std::string commandLine = quoted(program);
  for (const std::string& arg : encoderArguments(settings)) commandLine += " " + quoted(arg);

  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
  if (GetTempPathW(MAX_PATH + 1, folder) != 0 && GetTempFileNameW(folder, L"orb", 0, name) != 0) {
    HANDLE messages = CreateFileW(
        name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (messages != INVALID_HANDLE_VALUE) messages_ = messages;
  }
  HANDLE nothing = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inherited, OPEN_EXISTING, 0, nullptr);
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherited, 1 << 20)) {
    error = systemError("cannot start ffmpeg");
    if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
    return false;
  }
  // Only the child's end is inherited.
  SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = readEnd;
  startup.hStdOutput = nothing;
  startup.hStdError = messages_ != nullptr ? handle(messages_) : nothing;
  PROCESS_INFORMATION started{};
  std::wstring wideCommandLine = toWide(commandLine);
  const BOOL ok = CreateProcessW(toWide(program).c_str(), wideCommandLine.data(), nullptr, nullptr,
                                 TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started);
  CloseHandle(readEnd);
  if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
  if (!ok) {
    error = systemError("cannot start ffmpeg");
    CloseHandle(writeEnd);
    return false;
  }
  CloseHandle(started.hThread);
  process_ = started.hProcess;
  input_ = writeEnd;
  output_ = settings.outputFile;
  return true;
}

bool Encoder::write(const std::vector<uint8_t>& rgb, std::string& error) {
  const uint8_t* bytes = rgb.data();
  size_t left = rgb.size();
  while (left > 0) {
    DWORD written = 0;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    if (!WriteFile(handle(input_), bytes, chunk, &written, nullptr)) {
      // ffmpeg has stopped reading: its own message says why.
      error = failure("ffmpeg stopped");
      return false;
    }
    bytes += written;
    left -= written;
  }
  return true;
}

bool Encoder::endProcess() {
  if (input_ != nullptr) CloseHandle(handle(input_));
  input_ = nullptr;
  if (process_ == nullptr) return false;
  WaitForSingleObject(handle(process_), INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(handle(process_), &status);
  CloseHandle(handle(process_));
  process_ = nullptr;
  return status == 0;
}

std::string Encoder::messages() {
  std::string text;
  if (messages_ == nullptr) return text;
  char buffer[4096];
  DWORD got = 0;
  SetFilePointer(handle(messages_), 0, nullptr, FILE_BEGIN);
  while (ReadFile(handle(messages_), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    text.append(buffer, got);
  }
  return text;
}
