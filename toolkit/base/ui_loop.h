// The UI thread's loop: a window-message pump in which posted tasks run as well.
//
// Tasks reach the thread through a hidden message-only window owned by the loop: a post
// wakes it with a private window message, and delayed tasks fall due on a timer of that
// window. Modal loops (a message box, a folder browser, a window drag) dispatch window
// messages to every window of the thread, so posted tasks keep running inside them, which
// thread messages would not. The loop ends on WM_QUIT, whoever posts it.
//
// The window is made when the loop starts running, the process's first window being slow to
// make while the display driver starts: tasks posted before wait for it, a modal loop opened
// before then (a start-up message box) runs none of them, and a loop told to quit before it
// ran makes none.
//
// Threading: constructed, run and closed on the UI thread; posting from any thread.
#pragma once

#include <windows.h>

#include "toolkit/base/message_loop.h"

namespace base {

class UiLoop : public MessageLoop {
 public:
  UiLoop();
  ~UiLoop() override;

  void Run() override;

 private:
  void EnsureWindow();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  void OnWorkArrivedLocked() override;
  void OnClosed() override;
  // Runs the tasks that are due, then aims the timer at the next delayed one.
  void DoWork();
  void ScheduleTimer(Clock::time_point due);

  HWND window_ = nullptr;     // set on the UI thread under mutex_
  bool wakePending_ = false;  // a wake message is on its way; guarded by mutex_
  bool quitPosted_ = false;   // UI thread only
};

}  // namespace base
