#include <windows.h>

#include <cstdio>
#include <vector>

#include "app/machine_facts.h"
#include "toolkit/base/system_library.h"

namespace {

using GetFileVersionInfoSizeWFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using GetFileVersionInfoWFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
using VerQueryValueWFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

// version.dll is not a known system DLL, so it is loaded at run time from System32 only;
// a copy planted next to the installer is never picked up.
struct VersionApi {
  GetFileVersionInfoSizeWFn getSize = nullptr;
  GetFileVersionInfoWFn getInfo = nullptr;
  VerQueryValueWFn query = nullptr;

  bool Load() {
    HMODULE module = base::LoadSystemLibrary(L"version.dll");
    getSize = base::GetSystemFunction<GetFileVersionInfoSizeWFn>(module, "GetFileVersionInfoSizeW");
    getInfo = base::GetSystemFunction<GetFileVersionInfoWFn>(module, "GetFileVersionInfoW");
    query = base::GetSystemFunction<VerQueryValueWFn>(module, "VerQueryValueW");
    return getSize && getInfo && query;
  }
};

std::wstring& VersionCache() {
  static std::wstring* cache = new std::wstring;  // lives until the process ends
  return *cache;
}

}  // namespace

std::wstring GetFileVersionString() {
  std::wstring& cache = VersionCache();
  if (!cache.empty()) return cache;
  cache = L"1.0.0.0";

  wchar_t path[MAX_PATH] = {};
  if (GetModuleFileNameW(nullptr, path, MAX_PATH) == 0) return cache;
  VersionApi api;
  if (!api.Load()) return cache;
  DWORD handle = 0;
  const DWORD size = api.getSize(path, &handle);
  if (size == 0) return cache;

  std::vector<BYTE> info(size);
  if (!api.getInfo(path, 0, size, info.data())) return cache;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (api.query(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) && fixed &&
      fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
    wchar_t text[64] = {};
    std::swprintf(text, 64, L"%d.%d.%d.%d", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                  LOWORD(fixed->dwFileVersionLS));
    cache = text;
  }
  return cache;
}
