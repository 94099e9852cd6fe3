// The installer's three threads. MainThread turns the process's main thread into the UI
// thread: its start-up hook initialises OLE on it, guards against a second instance, starts
// the two workers, opens the skin and shows the main window; its shut-down hook undoes that.
// MiscThread is a worker that is reachable by its identifier while it runs.
//
//   MainThread mainThread;
//   mainThread.RunOnCurrentThreadWithLoop(base::MessageLoopType::kUi);  // until the UI quits
//
// Threading: MainThread is built, run and destroyed on the process's main thread; a
// MiscThread is started and destroyed by its owner's thread and runs its own loop.
#pragma once

#include <functional>
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

// The start-up and shut-down steps that belong to the parts above the thread library
// (reporting, the skin, the UI toolkit, the main window). The installer passes its own
// (app/startup/installer_startup.h); tests pass none. Each runs on the main thread.
struct StartupSteps {
  // Before the guard: the THEME resource as the current skin package, and the display
  // language's texts from it. Reads only the program's own resources.
  std::function<void()> openSkin;
  // The first step that may touch the disk or read what another instance writes: it runs
  // only once the guard has passed, and may go on beside the steps after it.
  std::function<void()> afterGuard;
  std::function<void()> initReporting;  // the HTTP library and the report cookies
  // The toolkit on the open skin, with the theme folder chosen by DPI and the display scale.
  std::function<void(const std::wstring& themeFolder, int displayScale)> startToolkit;
  std::function<void(int systemDpi, int displayScale)> sendStartReport;  // "AppStart"
  std::function<void()> createMainWindow;  // created, titled, centred, shown, on top
  std::function<void()> closeSkin;
  std::function<void()> shutdownToolkit;
};

class MainThread : public base::FrameworkThread {
 public:
  explicit MainThread(StartupSteps steps = {});
  ~MainThread() override;  // ends the HTTP worker first, then the general worker

  // Starts "Global Misc Thread" (kMiscThreadId) and then "http Thread" (kHttpThreadId),
  // each registered when this returns. Part of start-up; public so that tests can bring up
  // the workers without the window.
  void StartWorkers();

 protected:
  void OnThreadStart() override;
  void OnThreadStop() override;

 private:
  StartupSteps steps;
  std::unique_ptr<MiscThread> generalWorker;
  std::unique_ptr<MiscThread> httpWorker;
};
