// Test support: starting the installer and the probe programs as real child processes and
// waiting for what they show. Test thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// The folder of the running test program (the probes are built next to it).
std::wstring TestProgramDir();

// A Unix path from the build system ("/work/...") as Wine's Z: drive shows it.
std::wstring WindowsPathFromUnix(const char* path);

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();  // terminates a child that still runs

  // A suspended child runs once Resume is called.
  bool Start(const std::wstring& exe, const std::wstring& arguments, bool suspended = false);
  void Resume();
  // False on time-out.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
  void Terminate();
  DWORD pid() const { return pid_; }
  HANDLE handle() const { return process_; }

 private:
  HANDLE process_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD pid_ = 0;
};

// Runs a program to its end; its exit code, or -1 when it didn't start or end in time.
long RunToExit(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs = 60000);

// Runs this thread's queued messages (and so the callbacks they carry).
void HandlePendingMessages();

// Checks `condition` every 20 ms, handling this thread's messages meanwhile, until it holds
// or the time is up. For states of another process, which sends no event to wait on.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
