// Test support: an installer build started as a real child process, and the windows it shows,
// found by their exact captions. Test thread only.
//
//   InstallerProcess installer;
//   ASSERT_TRUE(installer.Start(VariantPath("robust_installer_no_theme"), L""));
//   HWND box = installer.WaitForWindow(L"...安装提示", 20000);
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/child_process.h"

// The installer variant `name` built next to this test's build folder, as a Windows path.
std::wstring VariantPath(const char* name);
// The real installer.
std::wstring InstallerPath();

// A child process (terminated if it still runs at the end) whose windows can be waited for.
class InstallerProcess : public ChildProcess {
 public:
  // A visible top-level window of this process with exactly `caption`; nullptr when the
  // process ends first or the time is up (WaitUntil: polled every 20 ms).
  HWND WaitForWindow(const std::wstring& caption, DWORD timeoutMs);
};

std::wstring WindowText(HWND window);
// The text of a standard message box (its static control).
std::wstring MessageBoxText(HWND box);
// Texts of the window's child edit controls, in z-order.
std::vector<std::wstring> EditTexts(HWND window);
// Waits until one of the window's edits shows `text`: the edits of pages not shown yet are
// made after the window's first paint, which may come after the window is visible.
bool WaitForEditShowing(HWND window, const std::wstring& text, DWORD timeoutMs);
