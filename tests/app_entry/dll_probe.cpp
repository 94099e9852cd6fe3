// Test probe for library planting, started from a folder that also holds a planted
// version.dll. Exit code 0 when the library call it makes succeeded.
//   plain-load      LoadLibraryW, as a careless program would (must find the planted copy)
//   hardened-load   HardenDllSearchPath, then LoadLibraryW
//   system-load     LoadSystemLibrary alone
//   delay-call      HardenDllSearchPath, then a delay-loaded version.dll function
//   delay-call-only a delay-loaded version.dll function without HardenDllSearchPath
#include <windows.h>

#include <string>

#include "app/dll_hardening.h"

namespace {

int CallVersionFunction() {
  DWORD handle = 0;
  GetFileVersionInfoSizeW(L"C:\\windows\\system32\\kernel32.dll", &handle);
  return 0;  // reaching here means the delay-loaded call was resolved
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
    return LoadSystemLibrary(L"version.dll") ? 0 : 1;
  if (mode == L"delay-call") {
    HardenDllSearchPath();
    return CallVersionFunction();
  }
  if (mode == L"delay-call-only")
    return CallVersionFunction();
  return 2;
}
