// An install folder the setup cannot create: the demo package skips every file and still ends
// with 0, so the job must see that the program is missing and fail, never report success.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "install/package_lock.h"
#include "install/setup_job.h"
#include "tests/support/test_paths.h"

namespace {

constexpr wchar_t kUninstallEntry[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\brightmere";
constexpr wchar_t kBackupKey[] = L"Software\\brightmere-robustness-backup";

std::wstring TempPath(const wchar_t* name) {
  wchar_t dir[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, dir);
  return std::wstring(dir) + name;
}

// The demo setup writes its uninstall entry even when its files could not be written; the
// entry found before the test is put back afterwards.
class UncreatableInstallFolder : public testing::Test {
 protected:
  void SetUp() override {
    HKEY entry = nullptr;
    hadEntry_ = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallEntry, 0, KEY_READ, &entry) ==
                ERROR_SUCCESS;
    if (hadEntry_) {
      HKEY backup = nullptr;
      RegCreateKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &backup, nullptr);
      RegCopyTreeW(entry, nullptr, backup);
      RegCloseKey(backup);
      RegCloseKey(entry);
    }
    file_ = TempPath(L"robustness-not-a-folder");
    HANDLE handle = CreateFileW(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
  }

  void TearDown() override {
    DeleteFileW(file_.c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallEntry);
    if (hadEntry_) {
      HKEY backup = nullptr;
      HKEY entry = nullptr;
      RegOpenKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, KEY_READ, &backup);
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallEntry, 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &entry, nullptr);
      RegCopyTreeW(backup, nullptr, entry);
      RegCloseKey(entry);
      RegCloseKey(backup);
      RegDeleteTreeW(HKEY_CURRENT_USER, kBackupKey);
    }
  }

  int Run(const std::wstring& installDir) {
    PackageLock lock(WindowsPathFromUnix(ROBUST_DEMO_PACKAGE));
    return RunSetupJob(lock, installDir, L"", L"", [this](int64_t, int ret, int retryTime) {
      reportedRet_ = ret;
      reportedRetries_ = retryTime;
    });
  }

  bool hadEntry_ = false;
  std::wstring file_;
  int reportedRet_ = -1;
  int reportedRetries_ = -1;
};

TEST_F(UncreatableInstallFolder, FolderBelowAFileFailsThreeTimes) {
  EXPECT_EQ(Run(file_ + L"\\brightmere"), static_cast<int>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(reportedRet_, static_cast<int>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(reportedRetries_, 3);
}

TEST_F(UncreatableInstallFolder, DriveThatIsNotThereFails) {
  wchar_t drive = 0;
  const DWORD drives = GetLogicalDrives();
  for (wchar_t letter = L'Q'; letter <= L'Y' && !drive; ++letter) {
    if (!(drives & (1u << (letter - L'A'))))
      drive = letter;
  }
  ASSERT_NE(drive, 0) << "every drive letter from Q to Y is in use";
  EXPECT_EQ(Run(std::wstring(1, drive) + L":\\harrowfields\\brightmere"),
            static_cast<int>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
