// The screen saver for Windows, orbitra.scr, started by Windows with /s (the saver itself, full
// screen, ended by a key, a click or the mouse moving), /p HWND (in the preview of the screen
// saver settings, until that window goes) or /c (its settings), the
// window's number after a blank or a colon and the letter in either case; with no argument (its
// right-click Configure) it says what it is, as with /c.
#include <windows.h>
#include <windowsx.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/system.h"
#include "picture.h"

namespace {
enum class Mode { settings, screen, preview };

Mode mode = Mode::settings;
bool ending = false;
bool mouseSeen = false;
POINT firstMouse = {};

// A mouse that moves at most this far is a table being knocked, not a person coming back.
constexpr int mouseSlack = 4;

HWND readWindow(const std::string& number) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(number.c_str(), &end, 10);
  if (end == number.c_str() || *end != '\0') return nullptr;
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

Mode readArguments(const std::vector<std::string>& arguments, HWND& window) {
  window = nullptr;
  if (arguments.size() < 2) return Mode::settings;
  const std::string& first = arguments[1];
  if (first.size() < 2 || (first[0] != '/' && first[0] != '-')) return Mode::settings;
  std::string number;
  if (first.size() > 3 && first[2] == ':') {
    number = first.substr(3);
  } else if (first.size() == 2 && arguments.size() > 2) {
    number = arguments[2];
  }
  if (!number.empty()) window = readWindow(number);
  switch (std::tolower(static_cast<unsigned char>(first[1]))) {
    case 's':
      return Mode::screen;
    case 'p':
      return Mode::preview;
    default:
      return Mode::settings;
  }
}

LRESULT CALLBACK handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (mode == Mode::screen) ending = true;
      break;
    case WM_MOUSEMOVE:
      if (mode == Mode::screen) {
        const POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (!mouseSeen) {
          firstMouse = at;
          mouseSeen = true;
        } else if (std::abs(at.x - firstMouse.x) > mouseSlack ||
                   std::abs(at.y - firstMouse.y) > mouseSlack) {
          ending = true;
        }
      }
      break;
    case WM_SETCURSOR:
      if (mode == Mode::screen) {
        SetCursor(nullptr);
        return TRUE;
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // each frame paints every pixel
    case WM_CLOSE:
    case WM_DESTROY:
      ending = true;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void show(HWND window, const SaverPicture& picture, const std::vector<uint32_t>& colours,
          std::vector<uint32_t>& pixels) {
  RECT area;
  GetClientRect(window, &area);
  const PictureFit fit = fitPicture(area.right, area.bottom);
  HDC dc = GetDC(window);
  if (fit.width > 0) {
    pixels.resize(static_cast<size_t>(fit.width) * fit.height);
    picture.scaleInto(fit, pixels.data(), fit.width, colours);
    BITMAPINFO bitmap = {};
    bitmap.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bitmap.bmiHeader.biWidth = fit.width;
    bitmap.bmiHeader.biHeight = -fit.height;  // top row first
    bitmap.bmiHeader.biPlanes = 1;
    bitmap.bmiHeader.biBitCount = 32;
    bitmap.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, fit.x, fit.y, static_cast<DWORD>(fit.width),
                      static_cast<DWORD>(fit.height), 0, 0, 0, static_cast<UINT>(fit.height),
                      pixels.data(), &bitmap, DIB_RGB_COLORS);
    ExcludeClipRect(dc, fit.x, fit.y, fit.x + fit.width, fit.y + fit.height);
  }
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(window, dc);
}

void describe(HWND owner) {
  const std::wstring text = toWide(
      "See the licences folder beside orbitra.scr for its licences.\n\nThe Orbitra intro of "
      "2007 as a screen saver, without its music, enlarged by a whole factor and centred on "
      "black. To use it, right-click orbitra.scr and choose Install, keeping the res folder "
      "beside it. It has no settings.");
  MessageBoxW(owner, text.c_str(), L"Orbitra", MB_OK | MB_ICONINFORMATION);
}
}  // namespace

int main(int argc, char** argv) {
  HWND parent = nullptr;
  mode = readArguments(programArguments(argc, argv), parent);
  if (mode == Mode::settings) {
    describe(parent != nullptr && IsWindow(parent) ? parent : nullptr);
    return 0;
  }

  SaverPicture picture;
  if (!picture.start()) return 1;
  HWND window = parent;
  if (mode == Mode::screen) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW kind = {};
    kind.lpfnWndProc = handleMessage;
    kind.hInstance = instance;
    kind.lpszClassName = L"OrbitraSaver";
    kind.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassW(&kind);
    window = CreateWindowExW(WS_EX_TOPMOST, kind.lpszClassName, L"Orbitra", WS_POPUP | WS_VISIBLE,
                             0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                             nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
  }
  // The preview is drawn straight into the settings' window, which is another program's: a
  // window of the saver's own inside it would show nothing under Wine.
  const std::vector<uint32_t> colours = picture.colourTable(0xff0000, 0xff00, 0xff);
  std::vector<uint32_t> pixels;
  while (!ending && IsWindow(window)) {
    picture.drawFrame();
    show(window, picture, colours, pixels);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (!ending) picture.waitForNextFrame();
  }
  if (mode == Mode::screen && IsWindow(window)) DestroyWindow(window);
  return 0;
}
