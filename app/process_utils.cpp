#include "app/process_utils.h"

#include <windows.h>
#include <tlhelp32.h>

#include <vector>

#include "app/scoped_handle.h"

void EndProcessNow(int exitCode) {
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
  // Not reached: a process that terminates itself does not return from the call.
  for (;;)
    Sleep(INFINITE);
}

int FindProcessesByName(const std::wstring& exeName, bool terminate) {
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid())
    return 0;

  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  if (!Process32FirstW(snapshot.Get(), &entry))
    return 0;

  // The first entry is the system's idle process; the walk starts after it.
  int count = 0;
  while (Process32NextW(snapshot.Get(), &entry)) {
    if (exeName != entry.szExeFile)
      continue;
    ++count;
    ScopedHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
    if (process.IsValid() && terminate)
      TerminateProcess(process.Get(), 0);
  }
  return count;
}

int RunHiddenAndWait(const std::wstring& appName, const std::wstring& commandLine,
                     const std::wstring& workingDir, const StartCheck& check) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info = {};

  // CreateProcessW may write into the command line, so it gets a private copy.
  std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
  writable.push_back(L'\0');

  if (!CreateProcessW(appName.empty() ? nullptr : appName.c_str(),
                      commandLine.empty() ? nullptr : writable.data(), nullptr, nullptr, FALSE,
                      check ? CREATE_SUSPENDED : 0, nullptr,
                      workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info)) {
    return static_cast<int>(GetLastError());
  }
  ScopedHandle process(info.hProcess);
  ScopedHandle thread(info.hThread);
  if (check) {
    if (!check(process.Get())) {
      TerminateProcess(process.Get(), kStartRefused);
      WaitForSingleObject(process.Get(), INFINITE);
      return kStartRefused;
    }
    ResumeThread(thread.Get());
  }

  WaitForSingleObject(process.Get(), INFINITE);
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.Get(), &exitCode))
    return kExitCodeUnreadable;
  return static_cast<int>(exitCode);
}

std::wstring ProcessImagePath(void* process) {
  wchar_t path[MAX_PATH * 2];
  DWORD length = MAX_PATH * 2;
  if (!QueryFullProcessImageNameW(static_cast<HANDLE>(process), 0, path, &length))
    return L"";
  return std::wstring(path, length);
}
