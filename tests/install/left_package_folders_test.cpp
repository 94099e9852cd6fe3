#include "install/left_package_folders.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "install/package_folder.h"
#include "tests/install/install_test_support.h"

namespace {

bool WriteFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  ::WriteFile(file, "MZ", 2, &written, nullptr);
  CloseHandle(file);
  return true;
}

class LeftPackageFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = install_test::MakeScratchDir(L"left folders"); }
  void TearDown() override { install_test::RemoveTree(dir_); }

  // A folder as a killed run leaves it: the package, and the setup's temporary folder with
  // what it unpacked.
  std::wstring LeaveFolder(const std::wstring& name) {
    const std::wstring folder = dir_ + L"\\" + name;
    EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_TRUE(CreateDirectoryW((folder + L"\\temp").c_str(), nullptr));
    EXPECT_TRUE(CreateDirectoryW((folder + L"\\temp\\nsq1.tmp").c_str(), nullptr));
    EXPECT_TRUE(WriteFile(folder + L"\\brightmereInstaller.exe"));
    EXPECT_TRUE(WriteFile(folder + L"\\temp\\nsq1.tmp\\System.dll"));
    return folder;
  }

  std::wstring dir_;
};

// A folder an earlier run left goes; one a running installer holds stays, and so does a
// folder whose name the installer never gives.
TEST_F(LeftPackageFoldersTest, LeftFolderGoesHeldAndForeignOnesStay) {
  const std::wstring left = LeaveFolder(NewPackageFolderName());
  const std::wstring foreign = LeaveFolder(L"bm-photos");
  unsigned long error = 0;
  std::unique_ptr<PackageFolder> held = PackageFolder::Create(dir_, &error);
  ASSERT_TRUE(held) << error;
  ASSERT_TRUE(WriteFile(held->Path() + L"\\brightmereInstaller.exe"));

  EXPECT_EQ(RemoveLeftPackageFolders({dir_, dir_ + L"\\missing"}), 1);
  EXPECT_FALSE(install_test::FileExists(left));
  EXPECT_TRUE(install_test::FileExists(held->Path() + L"\\brightmereInstaller.exe"));
  EXPECT_TRUE(install_test::FileExists(foreign + L"\\brightmereInstaller.exe"));
}

// C:\brightmere-links\link is a symbolic link to a folder beside it (tests/install/
// CMakeLists.txt): nothing is removed through it.
TEST_F(LeftPackageFoldersTest, NothingIsRemovedThroughALink) {
  const std::wstring target = L"C:\\brightmere-links\\target\\" + NewPackageFolderName();
  ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
  EXPECT_EQ(RemoveLeftPackageFolders({L"C:\\brightmere-links\\link"}), 0);
  EXPECT_TRUE(install_test::FileExists(target));
  RemoveDirectoryW(target.c_str());
}

TEST(PackageFolderNameTest, OnlyTheNamesTheInstallerGives) {
  const struct {
    std::wstring name;
    bool ours;
  } cases[] = {
      {NewPackageFolderName(), true},
      {L"bm-0123456789ABCDEF0123456789ABCDEF", true},
      {L"bm-0123456789abcdef0123456789abcdef", false},
      {L"bm-0123456789ABCDEF0123456789ABCDE", false},
      {L"xx-0123456789ABCDEF0123456789ABCDEF", false},
      {L"bm-photos", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsPackageFolderName(c.name), c.ours) << std::string(c.name.begin(), c.name.end());
}

}  // namespace
