// Test probe: reports the DPI facts of a freshly started process as its exit code, since
// the system DPI of a process is fixed when it starts.
//   app_entry_dpi_probe system   → GetSystemDpi()
//   app_entry_dpi_probe scale    → display scale after EnableDpiAdaptation()
#include <string>

#include "app/dpi.h"

int wmain(int argc, wchar_t** argv) {
  std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"system")
    return GetSystemDpi();
  if (mode == L"scale")
    return ComputeDisplayScale(EnableDpiAdaptation(), GetMainMonitorDpi());
  return -1;
}
