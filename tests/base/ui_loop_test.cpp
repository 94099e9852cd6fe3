#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "tests/base/test_thread.h"
#include "toolkit/base/thread_directory.h"
#include "toolkit/base/time_delta.h"

namespace {

using base::MessageLoopType;
using base::TimeDelta;
using base_test::IsReady;
using base_test::RunOn;
using base_test::TestThread;

constexpr int kUiId = 15;

class UiLoopTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ui.Start(MessageLoopType::kUi)); }
  base::MessageLoopProxy& loop() { return *ui.message_loop_proxy(); }

  TestThread ui{L"ui", kUiId};
};

TEST_F(UiLoopTest, RunsImmediateThenDelayedTasksInOrder) {
  base_test::Gate gate;
  gate.Block(loop());
  ASSERT_TRUE(gate.WaitEntered());
  std::vector<int> order;  // touched on the UI thread only
  std::promise<void> done;
  loop().PostDelayedTask(
      [&] {
        order.push_back(60);
        done.set_value();
      },
      TimeDelta::FromMilliseconds(60));
  loop().PostDelayedTask([&] { order.push_back(30); }, TimeDelta::FromMilliseconds(30));
  for (int i = 0; i < 3; ++i)
    loop().PostTask([&order, i] { order.push_back(i); });
  gate.Open();

  std::future<void> finished = done.get_future();
  ASSERT_TRUE(IsReady(finished));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 30, 60}));
}

std::promise<UINT>* g_received = nullptr;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 5 && g_received)
    g_received->set_value(static_cast<UINT>(wParam));
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(UiLoopTest, DispatchesWindowMessages) {
  HWND probe = nullptr;
  ASSERT_TRUE(RunOn(loop(), [&probe] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ProbeWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"UiLoopTestProbe";
    RegisterClassW(&wc);
    probe = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            wc.hInstance, nullptr);
  }));
  ASSERT_NE(probe, nullptr);

  std::promise<UINT> received;
  g_received = &received;
  PostMessageW(probe, WM_USER + 5, 42, 0);
  std::future<UINT> value = received.get_future();
  bool arrived = IsReady(value);
  g_received = nullptr;
  RunOn(loop(), [probe] { DestroyWindow(probe); });
  ASSERT_TRUE(arrived);
  EXPECT_EQ(value.get(), 42u);
}

// Opens a message box from a task on the UI thread and reports when it has returned.
class ModalBox {
 public:
  explicit ModalBox(const wchar_t* title) : title_(title) {}

  void OpenOn(base::MessageLoopProxy& loop) {
    loop.PostTask([this] {
      opening_.set_value();
      MessageBoxW(nullptr, L"Waiting for a posted task to close this box.", title_, MB_OK);
      returned_ = true;
      closed_.set_value();
    });
  }
  bool WaitOpening() {
    std::future<void> opening = opening_.get_future();
    return base_test::IsReady(opening);
  }
  // True once the box has returned; otherwise closes it from outside so the test can end.
  bool WaitClosed() {
    std::future<void> closed = closed_.get_future();
    if (base_test::IsReady(closed))
      return true;
    if (HWND box = Find())
      PostMessageW(box, WM_CLOSE, 0, 0);
    closed.wait();
    return false;
  }
  HWND Find() const { return FindWindowW(L"#32770", title_); }
  // The task that posted from elsewhere runs inside the box's own message loop: it can
  // see the box and end it.
  void CloseFromInside() {
    if (HWND box = Find())
      EndDialog(box, IDOK);
  }
  bool returned() const { return returned_; }

 private:
  const wchar_t* title_;
  bool returned_ = false;  // UI thread only
  std::promise<void> opening_;
  std::promise<void> closed_;
};

TEST_F(UiLoopTest, TaskPostedWhileMessageBoxIsUpRunsInsideIt) {
  ModalBox box(L"Task loop test box");
  box.OpenOn(loop());
  ASSERT_TRUE(box.WaitOpening());

  bool ran = false, boxWasUp = false, boxHadReturned = true;
  base::PostToThread(kUiId, [&] {
    ran = true;
    boxHadReturned = box.returned();
    boxWasUp = box.Find() != nullptr;
    box.CloseFromInside();
  });

  ASSERT_TRUE(box.WaitClosed());
  EXPECT_TRUE(ran);
  EXPECT_TRUE(boxWasUp);
  EXPECT_FALSE(boxHadReturned);
}

TEST_F(UiLoopTest, DelayedTaskFallingDueWhileMessageBoxIsUpRunsInsideIt) {
  ModalBox box(L"Delayed task loop test box");
  box.OpenOn(loop());
  ASSERT_TRUE(box.WaitOpening());

  bool ran = false, boxHadReturned = true;
  base::PostDelayedToThread(
      kUiId,
      [&] {
        ran = true;
        boxHadReturned = box.returned();
        box.CloseFromInside();
      },
      TimeDelta::FromMilliseconds(50));

  ASSERT_TRUE(box.WaitClosed());
  EXPECT_TRUE(ran);
  EXPECT_FALSE(boxHadReturned);
}

TEST_F(UiLoopTest, StopEndsLoopAndLaterPostsAreRefused) {
  auto proxy = ui.message_loop_proxy();
  ui.Stop();
  auto owned = std::make_shared<int>(3);
  std::weak_ptr<int> watch = owned;
  EXPECT_FALSE(proxy->PostTask([owned = std::move(owned)] {}));
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(base::ThreadDirectory::GetLoop(kUiId), nullptr);
}

TEST(UiLoopOnCurrentThreadTest, QuitMessagePostedInOnThreadStartEndsLoopAtOnce) {
  TestThread main(L"MainThread", kUiId);
  bool stopRan = false;
  main.onStart = [] { PostQuitMessage(0); };
  main.onStop = [&stopRan] { stopRan = true; };
  main.RunOnCurrentThreadWithLoop(MessageLoopType::kUi);

  EXPECT_TRUE(stopRan);
  EXPECT_EQ(main.message_loop_proxy(), nullptr);
}

TEST(UiLoopOnCurrentThreadTest, TaskPostedFromOnThreadStopIsDestroyedUnrun) {
  TestThread main(L"MainThread", kUiId);
  auto owned = std::make_shared<int>(5);
  std::weak_ptr<int> watch = owned;
  bool taskRan = false;
  main.onStart = [] { PostQuitMessage(0); };
  // Still enrolled here, but the loop has ended.
  main.onStop = [&] {
    base::PostToThread(kUiId, [&taskRan, owned = std::move(owned)] { taskRan = true; });
  };
  main.RunOnCurrentThreadWithLoop(MessageLoopType::kUi);

  EXPECT_FALSE(taskRan);
  EXPECT_TRUE(watch.expired());
}

TEST(UiLoopOnCurrentThreadTest, QuitPostedFromWorkerEndsLoop) {
  TestThread main(L"MainThread", kUiId);
  TestThread worker(L"worker");
  std::vector<int> steps;  // main thread only
  main.onStart = [&] {
    ASSERT_TRUE(worker.Start());
    auto mainLoop = main.message_loop_proxy();
    steps.push_back(1);
    worker.message_loop_proxy()->PostTask([mainLoop] { mainLoop->PostQuit(); });
  };
  main.onStop = [&] { steps.push_back(2); };
  main.RunOnCurrentThreadWithLoop(MessageLoopType::kUi);
  EXPECT_EQ(steps, (std::vector<int>{1, 2}));
}

}  // namespace
