// Test probe: runs the main thread's start-up with a window step that looks at the UI
// thread's COM state. Exit code 0 when the thread is a single-threaded apartment by the time
// the window is created, 1 when it is not, 2 when the window step never ran.
#include <windows.h>
#include <objbase.h>

#include "app/main_thread.h"

int wmain() {
  int result = 2;
  StartupSteps steps;
  steps.createMainWindow = [&result] {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // S_FALSE: one already
    if (SUCCEEDED(hr))
      CoUninitialize();
    result = hr == S_FALSE ? 0 : 1;
    PostQuitMessage(0);
  };
  MainThread mainThread(steps);
  mainThread.RunOnCurrentThreadWithLoop(base::MessageLoopType::kUi);
  return result;
}
