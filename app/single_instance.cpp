#include "app/single_instance.h"

#include <windows.h>

#include "build_settings.h"
#include "toolkit/base/text_table.h"

std::wstring AlreadyRunningText() {
  return base::Text("already_running", {{"name", build::kDisplayName}});
}

std::wstring AlreadyRunningCaption() {
  return base::Text("prompt_caption", {{"name", build::kDisplayName}});
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
