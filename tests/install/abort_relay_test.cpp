#include "install/abort_relay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// The download engine's wait in URLDownloadToFileW as Wine runs it: it wakes now and then
// and fetches only its own notification window's messages, so only what the system delivers
// inside PeekMessage itself reaches anyone else on the thread.
void WaitLikeTheEngine(HWND engineWindow, const std::atomic<bool>& done) {
  const Clock::time_point start = Clock::now();
  while (!done && Clock::now() - start < std::chrono::seconds(15)) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_POSTMESSAGE);
    MSG message;
    while (PeekMessageW(&message, engineWindow, WM_USER, WM_USER + 117, PM_REMOVE | PM_NOYIELD))
      DispatchMessageW(&message);
  }
}

TEST(AbortRelayTest, RequestRunsOnTheTransfersThreadWhileTheEngineWaits) {
  std::promise<AbortRelay*> relayReady;
  std::atomic<bool> done{false};
  DWORD transferThread = 0;
  DWORD ranOn = 0;
  uintptr_t token = 0;
  Clock::time_point ranAt;
  std::thread transfer([&] {
    transferThread = GetCurrentThreadId();
    AbortRelay relay([&](uintptr_t t) {
      ranOn = GetCurrentThreadId();
      token = t;
      ranAt = Clock::now();
      done = true;
    });
    HWND engineWindow = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                        nullptr, nullptr, nullptr);
    relayReady.set_value(&relay);
    WaitLikeTheEngine(engineWindow, done);
    DestroyWindow(engineWindow);
  });
  AbortRelay* relay = relayReady.get_future().get();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the engine is waiting
  const Clock::time_point requested = Clock::now();
  relay->Request(42);
  transfer.join();

  ASSERT_TRUE(done) << "the request never reached the waiting thread";
  EXPECT_EQ(ranOn, transferThread);
  EXPECT_EQ(token, 42u);
  // At once, not at the engine's next 5 s wake-up.
  EXPECT_LT(ranAt - requested, std::chrono::seconds(1));
}

}  // namespace
