#include "tests/support/child_process.h"

ChildProcess::~ChildProcess() {
  Terminate();
}

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& arguments,
                         bool suspended) {
  Terminate();
  // Quoted, so that a folder with a space cannot start another program.
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty())
    commandLine += L" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                      suspended ? CREATE_SUSPENDED : 0, nullptr, nullptr, &startup, &info))
    return false;
  thread_ = info.hThread;
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
  return true;
}

void ChildProcess::Resume() {
  if (thread_)
    ResumeThread(thread_);
}

bool ChildProcess::WaitReady(DWORD timeoutMs) {
  return process_ && WaitForInputIdle(process_, timeoutMs) == 0;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
    return false;
  return GetExitCodeProcess(process_, exitCode) != FALSE;
}

bool ChildProcess::HasExited() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

void ChildProcess::Terminate() {
  if (!process_)
    return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
  }
  CloseHandle(process_);
  CloseHandle(thread_);
  process_ = nullptr;
  thread_ = nullptr;
  pid_ = 0;
}

long RunToExit(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs) {
  ChildProcess child;
  DWORD exitCode = 0;
  if (!child.Start(exe, arguments) || !child.WaitForExit(timeoutMs, &exitCode))
    return -1;
  return static_cast<long>(exitCode);
}

void HandlePendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition())
      return true;
    if (GetTickCount() - start > timeoutMs)
      return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    HandlePendingMessages();
  }
}
