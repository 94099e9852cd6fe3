// Finding and ending running programs by executable name, running a program hidden while
// waiting for its exit code, and ending this process. The install flow uses them to make sure the installed
// program is not running while its setup replaces it, and to run the package's silent setup.
//
//   if (FindProcessesByName(L"brightmere.exe", false) > 0) { ... ask the user ... }
//   int code = RunHiddenAndWait(L"", L"\"C:\\Temp\\setup.exe\" /S /D=C:\\Apps\\x");
//
// Threading: any thread. RunHiddenAndWait blocks until the child ends, so it belongs on a
// worker, never on the UI thread.
#pragma once

#include <string>

// Ends this process at once with `exitCode`. Every way out of the installer ends here: with
// the workers running, an orderly exit (ExitProcess) would first wait for the loader lock and
// run every library's detach code, and hangs when a worker holds that lock at that moment.
[[noreturn]] void EndProcessNow(int exitCode);

// Result of RunHiddenAndWait when the child ended but its exit code could not be read.
constexpr int kExitCodeUnreadable = -10002;

// Counts the running processes whose executable file name equals `exeName` exactly (case
// matters; no directory). With `terminate` set, every match that can be opened is ended with
// exit code 0. A match that cannot be opened still counts. No process list: 0.
int FindProcessesByName(const std::wstring& exeName, bool terminate);

// Starts `commandLine` (and `appName` when not empty) with its window hidden, waits for it
// without a time limit and returns its exit code, kExitCodeUnreadable, or the system error
// code when it cannot be started (2 for a program that does not exist).
int RunHiddenAndWait(const std::wstring& appName, const std::wstring& commandLine);
