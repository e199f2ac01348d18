/* The saver check's stand-in for the preview of Windows' screen saver settings: a window with
   a 160x120 client area, titled "Preview", whose number goes to standard output; it closes
   itself after the seconds its argument gives. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static LRESULT CALLBACK handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) DestroyWindow(window);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

int main(int argc, char** argv) {
  WNDCLASSW kind = {0};
  kind.lpfnWndProc = handle;
  kind.hInstance = GetModuleHandleW(NULL);
  kind.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  kind.lpszClassName = L"Preview";
  RegisterClassW(&kind);
  RECT area = {0, 0, 160, 120};
  AdjustWindowRect(&area, WS_OVERLAPPEDWINDOW, FALSE);
  HWND window = CreateWindowW(L"Preview", L"Preview", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              area.right - area.left, area.bottom - area.top, NULL, NULL,
                              kind.hInstance, NULL);
  printf("%llu\n", (unsigned long long)(uintptr_t)window);
  fflush(stdout);
  SetTimer(window, 1, argc > 1 ? 1000u * (UINT)atoi(argv[1]) : 10000u, NULL);
  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
