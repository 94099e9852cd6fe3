// A named thread that owns one message loop, with start-up and shut-down hooks.
//
//   class MiscThread : public base::FrameworkThread {
//     ~MiscThread() override { Stop(); }  // while the hooks below still exist
//     void OnThreadStart() override { base::ThreadDirectory::Enroll(id_); }
//     void OnThreadStop() override { base::ThreadDirectory::Withdraw(); }
//   };
//   auto worker = std::make_unique<MiscThread>(L"Global Misc Thread", kMiscThreadId);
//   worker->Start();  // returns once OnThreadStart has run on the new thread
//
// Two loop types: kDefault, a plain task loop for workers; kUi, which dispatches window
// messages and posted tasks alike, and keeps running posted tasks while the thread sits in
// a modal loop (a message box, a folder browser, a window drag).
//
// A class that overrides the hooks calls Stop() in its own destructor: by the time the base
// destructor runs, the overrides are gone and OnThreadStop would not be called.
//
// Threading: Start, Stop and the destructor are called on the thread that owns the object
// (never on the framework thread itself); the hooks run on the framework thread.
#pragma once

#include <future>
#include <memory>
#include <string>

#include "toolkit/base/message_loop_proxy.h"
#include "toolkit/base/weak_callback.h"

namespace base {

enum class MessageLoopType { kDefault, kUi };

class FrameworkThread : public virtual SupportWeakCallback {
 public:
  explicit FrameworkThread(std::wstring name);
  ~FrameworkThread() override;  // Stop()

  // Creates the OS thread, which creates its loop, runs OnThreadStart, signals and enters
  // the loop. Waits without limit for that signal. False if the OS thread can't be created
  // or the object already runs a loop.
  bool Start(MessageLoopType type = MessageLoopType::kDefault);

  // Runs the loop on the calling thread (the process's main thread): as Start, but returns
  // when the loop quits, after OnThreadStop. The kUi loop also ends on a WM_QUIT posted by
  // anyone, e.g. PostQuitMessage in OnThreadStart. Does nothing on a framework thread.
  void RunOnCurrentThreadWithLoop(MessageLoopType type);

  // Posts a quit request and waits without limit for the OS thread to end (a running task
  // finishes first); terminates the thread if waiting fails. No-op when not started.
  void Stop();

  // Empty before the loop exists and after it has ended.
  std::shared_ptr<MessageLoopProxy> message_loop_proxy() const;
  const std::wstring& thread_name() const { return name_; }

  // The framework thread running the caller, or null on any other thread.
  static FrameworkThread* Current();

 protected:
  virtual void Run();  // the loop; returns when it quits. Overrides call this one.
  virtual void OnThreadStart() {}
  virtual void OnThreadStop() {}
  virtual void OnThreadCleanup() {}  // a further hook, empty in this program

 private:
  struct State;
  // The life of the framework thread: loop, hooks, loop, hooks. `started` (may be null) is
  // signalled once OnThreadStart has run.
  void ThreadMain(MessageLoopType type, std::promise<void>* started);

  std::wstring name_;
  std::unique_ptr<State> state_;
};

}  // namespace base
