#include "app/dll_hardening.h"

#include <string>

#include "toolkit/base/system_library.h"

// The runtime's delay-load helper, which the import stubs call: resolves one import.
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr imports, FARPROC* entry);
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// The delay-load helper asks here before it loads a library itself, so delay-loaded
// libraries come from System32 even where SetDefaultDllDirectories is missing.
FARPROC WINAPI DelayLoadNotify(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary || !info || !info->szDll)
    return nullptr;
  std::wstring name;
  for (const char* p = info->szDll; *p; ++p)
    name.push_back(static_cast<unsigned char>(*p));  // system library names are ASCII
  return reinterpret_cast<FARPROC>(base::LoadSystemLibrary(name.c_str()));
}

}  // namespace

// Declared extern "C" by <delayimp.h>; defining it here replaces the runtime's empty hook.
PfnDliHook __pfnDliNotifyHook2 = DelayLoadNotify;

void HardenDllSearchPath() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  // kernel32 is always loaded and is a KnownDLL, so this lookup cannot be planted.
  auto setDefault = base::GetSystemFunction<SetDefaultDllDirectoriesFn>(
      GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  if (setDefault && setDefault(kSearchSystem32))
    return;
  // Windows 7 without KB2533623: the best the old loader offers.
  SetDllDirectoryW(L"");
}

bool BindDelayLoadedImports(const ImgDelayDescr& imports) {
  // The table of the functions this program takes holds only those it calls; each is
  // resolved as its first call through the stub would (the load goes through the hook above).
  auto* base = reinterpret_cast<BYTE*>(&__ImageBase);
  auto* entries = reinterpret_cast<FARPROC*>(base + imports.rvaIAT);
  auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + imports.rvaINT);
  for (size_t i = 0; names[i].u1.AddressOfData; ++i) {
    if (!__delayLoadHelper2(&imports, &entries[i]))
      return false;
  }
  return true;
}
