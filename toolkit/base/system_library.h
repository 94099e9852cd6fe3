// The one way the program loads a library by name and takes a function from it. The installer
// runs as administrator straight from a Downloads folder, where a planted copy of a system
// library (version.dll, dwmapi.dll, ...) would otherwise run with those rights; so a library
// comes from System32 only, and a name that carries a path is refused.
//
//   HMODULE version = base::LoadSystemLibrary(L"version.dll");
//   auto isEnabled = base::GetSystemFunction<HRESULT(WINAPI*)(BOOL*)>(
//       L"dwmapi.dll", "DwmIsCompositionEnabled");  // null when either is missing
//   if (isEnabled) isEnabled(&enabled);
//
// A library loaded here stays loaded for the life of the process, so a function taken from it
// may be kept in a static. Threading: any thread.
#pragma once

#include <windows.h>

namespace base {

// Loads a library from System32 only. Null when `name` is not a plain file name (it holds a
// '\\', '/' or ':') or the library is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The address of an export, typed; null when `module` is null or has no such export.
template <typename Fn>
Fn GetSystemFunction(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // FARPROC to a function pointer of another type: through void* to keep the cast explicit
  // (and GCC's -Wcast-function-type quiet).
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The same from a System32 library loaded by name (LoadSystemLibrary).
template <typename Fn>
Fn GetSystemFunction(const wchar_t* library, const char* name) {
  return GetSystemFunction<Fn>(LoadSystemLibrary(library), name);
}

}  // namespace base
