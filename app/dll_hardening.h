// Keeps the installer from loading libraries out of its own folder. The installer runs as
// administrator straight from a Downloads folder, where a planted version.dll or similar
// would otherwise run with those rights.
//
//   HardenDllSearchPath();                        // first statement of wWinMain
//   BindDelayLoadedImports(DELAY_IMPORTS_OF(gdiplus));
//
// Every library loaded by name at run time goes through base::LoadSystemLibrary
// (toolkit/base/system_library.h). Libraries that are not KnownDLLs are delay-loaded
// (cmake/DelayLoad.cmake); their loads go through it as well.
//
// Threading: both once, on the main thread, before any other thread exists.
#pragma once

#include <windows.h>
#include <delayimp.h>

// Restricts the process's library search to System32 where the system allows it
// (SetDefaultDllDirectories); elsewhere at least drops the current directory from it.
void HardenDllSearchPath();

// Resolves now, after HardenDllSearchPath, every function the program takes from a
// delay-loaded library. Needed for libraries whose functions take float arguments: binutils'
// x86_64 delay-load stub saves the integer argument registers but not xmm0-xmm3, so the first
// call of each such function through the stub would receive garbage for its float arguments.
// False when the library or one of the functions cannot be loaded.
bool BindDelayLoadedImports(const ImgDelayDescr& imports);

// The delay import descriptor of lib<name> in a program that delay-loads it
// (cmake/DelayLoad.cmake; dlltool names it after the delay import library's file, without
// the i686 leading underscore, hence the assembler name).
#define DELAY_IMPORTS_OF(name) delay_imports_of_##name
#define DECLARE_DELAY_IMPORTS(name)                   \
  extern "C" const ImgDelayDescr DELAY_IMPORTS_OF(name) \
      __asm__("__DELAY_IMPORT_DESCRIPTOR_lib" #name "_a")
