// Carries the stall watchdog's decision to give up a transfer to the thread that runs the
// transfer, where the download engine's binding lives: the binding belongs to that thread's
// apartment and may only be aborted there.
//
//   AbortRelay relay([&](uintptr_t attempt) { callback.AbortBinding(attempt); });  // worker
//   StallWatchdog watchdog(limit, lastActivity, [&] { relay.Request(attempt); });
//   DownloadUrlToFile(url, path, &callback);  // the request runs inside this wait
//
// The request is a message *sent* (not posted) to a message-only window of the transfer's
// thread. While URLDownloadToFileW waits, the engine pulls messages on that thread, and every
// PeekMessage or GetMessage delivers the thread's sent messages before it looks at its
// filter. That is what makes this route right on both platforms: the engine's loop may
// fetch only its own notification window's messages (Wine's does: it peeks that window's
// WM_USER range and nothing else), so a posted message or a thread timer would wait until
// the transfer has ended, while a sent message is delivered at the engine's next look. An
// empty posted message follows it to make that look come at once.
//
// Threading: construct, destroy and receive on the transfer's thread; Request from any thread
// (it returns at once).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

class AbortRelay {
 public:
  explicit AbortRelay(std::function<void(uintptr_t token)> onRequest);
  AbortRelay(const AbortRelay&) = delete;
  AbortRelay& operator=(const AbortRelay&) = delete;
  ~AbortRelay();

  // Has onRequest(token) run on the relay's thread at its next look at its messages. A
  // request that arrives after its transfer has ended runs too (at the thread's next look):
  // the token tells the receiver which transfer it was meant for.
  void Request(uintptr_t token);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::function<void(uintptr_t)> onRequest_;
  HWND window_ = nullptr;  // message-only, owned by the creating thread
};
