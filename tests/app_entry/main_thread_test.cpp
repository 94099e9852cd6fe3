#include "app/main_thread.h"

#include <windows.h>

#include <functional>
#include <atomic>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/single_instance.h"
#include "app/thread_ids.h"
#include "gtest/gtest.h"
#include "tests/support/child_process.h"
#include "tests/support/test_paths.h"
#include "toolkit/base/thread_directory.h"

namespace {

// Runs `task` on the thread registered under id and returns once it has run.
void RunOn(int id, std::function<void()> task) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> ran = done->get_future();
  base::PostToThread(id, [task = std::move(task), done] {
    task();
    done->set_value();
  });
  ASSERT_EQ(ran.wait_for(std::chrono::seconds(30)), std::future_status::ready);
}

struct EndLog {
  std::mutex lock;
  std::vector<std::wstring> names;
};

// Noted in a fiber-local slot; the system hands it back when the OS thread itself ends.
struct ThreadEndNote {
  std::shared_ptr<EndLog> log;
  std::wstring name;
};

void WINAPI OnThreadEnd(void* data) {
  std::unique_ptr<ThreadEndNote> note(static_cast<ThreadEndNote*>(data));
  if (!note)
    return;
  std::lock_guard<std::mutex> hold(note->log->lock);
  note->log->names.push_back(note->name);
}

void RecordThreadEnd(int id, std::shared_ptr<EndLog> log) {
  static const DWORD slot = FlsAlloc(OnThreadEnd);
  ASSERT_NE(slot, FLS_OUT_OF_INDEXES);
  RunOn(id, [log] {
    auto note = std::make_unique<ThreadEndNote>();
    note->log = log;
    note->name = base::FrameworkThread::Current()->thread_name();
    FlsSetValue(slot, note.release());
  });
}

// The shell's folder browser and open verb are called on the UI thread and need it to be a
// single-threaded apartment by the time the window exists. In a process of its own: start-up
// claims the single-instance mutex for the rest of the process's life.
TEST(MainThreadTest, UiThreadIsAnApartmentWhenTheWindowIsCreated) {
  EXPECT_EQ(RunToExit(TestProgramDir() + L"\\app_entry_apartment_probe.exe", L""), 0);
}

TEST(MainThreadTest, StartWorkersRegistersBothWorkersByName) {
  MainThread mainThread;
  mainThread.StartWorkers();
  std::wstring general;
  std::wstring http;
  RunOn(kMiscThreadId, [&] { general = base::FrameworkThread::Current()->thread_name(); });
  RunOn(kHttpThreadId, [&] { http = base::FrameworkThread::Current()->thread_name(); });
  EXPECT_EQ(general, L"Global Misc Thread");
  EXPECT_EQ(http, L"http Thread");
}

TEST(MainThreadTest, DestructionEndsTheHttpWorkerFirst) {
  auto log = std::make_shared<EndLog>();
  {
    MainThread mainThread;
    mainThread.StartWorkers();
    RecordThreadEnd(kMiscThreadId, log);
    RecordThreadEnd(kHttpThreadId, log);
  }
  std::lock_guard<std::mutex> hold(log->lock);
  EXPECT_EQ(log->names, (std::vector<std::wstring>{L"http Thread", L"Global Misc Thread"}));
}

TEST(MainThreadTest, DestructionWithdrawsBothWorkers) {
  {
    MainThread mainThread;
    mainThread.StartWorkers();
    ASSERT_TRUE(base::ThreadDirectory::GetLoop(kMiscThreadId));
    ASSERT_TRUE(base::ThreadDirectory::GetLoop(kHttpThreadId));
  }
  EXPECT_FALSE(base::ThreadDirectory::GetLoop(kMiscThreadId));
  EXPECT_FALSE(base::ThreadDirectory::GetLoop(kHttpThreadId));
}

// A second instance touches nothing before its guard has passed: the step that builds the
// settings (and may create folders, or read what the first instance is still writing) has
// not run while the prompt is up, and never runs after Cancel.
TEST(MainThreadTest, NothingRunsBeforeTheGuardPassesNorAfterCancel) {
  HANDLE firstInstance = CreateMutexW(nullptr, FALSE, L"BrightmereInstaller");
  ASSERT_TRUE(firstInstance);
  ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "an installer is running";
  std::atomic<bool> afterGuardRan{false};
  std::atomic<bool> prompted{false};
  std::atomic<bool> ranWhilePrompted{false};
  std::thread user([&] {
    const std::wstring caption = AlreadyRunningCaption();
    for (int waited = 0; waited < 30000; waited += 20) {
      HWND box = FindWindowW(nullptr, caption.c_str());
      DWORD pid = 0;
      if (box && GetWindowThreadProcessId(box, &pid) && pid == GetCurrentProcessId() &&
          GetDlgItem(box, IDCANCEL)) {
        prompted = true;
        ranWhilePrompted = afterGuardRan.load();
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      Sleep(20);
    }
  });
  StartupSteps steps;
  steps.afterGuard = [&] { afterGuardRan = true; };
  {
    MainThread mainThread(steps);
    mainThread.RunOnCurrentThreadWithLoop(base::MessageLoopType::kUi);
  }
  user.join();
  CloseHandle(firstInstance);
  ASSERT_TRUE(prompted);
  EXPECT_FALSE(ranWhilePrompted);
  EXPECT_FALSE(afterGuardRan);
}

}  // namespace
