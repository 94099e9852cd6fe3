#include "install/package_lock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "tests/trust/trust_test_files.h"

namespace {

class PackageLockTest : public testing::Test {
 protected:
  void SetUp() override {
    copy_ = trust_test::ScratchCopy(L"signed.exe");
    ASSERT_FALSE(copy_.empty());
  }
  void TearDown() override { trust_test::RemoveScratch(copy_); }

  // Opens the copy for writing, with every kind of sharing; the error when that fails.
  DWORD OpenForWriting() {
    HANDLE file = CreateFileW(copy_.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
      return GetLastError();
    CloseHandle(file);
    return 0;
  }

  // Runs `commandLine` and returns its exit code, or the error of a failed start.
  static DWORD Run(std::wstring commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      return GetLastError();
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
  }

  std::wstring copy_;
};

TEST_F(PackageLockTest, HoldsAnExistingFile) {
  PackageLock lock(copy_);
  EXPECT_TRUE(lock.IsHeld());
  EXPECT_EQ(0u, lock.Error());
}

TEST_F(PackageLockTest, MissingFileIsNotHeld) {
  PackageLock lock(copy_ + L".missing");
  EXPECT_FALSE(lock.IsHeld());
  EXPECT_EQ(static_cast<unsigned long>(ERROR_FILE_NOT_FOUND), lock.Error());
}

TEST_F(PackageLockTest, KeepsWritersOut) {
  PackageLock lock(copy_);
  ASSERT_TRUE(lock.IsHeld());
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), OpenForWriting());
}

TEST_F(PackageLockTest, KeepsTheFileFromBeingDeleted) {
  PackageLock lock(copy_);
  ASSERT_TRUE(lock.IsHeld());
  EXPECT_FALSE(DeleteFileW(copy_.c_str()));
}

TEST_F(PackageLockTest, KeepsTheFileFromBeingRenamedAway) {
  PackageLock lock(copy_);
  ASSERT_TRUE(lock.IsHeld());
  std::wstring moved = copy_ + L".moved";
  EXPECT_FALSE(MoveFileW(copy_.c_str(), moved.c_str()));
  DeleteFileW(moved.c_str());
}

// Renaming the folder away and putting another one with another package in its place would
// change what the package path names, just as replacing the file would.
TEST_F(PackageLockTest, KeepsItsFolderFromBeingRenamedAway) {
  PackageLock lock(copy_);
  ASSERT_TRUE(lock.IsHeld());
  std::wstring dir = copy_.substr(0, copy_.rfind(L'\\'));
  std::wstring moved = dir + L" moved";
  BOOL renamed = MoveFileW(dir.c_str(), moved.c_str());
  if (renamed)
    MoveFileW(moved.c_str(), dir.c_str());
  EXPECT_FALSE(renamed);
}

TEST_F(PackageLockTest, CannotBeTakenWhileSomeoneWrites) {
  HANDLE writer = CreateFileW(copy_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, writer);
  PackageLock lock(copy_);
  CloseHandle(writer);
  EXPECT_FALSE(lock.IsHeld());
  EXPECT_EQ(static_cast<unsigned long>(ERROR_SHARING_VIOLATION), lock.Error());
}

TEST_F(PackageLockTest, LockedProgramStillRuns) {
  PackageLock lock(copy_);
  ASSERT_TRUE(lock.IsHeld());
  EXPECT_EQ(42u, Run(L"\"" + copy_ + L"\""));
}

TEST_F(PackageLockTest, ReleaseLetsWritersIn) {
  PackageLock lock(copy_);
  ASSERT_TRUE(lock.IsHeld());
  lock.Release();
  EXPECT_FALSE(lock.IsHeld());
  EXPECT_EQ(0u, OpenForWriting());
}

// The real setup package reads its payload out of its own file while it installs.
TEST_F(PackageLockTest, LockedSignedSetupPackageInstalls) {
  std::wstring package = trust_test::ScratchCopy(L"big.exe");
  ASSERT_FALSE(package.empty());
  std::wstring installDir = package.substr(0, package.rfind(L'\\')) + L"\\installed app";
  DWORD code;
  {
    PackageLock lock(package);
    ASSERT_TRUE(lock.IsHeld());
    code = Run(L"\"" + package + L"\" /S /D=" + installDir);
  }
  std::wstring app = installDir + L"\\brightmere.exe";
  bool installed = GetFileAttributesW(app.c_str()) != INVALID_FILE_ATTRIBUTES;
  for (const wchar_t* file : {L"\\brightmere.exe", L"\\brightmere.dat", L"\\uninstall.exe"})
    DeleteFileW((installDir + file).c_str());
  RemoveDirectoryW(installDir.c_str());
  trust_test::RemoveScratch(package);
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(installed);
}

}  // namespace
