// Test probe for library planting, started from a folder that also holds a planted
// version.dll. Exit code 0 when the library call it makes succeeded.
//   plain-load      LoadLibraryW, as a careless program would (must find the planted copy)
//   hardened-load   HardenDllSearchPath, then LoadLibraryW
//   system-load     base::LoadSystemLibrary alone
//   delay-call      HardenDllSearchPath, then a delay-loaded version.dll function
//   delay-call-only a delay-loaded version.dll function without HardenDllSearchPath
//   float-call      as the installer starts (hardened, GDI+ bound), a first call of a GDI+
//                   function that takes a float in a register on x86_64
//   float-call-unbound  the same first call through the delay-load stub
#include <windows.h>

#include <string>

#include "app/dll_hardening.h"
#include "toolkit/base/system_library.h"
#include "toolkit/ui/win/gdiplus_include.h"

DECLARE_DELAY_IMPORTS(gdiplus);

namespace {

int CallVersionFunction() {
  DWORD handle = 0;
  GetFileVersionInfoSizeW(L"C:\\windows\\system32\\kernel32.dll", &handle);
  return 0;  // reaching here means the delay-loaded call was resolved
}

// The hook start-up installs (app/dll_hardening.cpp), called by the delay-load helper.
PfnDliHook hardeningHook = nullptr;

// Uses the float argument registers, as any code between a stub and its target may (the
// loader does, on a library's first load): what the stub does not save is then lost for sure.
FARPROC WINAPI FloatUsingHook(unsigned notification, PDelayLoadInfo info) {
#if defined(__x86_64__)
  asm volatile("xorps %%xmm0, %%xmm0\n\txorps %%xmm1, %%xmm1\n\t"
               "xorps %%xmm2, %%xmm2\n\txorps %%xmm3, %%xmm3" ::: "xmm0", "xmm1", "xmm2", "xmm3");
#endif
  return hardeningHook(notification, info);
}

// 0 when GDI+ made a pen of the width asked for: the float argument arrived.
int CallFloatFunction() {
  using namespace Gdiplus;
  hardeningHook = __pfnDliNotifyHook2;
  __pfnDliNotifyHook2 = FloatUsingHook;
  ULONG_PTR token = 0;
  GdiplusStartupInput input;
  if (GdiplusStartup(&token, &input, nullptr) != Ok)
    return 3;
  GpPen* pen = nullptr;
  REAL width = 0;
  if (DllExports::GdipCreatePen1(0xff000000, 2.5f, UnitPixel, &pen) != Ok ||
      DllExports::GdipGetPenWidth(pen, &width) != Ok) {
    return 4;
  }
  return width == 2.5f ? 0 : 5;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"plain-load")
    return LoadLibraryW(L"version.dll") ? 0 : 1;
  if (mode == L"hardened-load") {
    HardenDllSearchPath();
    return LoadLibraryW(L"version.dll") ? 0 : 1;
  }
  if (mode == L"system-load")
    return base::LoadSystemLibrary(L"version.dll") ? 0 : 1;
  if (mode == L"delay-call") {
    HardenDllSearchPath();
    return CallVersionFunction();
  }
  if (mode == L"delay-call-only")
    return CallVersionFunction();
  if (mode == L"float-call") {
    HardenDllSearchPath();
    if (!BindDelayLoadedImports(DELAY_IMPORTS_OF(gdiplus)))
      return 6;
    return CallFloatFunction();
  }
  if (mode == L"float-call-unbound") {
    HardenDllSearchPath();
    return CallFloatFunction();
  }
  return 2;
}
