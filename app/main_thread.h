// The installer's three threads. MainThread turns the process's main thread into the UI
// thread: its start-up hook guards against a second instance, starts the two workers, opens
// the skin and shows the main window; its shut-down hook undoes that. MiscThread is a worker
// that is reachable by its identifier while it runs.
//
//   MainThread mainThread;
//   mainThread.RunOnCurrentThreadWithLoop(base::MessageLoopType::kUi);  // until the UI quits
//
// Threading: MainThread is built, run and destroyed on the process's main thread; a
// MiscThread is started and destroyed by its owner's thread and runs its own loop.
#pragma once

#include <memory>
#include <string>

#include "toolkit/base/framework_thread.h"

class MiscThread : public base::FrameworkThread {
 public:
  MiscThread(std::wstring name, int id);
  ~MiscThread() override;  // stops the thread while this object's hooks still exist

  int id() const { return id_; }

 protected:
  void OnThreadStart() override;  // enrolls under id_
  void OnThreadStop() override;   // withdraws

 private:
  int id_;
};

class MainThread : public base::FrameworkThread {
 public:
  MainThread();
  ~MainThread() override;  // ends the HTTP worker first, then the general worker

  // Starts "Global Misc Thread" (kMiscThreadId) and then "http Thread" (kHttpThreadId),
  // each registered when this returns. Part of start-up; public so that tests can bring up
  // the workers without the window.
  void StartWorkers();

 protected:
  void OnThreadStart() override;
  void OnThreadStop() override;

 private:
  std::unique_ptr<MiscThread> generalWorker;
  std::unique_ptr<MiscThread> httpWorker;
};
