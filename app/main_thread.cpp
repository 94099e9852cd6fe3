#include "app/main_thread.h"

#include <windows.h>
#include <ole2.h>

#include "app/dpi.h"
#include "app/single_instance.h"
#include "app/thread_ids.h"
#include "toolkit/base/thread_directory.h"

MiscThread::MiscThread(std::wstring name, int id)
    : base::FrameworkThread(std::move(name)), id_(id) {}

MiscThread::~MiscThread() {
  Stop();
}

void MiscThread::OnThreadStart() {
  base::ThreadDirectory::Enroll(id_);
}

void MiscThread::OnThreadStop() {
  base::ThreadDirectory::Withdraw();
}

MainThread::MainThread(StartupSteps steps)
    : base::FrameworkThread(L"MainThread"), steps(std::move(steps)) {}

MainThread::~MainThread() {
  httpWorker.reset();
  generalWorker.reset();
}

void MainThread::StartWorkers() {
  generalWorker = std::make_unique<MiscThread>(L"Global Misc Thread", kMiscThreadId);
  generalWorker->Start(base::MessageLoopType::kDefault);
  httpWorker = std::make_unique<MiscThread>(L"http Thread", kHttpThreadId);
  httpWorker->Start(base::MessageLoopType::kDefault);
}

void MainThread::OnThreadStart() {
  // The folder browser (new dialog style) and the shell's open verb need OLE, as a
  // single-threaded apartment, on the thread that calls them. Never undone: the process ends
  // by terminating.
  OleInitialize(nullptr);
  // The skin first: the guard's prompt is in the display language, whose texts it holds.
  if (steps.openSkin)
    steps.openSkin();
  if (!GuardSingleInstance()) {
    PostQuitMessage(0);
    return;
  }
  if (steps.afterGuard)
    steps.afterGuard();
  base::ThreadDirectory::Enroll(kUiThreadId);
  StartWorkers();
  if (steps.initReporting)
    steps.initReporting();
  int systemDpi = GetSystemDpi();
  std::wstring themeFolder = ThemeFolderForDpi(systemDpi);
  int displayScale = ComputeDisplayScale(EnableDpiAdaptation(), GetMainMonitorDpi());
  if (steps.startToolkit)
    steps.startToolkit(themeFolder, displayScale);
  if (steps.sendStartReport)
    steps.sendStartReport(systemDpi, displayScale);
  if (steps.createMainWindow)
    steps.createMainWindow();
}

void MainThread::OnThreadStop() {
  if (steps.closeSkin)
    steps.closeSkin();
  if (steps.shutdownToolkit)
    steps.shutdownToolkit();
  // The framework records the proper quit itself; only a thread that got past the guard
  // is registered.
  if (base::ThreadDirectory::CurrentId() == kUiThreadId)
    base::ThreadDirectory::Withdraw();
}
