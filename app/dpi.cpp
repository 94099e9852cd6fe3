#include "app/dpi.h"

#include <windows.h>

#include "app/dll_hardening.h"

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

// user32 is loaded by every GUI process and is a KnownDLL.
template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32)
    user32 = LoadSystemLibrary(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
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
  static const auto getDpiForSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
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
  auto setAwareness = User32Function<SetAwarenessFn>("SetProcessDpiAwarenessInternal");
  if (setAwareness && setAwareness(kPerMonitorAware) == 0)
    return true;
  auto setDpiAware = User32Function<SetDpiAwareFn>("SetProcessDPIAware");
  return setDpiAware && setDpiAware() != FALSE;
}

int GetMainMonitorDpi() {
  if (!IsWindowsVersionAtLeast(6, 2))
    return ScreenLogPixelsX();
  using GetDpiForMonitorFn = BOOL(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  auto getDpiForMonitor = User32Function<GetDpiForMonitorFn>("GetDpiForMonitorInternal");
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
