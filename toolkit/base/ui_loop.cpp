#include "toolkit/base/ui_loop.h"

#include <chrono>

namespace base {
namespace {

constexpr wchar_t kWindowClass[] = L"base.UiLoopWindow";
constexpr UINT kWakeMessage = WM_USER + 1;
constexpr UINT_PTR kTimerId = 1;
// Tasks run per wake before window messages get their turn again.
constexpr int kTasksPerWake = 32;

ATOM RegisterLoopWindowClass(WNDPROC proc) {
  static const ATOM atom = [proc] {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc);
  }();
  return atom;
}

}  // namespace

UiLoop::UiLoop() {
  RegisterLoopWindowClass(&UiLoop::WindowProc);
}

void UiLoop::EnsureWindow() {
  if (window_)
    return;
  // Made as late as the loop allows: the thread's start-up work before it overlaps the display
  // driver's start, which the process's first window waits for.
  HWND window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!window)
    return;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  std::lock_guard<std::mutex> lock(mutex_);
  window_ = window;
  // What was posted before had nothing to wake.
  if (quitRequested_ || HasTaskDueLocked(Clock::now()) || NextDueLocked())
    OnWorkArrivedLocked();
}

UiLoop::~UiLoop() = default;

void UiLoop::OnClosed() {
  // Closed under the lock before this, so no post can still aim a wake at the window.
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
    window_ = nullptr;
  }
}

void UiLoop::Run() {
  MSG msg;
  // Told to quit before it ran (an installer that ends in its start-up): it ends without a
  // window of its own.
  if (!PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
    EnsureWindow();
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void UiLoop::OnWorkArrivedLocked() {
  if (wakePending_ || !window_)
    return;
  // Posting under the lock keeps Close from slipping in between: once closed, nothing wakes.
  wakePending_ = PostMessageW(window_, kWakeMessage, 0, 0) != FALSE;
}

void UiLoop::DoWork() {
  std::unique_lock<std::mutex> lock(mutex_);
  wakePending_ = false;
  for (int i = 0; i < kTasksPerWake; ++i) {
    Task task = TakeNextLocked(Clock::now());
    if (!task)
      break;
    lock.unlock();
    // A task may open a modal loop, which runs further tasks from inside it.
    std::move(task).Run();
    lock.lock();
  }
  if (quitRequested_) {
    lock.unlock();
    KillTimer(window_, kTimerId);
    if (!quitPosted_) {
      quitPosted_ = true;
      PostQuitMessage(0);
    }
    return;
  }
  if (HasTaskDueLocked(Clock::now())) {
    // A long batch: let the window messages queued meanwhile go first.
    OnWorkArrivedLocked();
    return;
  }
  std::optional<Clock::time_point> due = NextDueLocked();
  lock.unlock();
  if (due)
    ScheduleTimer(*due);
  else
    KillTimer(window_, kTimerId);
}

void UiLoop::ScheduleTimer(Clock::time_point due) {
  auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now()).count();
  if (wait <= 0) {
    std::lock_guard<std::mutex> lock(mutex_);
    OnWorkArrivedLocked();
    return;
  }
  SetTimer(window_, kTimerId,
           static_cast<UINT>(wait < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : wait), nullptr);
}

LRESULT CALLBACK UiLoop::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* loop = reinterpret_cast<UiLoop*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (loop && (message == kWakeMessage || (message == WM_TIMER && wParam == kTimerId))) {
    loop->DoWork();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace base
