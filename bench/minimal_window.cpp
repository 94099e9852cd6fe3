// The start-up reference: the smallest GDI+ window program, built with the installer's
// toolchain and flags. It paints a 600x400 window once with GDI+ (a fill and a line of text),
// records the same start-up times as the installer (INSTALLER_TRACE_STARTUP) and ends.
// With "--stay" it stays open instead: the idle window the responsiveness probe compares
// the installer with.
// Threading: one thread.
#include <windows.h>
#include <objidl.h>

#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include "app/startup/startup_trace.h"

namespace {

bool stayOpen = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      {
        Gdiplus::Graphics graphics(dc);
        graphics.Clear(Gdiplus::Color(255, 255, 255, 255));
        Gdiplus::SolidBrush brush(Gdiplus::Color(255, 40, 120, 220));
        graphics.FillRectangle(&brush, 0, 0, 600, 60);
        Gdiplus::FontFamily family(L"Tahoma");
        Gdiplus::Font font(&family, 12);
        Gdiplus::SolidBrush text(Gdiplus::Color(255, 0, 0, 0));
        graphics.DrawString(L"Minimal window", -1, &font, Gdiplus::PointF(20, 100), &text);
      }
      EndPaint(window, &ps);
      TracePaintDone(ps.rcPaint);
      if (!stayOpen) PostMessageW(window, WM_CLOSE, 0, 0);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showMode) {
  BeginStartupTrace();
  stayOpen = commandLine && wcsstr(commandLine, L"--stay");
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = L"BenchMinimalWindow";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Minimal GDI+ window", WS_POPUP,
                                CW_USEDEFAULT, CW_USEDEFAULT, 600, 400, nullptr, nullptr,
                                instance, nullptr);
  ShowWindow(window, showMode);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  Gdiplus::GdiplusShutdown(token);
  return 0;
}
