#include "toolkit/ui/win/system_library.h"

namespace ui {

HMODULE LoadSystemLibrary(const wchar_t* name) {
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  HMODULE module = LoadLibraryExW(name, nullptr, kSearchSystem32);
  if (module) return module;
  // Systems without the search flags (no KB2533623) reject it: spell the path out instead.
  wchar_t path[MAX_PATH];
  UINT n = GetSystemDirectoryW(path, MAX_PATH);
  if (n == 0 || n + 1 + lstrlenW(name) >= MAX_PATH) return nullptr;
  lstrcatW(path, L"\\");
  lstrcatW(path, name);
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC GetSystemProc(const wchar_t* library, const char* proc) {
  HMODULE module = GetModuleHandleW(library);
  if (!module) module = LoadSystemLibrary(library);
  return module ? GetProcAddress(module, proc) : nullptr;
}

}  // namespace ui
