#include <windows.h>

#include <cstdio>
#include <vector>

#include "app/file_version.h"
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

bool ReadFileVersion(const std::wstring& path, uint64_t* version) {
  VersionApi api;
  if (!api.Load()) return false;
  DWORD handle = 0;
  const DWORD size = api.getSize(path.c_str(), &handle);
  if (size == 0) return false;
  std::vector<BYTE> info(size);
  if (!api.getInfo(path.c_str(), 0, size, info.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!api.query(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
      fixedSize < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != VS_FFI_SIGNATURE) {
    return false;
  }
  *version = (uint64_t{fixed->dwFileVersionMS} << 32) | fixed->dwFileVersionLS;
  return true;
}

std::wstring FormatFileVersion(uint64_t version) {
  wchar_t text[64] = {};
  std::swprintf(text, 64, L"%u.%u.%u.%u", static_cast<unsigned>(version >> 48),
                static_cast<unsigned>((version >> 32) & 0xFFFF),
                static_cast<unsigned>((version >> 16) & 0xFFFF),
                static_cast<unsigned>(version & 0xFFFF));
  return text;
}

bool ParseFileVersion(const std::wstring& text, uint64_t* version) {
  uint64_t result = 0;
  size_t at = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (at >= text.size() || text[at] != L'.') return false;
      ++at;
    }
    const size_t start = at;
    uint32_t value = 0;
    while (at < text.size() && at - start < 6 && text[at] >= L'0' && text[at] <= L'9')
      value = value * 10 + static_cast<uint32_t>(text[at++] - L'0');
    if (at == start || value > 0xFFFF) return false;
    result = (result << 16) | value;
  }
  if (at != text.size()) return false;
  *version = result;
  return true;
}

std::wstring GetFileVersionString() {
  std::wstring& cache = VersionCache();
  if (!cache.empty()) return cache;
  cache = L"1.0.0.0";
  wchar_t path[MAX_PATH] = {};
  if (GetModuleFileNameW(nullptr, path, MAX_PATH) == 0) return cache;
  uint64_t version = 0;
  if (ReadFileVersion(path, &version)) cache = FormatFileVersion(version);
  return cache;
}
