// Test support: a program started as a real child process, ended (if it still runs) and
// closed when the object goes; and the polling wait for states of another process, which
// sends no event to wait on.
//
//   ChildProcess app;
//   ASSERT_TRUE(app.Start(DemoAppPath(), L""));
//   ASSERT_TRUE(app.WaitReady(20000));
//   ASSERT_TRUE(WaitUntil([] { return FindProcessesByName(L"brightmere.exe", false) == 1; },
//                         10000));
//
// Threading: the test thread (WaitUntil handles that thread's messages while it waits).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();  // terminates a child that still runs

  // Runs "exe" arguments; a suspended child runs once Resume is called. False when it could
  // not be started.
  bool Start(const std::wstring& exe, const std::wstring& arguments, bool suspended = false);
  void Resume();
  // Until the child has an input-idle message loop (its first window exists). False on
  // time-out or when nothing was started.
  bool WaitReady(DWORD timeoutMs);
  // False on time-out or when nothing was started.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
  bool HasExited() const;
  void Terminate();

  bool Started() const { return process_ != nullptr; }
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
// or the time is up. True when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
