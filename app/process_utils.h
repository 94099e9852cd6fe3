// Finding and ending running programs by executable name, running a program hidden while
// waiting for its exit code, and ending this process. The install flow uses them to make sure the installed
// program is not running while its setup replaces it, and to run the package's silent setup.
//
//   if (FindProcessesByName(build::kAppExeName, false) > 0) { ... ask the user ... }
//   int code = RunHiddenAndWait(L"", L"\"C:\\Temp\\setup.exe\" /S /D=C:\\Apps\\x");
//
// Threading: any thread. RunHiddenAndWait blocks until the child ends, so it belongs on a
// worker, never on the UI thread.
#pragma once

#include <functional>
#include <string>

// Ends this process at once with `exitCode`. Every way out of the installer ends here: with
// the workers running, an orderly exit (ExitProcess) would first wait for the loader lock and
// run every library's detach code, and hangs when a worker holds that lock at that moment.
[[noreturn]] void EndProcessNow(int exitCode);

// Result of RunHiddenAndWait when the child ended but its exit code could not be read.
constexpr int kExitCodeUnreadable = -10002;
// Result of RunHiddenAndWait when the start check refused the new process:
// ERROR_INVALID_IMAGE_HASH, whose system text says the file's signature cannot be verified.
constexpr int kStartRefused = 577;

// Looks at a new process (a HANDLE) before it runs a single instruction of its own; false
// ends it instead.
using StartCheck = std::function<bool(void* process)>;

// Counts the running processes whose executable file name equals `exeName` exactly (case
// matters; no directory). With `terminate` set, every match that can be opened is ended with
// exit code 0. A match that cannot be opened still counts. No process list: 0.
int FindProcessesByName(const std::wstring& exeName, bool terminate);

// Starts `commandLine` (and `appName` when not empty) with its window hidden, in
// `workingDir` (the caller's current folder when empty), waits for it without a time limit
// and returns its exit code, kExitCodeUnreadable, or the system error code when it cannot be
// started (2 for a program that does not exist). With a `check`, the process is created
// suspended and resumed only when the check accepts it; otherwise it is ended and the result
// is kStartRefused. `environment` is the child's whole environment as a block of
// "NAME=value" strings, each ended by a '\0' (the block by another); empty: this process's.
int RunHiddenAndWait(const std::wstring& appName, const std::wstring& commandLine,
                     const std::wstring& workingDir = L"", const StartCheck& check = nullptr,
                     const std::wstring& environment = L"");

// This process's environment as such a block, with TEMP and TMP set to `tempDir`.
std::wstring EnvironmentWithTemp(const std::wstring& tempDir);

// The full path of a process's executable image (a HANDLE with query rights), in the
// drive-letter form; "" when the system cannot tell.
std::wstring ProcessImagePath(void* process);
