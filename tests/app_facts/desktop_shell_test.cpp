#include "app/desktop_shell.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/app_facts/facts_test_support.h"
#include "tests/support/child_process.h"

namespace {

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteText(const std::wstring& path, const std::string& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, text.data(), text.size(), &written, nullptr) &&
                  written == text.size();
  CloseHandle(file);
  return ok;
}

// Wine's desktop offers its folder view as a desktop shell does: a document started through
// it runs, with its association, in the working folder given. (That nothing else is ever tried
// is checked on the installer file: installer_file_check.)
TEST(DesktopShellTest, DocumentStartsThroughTheDesktopShellInTheGivenFolder) {
  ScopedTempDir dir;
  const std::wstring script = dir.path() + L"\\make.cmd";
  ASSERT_TRUE(WriteText(script, "mkdir made\r\n"));
  ASSERT_TRUE(ShellExecuteAsDesktopUser(script, L"", dir.path()));
  EXPECT_TRUE(WaitUntil([&] { return Exists(dir.path() + L"\\made"); }, 10000));
}

}  // namespace
