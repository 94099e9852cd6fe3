// Loads a system DLL that is not protected by the loader's known-DLL list (rich edit,
// accessibility, desktop composition) from the System32 folder only, never from the folder
// the installer was started from.
//
//   HMODULE oleacc = ui::LoadSystemLibrary(L"oleacc.dll");
//
// Threading: any thread.
#pragma once

#include <windows.h>

namespace ui {

HMODULE LoadSystemLibrary(const wchar_t* name);

// The address of `proc` in a System32 library, loaded on first use and kept loaded; null when
// either is missing.
FARPROC GetSystemProc(const wchar_t* library, const char* proc);

// The same, typed: GetSystemFunction<HRESULT(WINAPI*)(BOOL*)>(L"dwmapi.dll", "...").
template <typename Fn>
Fn GetSystemFunction(const wchar_t* library, const char* proc) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetSystemProc(library, proc)));
}

}  // namespace ui
