#include "app/single_instance.h"

#include <windows.h>

#include "build_settings.h"

std::wstring AlreadyRunningText() {
  return std::wstring(build::kDisplayName) +
         L" 安装程序已经在运行，请关闭后点击\"重试\"继续，或点击\"取消\"退出安装";
}

std::wstring AlreadyRunningCaption() {
  return std::wstring(build::kDisplayName) + L"安装提示";
}

bool TryClaimInstanceMutex() {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, build::kMutexName);
  if (!mutex)
    return false;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  return true;  // the handle stays open: the mutex marks this instance until it ends
}

bool GuardSingleInstance() {
  while (!TryClaimInstanceMutex()) {
    int answer = MessageBoxW(nullptr, AlreadyRunningText().c_str(),
                             AlreadyRunningCaption().c_str(), MB_RETRYCANCEL);
    if (answer != IDRETRY)
      return false;
  }
  return true;
}
