#include <windows.h>

#include "app/machine_facts.h"
#include "app/os_display_name.h"

// The answers follow the executable's manifest: without Windows 8.1 and 10 in its supported
// systems, the platform reports those releases as Windows 8.
bool IsVersionAtLeast(int major, int minor, int servicePackMajor) {
  OSVERSIONINFOEXW wanted = {};
  wanted.dwOSVersionInfoSize = sizeof(wanted);
  wanted.dwMajorVersion = static_cast<DWORD>(major);
  wanted.dwMinorVersion = static_cast<DWORD>(minor);
  wanted.wServicePackMajor = static_cast<WORD>(servicePackMajor);
  DWORDLONG mask = VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
  mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
  mask = VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
  return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                            mask) != FALSE;
}

bool IsServerEdition() {
  OSVERSIONINFOEXW wanted = {};
  wanted.dwOSVersionInfoSize = sizeof(wanted);
  wanted.wProductType = VER_NT_WORKSTATION;
  const DWORDLONG mask = VerSetConditionMask(0, VER_PRODUCT_TYPE, VER_EQUAL);
  return VerifyVersionInfoW(&wanted, VER_PRODUCT_TYPE, mask) == FALSE;
}

std::wstring GetOsDisplayName() {
  return PickOsDisplayName(IsServerEdition(), &IsVersionAtLeast);
}

bool Is64BitWindows() {
  SYSTEM_INFO info = {};
  GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
         info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}
