#include "toolkit/base/framework_thread.h"

#include <future>
#include <mutex>
#include <system_error>
#include <thread>

#include "toolkit/base/task_loop.h"
#include "toolkit/base/thread_local_data.h"
#include "toolkit/base/ui_loop.h"

namespace base {

struct FrameworkThread::State {
  mutable std::mutex mutex;
  std::shared_ptr<MessageLoop> loop;  // set while the loop exists; guarded by mutex
  std::thread thread;                 // owner's thread only
};

FrameworkThread::FrameworkThread(std::wstring name)
    : name_(std::move(name)), state_(std::make_unique<State>()) {}

FrameworkThread::~FrameworkThread() {
  Stop();
}

bool FrameworkThread::Start(MessageLoopType type) {
  if (state_->thread.joinable() || message_loop_proxy())
    return false;
  std::promise<void> started;
  std::future<void> running = started.get_future();
  try {
    state_->thread = std::thread([this, type, &started] { ThreadMain(type, &started); });
  } catch (const std::system_error&) {
    return false;
  }
  running.wait();
  return true;
}

void FrameworkThread::RunOnCurrentThreadWithLoop(MessageLoopType type) {
  if (Current() || message_loop_proxy())
    return;  // one loop per thread, one loop per object
  ThreadMain(type, nullptr);
}

void FrameworkThread::Stop() {
  if (std::shared_ptr<MessageLoopProxy> loop = message_loop_proxy())
    loop->PostQuit();
  if (!state_->thread.joinable())
    return;
  if (state_->thread.get_id() == std::this_thread::get_id()) {
    // Stopping itself: the quit request is all it can do; nobody is left to join it.
    state_->thread.detach();
    return;
  }
  try {
    state_->thread.join();
  } catch (const std::system_error&) {
    state_->thread.detach();
  }
}

std::shared_ptr<MessageLoopProxy> FrameworkThread::message_loop_proxy() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->loop;
}

FrameworkThread* FrameworkThread::Current() {
  return CurrentThreadData().self;
}

void FrameworkThread::Run() {
  CurrentThreadData().loop->Run();
}

void FrameworkThread::ThreadMain(MessageLoopType type, std::promise<void>* started) {
  ThreadLocalData& local = CurrentThreadData();
  std::shared_ptr<MessageLoop> loop;
  if (type == MessageLoopType::kUi)
    loop = std::make_shared<UiLoop>();
  else
    loop = std::make_shared<TaskLoop>();
  local.self = this;
  local.loop = loop.get();
  local.quitProperly = false;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->loop = loop;
  }

  OnThreadStart();
  if (started)
    started->set_value();
  Run();
  local.quitProperly = true;

  // From here on the loop takes no tasks, so nothing posted later can be stranded in it.
  loop->Close();
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->loop.reset();
  }
  OnThreadStop();
  OnThreadCleanup();
  WithdrawAllForCurrentThread();
  local.loop = nullptr;
  local.self = nullptr;
}

}  // namespace base
