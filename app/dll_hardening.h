// Keeps the installer from loading libraries out of its own folder. The installer runs as
// administrator straight from a Downloads folder, where a planted version.dll or similar
// would otherwise run with those rights.
//
//   HardenDllSearchPath();                        // first statement of wWinMain
//   HMODULE shcore = LoadSystemLibrary(L"shcore.dll");
//
// Every library loaded by name at run time goes through LoadSystemLibrary. Libraries that
// are not KnownDLLs are delay-loaded (brightmere_delay_load in cmake/DelayLoad.cmake); their
// loads go through LoadSystemLibrary as well.
//
// Threading: HardenDllSearchPath once, on the main thread, before any other thread exists;
// LoadSystemLibrary on any thread.
#pragma once

#include <windows.h>

// Restricts the process's library search to System32 where the system allows it
// (SetDefaultDllDirectories); elsewhere at least drops the current directory from it.
void HardenDllSearchPath();

// Loads a library from System32 only. Null when it isn't there.
HMODULE LoadSystemLibrary(const wchar_t* name);
