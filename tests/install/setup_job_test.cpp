#include "install/setup_job.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "install/package_folder.h"
#include "install/package_lock.h"
#include "tests/install/install_test_support.h"
#include "tests/support/test_paths.h"

namespace {

using install_test::ScopedEnv;

// A file of UTF-16 text, as the demo setup writes it; "" when there is none.
std::wstring ReadUtf16File(const std::wstring& path) {
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return L"";
  std::wstring text;
  wchar_t c;
  while (fread(&c, sizeof(c), 1, file) == 1) text.push_back(c);
  fclose(file);
  return text;
}

struct InstallReport {
  int calls = 0;
  int64_t cost = -1;
  int ret = -1;
  int retryTime = -1;
};

class SetupJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(install_test::DemoPackagePath().empty()) << "BRIGHTMERE_DEMO_PACKAGE is not set";
    dir_ = install_test::MakeScratchDir(L"setup");
    packagePath_ = dir_ + L"\\brightmereInstaller.exe";
    ASSERT_TRUE(install_test::CopyFileTo(install_test::DemoPackagePath(), packagePath_));
    installDir_ = dir_ + L"\\Program Files (x86)\\harrow fields\\brightmere";
    counterPath_ = dir_ + L"\\runs.txt";
  }
  void TearDown() override { install_test::RemoveTree(dir_); }

  int Run() {
    PackageLock lock(packagePath_);
    return RunSetupJob(lock, installDir_, dir_, L"", [this](int64_t cost, int ret, int retryTime) {
      ++report_.calls;
      report_.cost = cost;
      report_.ret = ret;
      report_.retryTime = retryTime;
    });
  }

  // How many times the package's setup ran, as its run counter recorded it.
  int SetupRuns() {
    FILE* file = _wfopen(counterPath_.c_str(), L"rb");
    if (!file)
      return 0;
    int runs = 0;
    if (fscanf(file, "%d", &runs) != 1)
      runs = 0;
    fclose(file);
    return runs;
  }

  std::wstring dir_, packagePath_, installDir_, counterPath_;
  InstallReport report_;
};

TEST_F(SetupJobTest, FirstRunSucceedsAndInstallsIntoTheFolderWithSpaces) {
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.calls, 1);
  EXPECT_EQ(report_.ret, 0);
  EXPECT_EQ(report_.retryTime, 0);
  EXPECT_GE(report_.cost, 0);
  EXPECT_TRUE(install_test::FileExists(installDir_ + L"\\brightmere.exe"));
}

// A program started in place of the locked package (its path led elsewhere by the time it
// ran) is ended before it runs; the locked package itself runs.
TEST_F(SetupJobTest, OnlyTheLockedFileIsLetRun) {
  const std::wstring decoy = dir_ + L"\\decoy.exe";
  ASSERT_TRUE(install_test::CopyFileTo(PathFromEnv("BRIGHTMERE_TEST_DECOY"), decoy));
  const struct {
    const std::wstring locked;
    int expected;
  } cases[] = {
      {packagePath_, kStartRefused},
      {decoy, 77},  // the decoy's own exit code
  };
  for (const auto& c : cases) {
    PackageLock lock(c.locked);
    ASSERT_TRUE(lock.IsHeld());
    EXPECT_EQ(RunHiddenAndWait(L"", L"\"" + decoy + L"\"", L"", ImageIsLockedFile(lock)),
              c.expected)
        << c.locked;
  }
}

// As the installer runs it: from its private folder, locked, with that folder as the
// working folder (where the setup's relative run counter lands) and its temporary folder
// inside it; ending the folder removes it with what the setup left there.
TEST_F(SetupJobTest, SetupRunsLockedFromItsPrivateFolder) {
  unsigned long error = 0;
  std::unique_ptr<PackageFolder> folder = PackageFolder::Create(dir_, &error);
  ASSERT_TRUE(folder) << error;
  const std::wstring package = folder->Path() + L"\\brightmereInstaller.exe";
  ASSERT_TRUE(install_test::CopyFileTo(install_test::DemoPackagePath(), package));
  ScopedEnv failRuns(L"BRIGHTMERE_DEMO_FAIL_RUNS", L"0");  // counts runs, fails none
  ScopedEnv counter(L"BRIGHTMERE_DEMO_RUN_COUNTER", L"runs.txt");
  ScopedEnv tempSeen(L"BRIGHTMERE_DEMO_TEMP_SEEN", L"temp-seen.txt");
  ScopedEnv userTemp(L"TMP", dir_);
  {
    PackageLock lock(package);
    ASSERT_TRUE(lock.IsHeld());
    EXPECT_EQ(RunSetupJob(lock, installDir_, folder->Path(), folder->TempPath(),
                          [](int64_t, int, int) {}),
              0);
  }
  EXPECT_TRUE(install_test::FileExists(folder->Path() + L"\\runs.txt"));
  EXPECT_EQ(ReadUtf16File(folder->Path() + L"\\temp-seen.txt"), folder->TempPath());
  const std::wstring path = folder->Path();
  folder.reset();
  EXPECT_FALSE(install_test::FileExists(path));
}

TEST_F(SetupJobTest, SucceedsOnTheThirdRun) {
  ScopedEnv failRuns(L"BRIGHTMERE_DEMO_FAIL_RUNS", L"2");
  ScopedEnv counter(L"BRIGHTMERE_DEMO_RUN_COUNTER", counterPath_);
  ScopedEnv failCode(L"BRIGHTMERE_DEMO_FAIL_CODE", L"5");
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.ret, 0);
  EXPECT_EQ(report_.retryTime, 2);
  EXPECT_EQ(SetupRuns(), 3);
  EXPECT_TRUE(install_test::FileExists(installDir_ + L"\\brightmere.exe"));
}

TEST_F(SetupJobTest, ThreeFailuresEndWithTheLastExitCode) {
  ScopedEnv failRuns(L"BRIGHTMERE_DEMO_FAIL_RUNS", L"100");
  ScopedEnv counter(L"BRIGHTMERE_DEMO_RUN_COUNTER", counterPath_);
  ScopedEnv failCode(L"BRIGHTMERE_DEMO_FAIL_CODE", L"2");
  EXPECT_EQ(Run(), 2);

  EXPECT_EQ(report_.calls, 1);
  EXPECT_EQ(report_.ret, 2);
  EXPECT_EQ(report_.retryTime, 3);
  EXPECT_EQ(SetupRuns(), 3);
  EXPECT_FALSE(install_test::FileExists(installDir_ + L"\\brightmere.exe"));
}

TEST_F(SetupJobTest, MissingPackageGivesFileNotFoundThreeTimes) {
  packagePath_ = dir_ + L"\\absent.exe";
  EXPECT_EQ(Run(), static_cast<int>(ERROR_FILE_NOT_FOUND));

  EXPECT_EQ(report_.ret, static_cast<int>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(report_.retryTime, 3);
}

TEST_F(SetupJobTest, PackageInAFolderWithChineseCharacters) {
  std::wstring sub = dir_ + L"\\下载 目录";
  ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
  packagePath_ = sub + L"\\brightmereInstaller.exe";
  ASSERT_TRUE(install_test::CopyFileTo(install_test::DemoPackagePath(), packagePath_));
  EXPECT_EQ(Run(), 0);

  EXPECT_TRUE(install_test::FileExists(installDir_ + L"\\brightmere.exe"));
}

TEST_F(SetupJobTest, SpaceInThePackageFolderCannotStartAnotherProgram) {
  // With the path unquoted the system would try "<dir>\\My.exe" first.
  const std::wstring decoy = PathFromEnv("BRIGHTMERE_TEST_DECOY");
  ASSERT_FALSE(decoy.empty()) << "BRIGHTMERE_TEST_DECOY is not set";
  ASSERT_TRUE(install_test::CopyFileTo(decoy, dir_ + L"\\My.exe"));
  std::wstring sub = dir_ + L"\\My Downloads";
  ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
  packagePath_ = sub + L"\\brightmereInstaller.exe";
  ASSERT_TRUE(install_test::CopyFileTo(install_test::DemoPackagePath(), packagePath_));

  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(install_test::FileExists(installDir_ + L"\\brightmere.exe"));
}

TEST(SetupCommandLineTest, QuotesThePackageAndLeavesTheFolderBareAndLast) {
  EXPECT_EQ(BuildSetupCommandLine(L"D:\\Temp\\brightmereInstaller.exe",
                                  L"C:\\Program Files (x86)\\harrowfields\\brightmere"),
            L"\"D:\\Temp\\brightmereInstaller.exe\" /S /D=C:\\Program Files "
            L"(x86)\\harrowfields\\brightmere");
}

}  // namespace
