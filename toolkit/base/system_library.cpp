#include "toolkit/base/system_library.h"

#include <string>

namespace base {
namespace {

constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

bool IsPlainFileName(const wchar_t* name) {
  for (const wchar_t* p = name; *p; ++p) {
    if (*p == L'\\' || *p == L'/' || *p == L':')
      return false;
  }
  return *name != L'\0';
}

}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (!name || !IsPlainFileName(name))
    return nullptr;
  HMODULE module = LoadLibraryExW(name, nullptr, kSearchSystem32);
  if (module || GetLastError() != ERROR_INVALID_PARAMETER)
    return module;
  // The flag is unknown before KB2533623: name the file in System32 by its full path.
  wchar_t dir[MAX_PATH];
  UINT length = GetSystemDirectoryW(dir, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return nullptr;
  std::wstring path(dir, length);
  path += L'\\';
  path += name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace base
