// Test probe: ends itself with EndProcessNow while another thread holds the loader lock, as
// a worker may at the moment the installer leaves. Exit code 7 when it ended; an orderly
// exit would wait for that lock for ever. 3: the lock could not be taken.
#include <windows.h>

#include "app/process_utils.h"
#include "toolkit/base/system_library.h"

namespace {

using LockLoaderFn = LONG(NTAPI*)(ULONG flags, ULONG* state, ULONG_PTR* cookie);

DWORD WINAPI HoldLoaderLock(void* taken) {
  const auto lock = base::GetSystemFunction<LockLoaderFn>(GetModuleHandleW(L"ntdll.dll"),
                                                         "LdrLockLoaderLock");
  ULONG state = 0;
  ULONG_PTR cookie = 0;
  if (lock && lock(0, &state, &cookie) >= 0)
    SetEvent(taken);
  Sleep(INFINITE);
  return 0;
}

}  // namespace

int wmain() {
  HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  CreateThread(nullptr, 0, HoldLoaderLock, taken, 0, nullptr);
  if (WaitForSingleObject(taken, 10000) != WAIT_OBJECT_0)
    return 3;
  EndProcessNow(7);
}
