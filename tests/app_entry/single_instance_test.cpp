// The single-instance guard, seen from outside: the real installer runs as first instance,
// a second one is started next to it and its prompt is answered.
#include <windows.h>

#include <string>
#include <vector>

#include "build_settings.h"
#include "gtest/gtest.h"
#include "tests/support/child_process.h"
#include "tests/support/test_paths.h"

namespace {

const std::wstring kPromptCaption = std::wstring(build::kDisplayName) + L"安装提示";
const std::wstring kPromptText =
    std::wstring(build::kDisplayName) +
    L" 安装程序已经在运行，请关闭后点击\"重试\"继续，或点击\"取消\"退出安装";

std::wstring Installer() {
  return WindowsPathFromUnix(BRIGHTMERE_INSTALLER_EXE);
}

bool InstanceMutexExists() {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"BrightmereInstaller");
  if (!mutex)
    return false;
  CloseHandle(mutex);
  return true;
}

DWORD WindowProcess(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

HWND FindPrompt(DWORD pid) {
  HWND box = FindWindowW(nullptr, kPromptCaption.c_str());
  return box && WindowProcess(box) == pid ? box : nullptr;
}

struct WindowSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectOtherVisibleWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (WindowProcess(window) == search->pid && IsWindowVisible(window) &&
      std::wstring(className) != L"#32770")
    search->found.push_back(window);
  return TRUE;
}

// Visible top-level windows of a process other than the system's message boxes.
std::vector<HWND> OtherVisibleWindows(DWORD pid) {
  WindowSearch search{pid, {}};
  EnumWindows(CollectOtherVisibleWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Top-level windows the watched process creates, as the system reports them to this thread
// while it handles messages, counted before and after the prompt is answered. Message-only
// windows (COM's, the task loop's) are not counted; a window already gone is.
struct CreatedWindows {
  bool answered = false;
  int beforeAnswer = 0;
  int afterAnswer = 0;
};
CreatedWindows created;

void CALLBACK OnWindowCreated(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD,
                              DWORD) {
  if (object != OBJID_WINDOW || !window)
    return;
  if (IsWindow(window) && GetAncestor(window, GA_PARENT) != GetDesktopWindow())
    return;
  ++(created.answered ? created.afterAnswer : created.beforeAnswer);
}

class SecondInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(InstanceMutexExists()) << "an installer is already running";
    ASSERT_TRUE(first.Start(Installer(), L""));
    ASSERT_TRUE(WaitUntil(InstanceMutexExists, 30000));
  }

  ChildProcess first;
  ChildProcess second;
};

TEST_F(SecondInstanceTest, PromptNamesTheProductAndOffersRetry) {
  ASSERT_TRUE(second.Start(Installer(), L""));
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (box = FindPrompt(second.pid())) != nullptr; }, 30000));
  wchar_t text[256] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 256);
  EXPECT_EQ(text, kPromptText);
  EXPECT_TRUE(GetDlgItem(box, IDRETRY));
  EXPECT_TRUE(GetDlgItem(box, IDCANCEL));
}

TEST_F(SecondInstanceTest, CancelEndsTheSecondInstanceWithExitCodeZeroAndNoWindow) {
  ASSERT_TRUE(second.Start(Installer(), L"", /*suspended=*/true));
  created = CreatedWindows();
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr,
                                       OnWindowCreated, second.pid(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_TRUE(hook);
  second.Resume();
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] { return (box = FindPrompt(second.pid())) && GetDlgItem(box, IDCANCEL); }, 30000));
  EXPECT_TRUE(OtherVisibleWindows(second.pid()).empty());

  // The prompt has finished setting itself up (the system creates helper windows as it
  // gets the focus) once the process waits for input.
  WaitForInputIdle(second.handle(), 10000);
  HandlePendingMessages();
  created.answered = true;
  PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  DWORD exitCode = 1;
  ASSERT_TRUE(second.WaitForExit(30000, &exitCode));
  HandlePendingMessages();
  UnhookWinEvent(hook);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_GT(created.beforeAnswer, 0) << "window creation is not observed; the check is void";
  EXPECT_EQ(created.afterAnswer, 0);
}

TEST_F(SecondInstanceTest, RetryAfterTheFirstInstanceEndedStartsNormally) {
  ASSERT_TRUE(second.Start(Installer(), L""));
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (box = FindPrompt(second.pid())) != nullptr; }, 30000));
  first.Terminate();
  ASSERT_TRUE(WaitUntil([] { return !InstanceMutexExists(); }, 30000));

  PostMessageW(box, WM_COMMAND, IDRETRY, 0);
  EXPECT_TRUE(WaitUntil([&] { return !OtherVisibleWindows(second.pid()).empty(); }, 30000));
  EXPECT_TRUE(InstanceMutexExists());
  DWORD exitCode = 0;
  EXPECT_FALSE(second.WaitForExit(0, &exitCode)) << "the second instance ended";
}

}  // namespace
