#include "app/dpi.h"

#include <windows.h>

#include "toolkit/base/system_library.h"

namespace {

bool IsWindowsVersionAtLeast(DWORD major, DWORD minor) {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  info.dwMajorVersion = major;
  info.dwMinorVersion = minor;
  DWORDLONG mask = 0;
  mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
  mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
  return VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION, mask) != FALSE;
}

int ScreenLogPixelsX() {
  HDC screen = GetDC(nullptr);
  if (!screen)
    return kDefaultDpi;
  int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

int GetSystemDpi() {
  if (!IsWindowsVersionAtLeast(6, 2))
    return ScreenLogPixelsX();
  using GetDpiForSystemFn = UINT(WINAPI*)();
  static const auto getDpiForSystem = base::GetSystemFunction<GetDpiForSystemFn>(
      L"user32.dll", "GetDpiForSystem");
  return getDpiForSystem ? static_cast<int>(getDpiForSystem()) : kDefaultDpi;
}

std::wstring ThemeFolderForDpi(int dpi) {
  if (dpi <= 100)
    return L"themes\\default";
  if (dpi <= 131)
    return L"themes\\default-hdpi";
  return L"themes\\default-xhdpi";
}

bool EnableDpiAdaptation() {
  if (!IsWindowsVersionAtLeast(6, 0))
    return true;
  using SetAwarenessFn = BOOL(WINAPI*)(int);
  using SetDpiAwareFn = BOOL(WINAPI*)();
  constexpr int kPerMonitorAware = 2;
  auto setAwareness =
      base::GetSystemFunction<SetAwarenessFn>(L"user32.dll", "SetProcessDpiAwarenessInternal");
  if (setAwareness && setAwareness(kPerMonitorAware) == 0)
    return true;
  auto setDpiAware = base::GetSystemFunction<SetDpiAwareFn>(L"user32.dll", "SetProcessDPIAware");
  return setDpiAware && setDpiAware() != FALSE;
}

int GetMainMonitorDpi() {
  if (!IsWindowsVersionAtLeast(6, 2))
    return ScreenLogPixelsX();
  using GetDpiForMonitorFn = BOOL(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  auto getDpiForMonitor =
      base::GetSystemFunction<GetDpiForMonitorFn>(L"user32.dll", "GetDpiForMonitorInternal");
  if (!getDpiForMonitor)
    return kDefaultDpi;
  HMONITOR monitor = MonitorFromPoint(POINT{1, 1}, MONITOR_DEFAULTTONEAREST);
  UINT x = 0;
  UINT y = 0;
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  if (!monitor || !getDpiForMonitor(monitor, kEffectiveDpi, &x, &y) || x == 0)
    return kDefaultDpi;
  return static_cast<int>(x);
}

int ComputeDisplayScale(bool adaptationOn, int monitorDpi) {
  if (!adaptationOn)
    return 100;
  return MulDiv(monitorDpi, 100, kDefaultDpi);
}
