#include "install/install_records.h"

#include <gtest/gtest.h>

#include "app/process_utils.h"
#include "app/registry.h"
#include "build_settings.h"
#include "install/package_lock.h"
#include "install/setup_job.h"
#include "tests/install/install_test_support.h"
#include "tests/support/child_process.h"

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// Uninstall entries this test writes; "brightmere" is the one the demo setup writes.
const wchar_t* const kTestEntries[] = {L"brightmere", L"bm test entry", L"bm test other case"};

void DeleteUserValue(const wchar_t* name) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kAppInfoKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegDeleteValueW(key, name);
    RegCloseKey(key);
  }
}

void DeleteUninstallEntries() {
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_ALL_ACCESS | view, &key) !=
        ERROR_SUCCESS) {
      continue;
    }
    for (const wchar_t* entry : kTestEntries)
      RegDeleteKeyExW(key, entry, view, 0);
    RegCloseKey(key);
  }
}

bool WriteUninstallEntry(const wchar_t* entry, const std::wstring& displayName, REGSAM view) {
  std::wstring path = std::wstring(kUninstallKey) + L"\\" + entry;
  HKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG result = RegSetValueExW(key, L"DisplayName", 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(displayName.c_str()),
                               static_cast<DWORD>((displayName.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

class InstallRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedChannel_ = ReadUserRegString(kAppInfoKey, L"InstallerChannel");
    savedPath_ = ReadUserRegString(kAppInfoKey, L"InstallerPath");
    DeleteUserValue(L"InstallerChannel");
    DeleteUserValue(L"InstallerPath");
    DeleteUninstallEntries();
    dir_ = install_test::MakeScratchDir(L"records");
  }
  void TearDown() override {
    DeleteUninstallEntries();
    DeleteUserValue(L"InstallerChannel");
    DeleteUserValue(L"InstallerPath");
    if (!savedChannel_.empty())
      WriteUserRegString(kAppInfoKey, L"InstallerChannel", savedChannel_);
    if (!savedPath_.empty())
      WriteUserRegString(kAppInfoKey, L"InstallerPath", savedPath_);
    FindProcessesByName(L"brightmere.exe", true);
    install_test::RemoveTree(dir_);
  }

  // An installed application: brightmere.exe in a folder of its own.
  std::wstring MakeAppFolder(const std::wstring& name) {
    std::wstring folder = dir_ + L"\\" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(install_test::CopyFileTo(install_test::DemoAppPath(), folder + L"\\brightmere.exe"));
    return folder;
  }

  std::wstring dir_, savedChannel_, savedPath_;
};

TEST_F(InstallRecordsTest, WritesChannelAndInstallFolder) {
  WriteInstallRecords(L"brand_online_10001", L"C:\\Apps\\bright mere");

  EXPECT_EQ(ReadUserRegString(kAppInfoKey, L"InstallerChannel"), L"brand_online_10001");
  EXPECT_EQ(ReadUserRegString(kAppInfoKey, L"InstallerPath"), L"C:\\Apps\\bright mere");
}

TEST_F(InstallRecordsTest, NothingRecordedNothingInstalled) {
  EXPECT_FALSE(HasInstallerPathRecord());
  EXPECT_FALSE(IsAppInstalled());
}

TEST_F(InstallRecordsTest, RecordedFolderHoldingTheProgramCounts) {
  WriteInstallRecords(L"default", MakeAppFolder(L"app"));

  EXPECT_TRUE(HasInstallerPathRecord());
  EXPECT_TRUE(IsAppInstalled());
}

TEST_F(InstallRecordsTest, StaleRecordFallsThroughToTheUninstallList) {
  WriteInstallRecords(L"default", dir_ + L"\\removed since");
  EXPECT_FALSE(HasInstallerPathRecord());
  EXPECT_FALSE(IsAppInstalled());

  ASSERT_TRUE(WriteUninstallEntry(L"bm test entry",
                                  std::wstring(build::kDisplayName) + L" 2.1.0.7",
                                  KEY_WOW64_32KEY));
  EXPECT_TRUE(IsAppInstalled());
}

TEST_F(InstallRecordsTest, EntryWithTheNameAndAVersionMatches) {
  ASSERT_TRUE(WriteUninstallEntry(L"bm test entry",
                                  std::wstring(build::kDisplayName) + L" 2.1.0.7",
                                  KEY_WOW64_32KEY));
  EXPECT_TRUE(FindUninstallEntry(UninstallView::k32Bit));
}

TEST_F(InstallRecordsTest, NameInAnotherLetterCaseDoesNotMatch) {
  ASSERT_TRUE(WriteUninstallEntry(L"bm test other case", L"BRIGHTMERE PHOTO 3.0",
                                  KEY_WOW64_32KEY));
  EXPECT_FALSE(FindUninstallEntry(UninstallView::k32Bit, L"Brightmere Photo"));
  EXPECT_TRUE(FindUninstallEntry(UninstallView::k32Bit, L"BRIGHTMERE PHOTO"));
}

TEST_F(InstallRecordsTest, EntryOnlyInThe64BitViewIsFoundByTheThirdCheck) {
  ASSERT_TRUE(WriteUninstallEntry(L"bm test entry", build::kDisplayName, KEY_WOW64_64KEY));

  EXPECT_FALSE(HasInstallerPathRecord());
  EXPECT_FALSE(FindUninstallEntry(UninstallView::k32Bit));
  EXPECT_TRUE(FindUninstallEntry(UninstallView::k64Bit));
  EXPECT_TRUE(IsAppInstalled());
}

TEST_F(InstallRecordsTest, DisplayNameTooLongForTheBufferDoesNotMatch) {
  std::wstring longName(300, L'x');  // 600 bytes and more: past the 512-byte buffer
  ASSERT_TRUE(WriteUninstallEntry(L"bm test entry", longName + build::kDisplayName,
                                  KEY_WOW64_32KEY));
  EXPECT_FALSE(FindUninstallEntry(UninstallView::k32Bit));
}

TEST_F(InstallRecordsTest, TheDemoSetupLeavesAnEntryThatIsFound) {
  std::wstring package = dir_ + L"\\brightmereInstaller.exe";
  ASSERT_TRUE(install_test::CopyFileTo(install_test::DemoPackagePath(), package));
  PackageLock lock(package);
  ASSERT_EQ(RunSetupJob(lock, dir_ + L"\\installed here", dir_, L"", [](int64_t, int, int) {}), 0);

  // A setup writes into the view of its own bitness, whatever the installer's: the 32-bit
  // view for the i686 tree's 32-bit package (as shipped setups are), the 64-bit view for the
  // x86_64 tree's 64-bit one. The installer looks in both.
  const bool packageIs64Bit = sizeof(void*) == 8;  // the demo package is built like the tree
  EXPECT_EQ(FindUninstallEntry(UninstallView::k32Bit), !packageIs64Bit);
  EXPECT_EQ(FindUninstallEntry(UninstallView::k64Bit), packageIs64Bit);
  EXPECT_TRUE(IsAppInstalled());
}

TEST_F(InstallRecordsTest, LaunchUsesTheFolderChosenInTheWindow) {
  WriteInstallRecords(L"default", dir_ + L"\\recorded elsewhere");
  std::wstring chosen = MakeAppFolder(L"chosen folder");
  EXPECT_TRUE(LaunchInstalledApp(chosen));  // false would have the window show a notice

  // The shell may start the program after the call returns.
  EXPECT_TRUE(WaitUntil([] { return FindProcessesByName(L"brightmere.exe", false) == 1; },
                        10000));
}

// A chosen folder without the program starts nothing, not even the program the records
// point at. A present program launched afterwards shows that launches had time to happen.
TEST_F(InstallRecordsTest, LaunchOfAMissingProgramStartsNothing) {
  WriteInstallRecords(L"default", MakeAppFolder(L"recorded"));
  LaunchInstalledApp(dir_ + L"\\nothing here");
  LaunchInstalledApp(MakeAppFolder(L"present"));

  auto running = [] { return FindProcessesByName(L"brightmere.exe", false); };
  ASSERT_TRUE(WaitUntil([&] { return running() >= 1; }, 10000));
  EXPECT_FALSE(WaitUntil([&] { return running() >= 2; }, 2000)) << "the missing one started";
}

}  // namespace
