#include "install/package_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/install/install_test_support.h"

namespace {

class PackageCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = install_test::MakeScratchDir(L"check"); }
  void TearDown() override { install_test::RemoveTree(dir_); }

  // A file of `size` bytes starting with `head`, in a sparse way (only the head is written).
  std::wstring WriteFile(const std::wstring& name, const std::string& head, long long size) {
    std::wstring path = dir_ + L"\\" + name;
    FILE* file = _wfopen(path.c_str(), L"wb");
    EXPECT_NE(file, nullptr);
    if (!file)
      return path;
    fwrite(head.data(), 1, head.size(), file);
    if (size > static_cast<long long>(head.size())) {
      _fseeki64(file, size - 1, SEEK_SET);
      fputc(0, file);
    }
    fclose(file);
    return path;
  }

  std::wstring dir_;
};

TEST_F(PackageCheckTest, AcceptsExactlyTenMebibytesStartingWithMZ) {
  EXPECT_TRUE(IsPackageValid(WriteFile(L"p.exe", "MZ\x90", 10485760)));
}

TEST_F(PackageCheckTest, RejectsOneByteLessThanTenMebibytes) {
  EXPECT_FALSE(IsPackageValid(WriteFile(L"p.exe", "MZ\x90", 10485759)));
}

TEST_F(PackageCheckTest, RejectsALargeFileThatDoesNotStartWithMZ) {
  EXPECT_FALSE(IsPackageValid(WriteFile(L"p.exe", "<!DOCTYPE html>", 11000000)));
}

TEST_F(PackageCheckTest, RejectsAFileStartingWithLowerCaseMz) {
  EXPECT_FALSE(IsPackageValid(WriteFile(L"p.exe", "mz", 10485760)));
}

TEST_F(PackageCheckTest, RejectsAMissingFile) {
  EXPECT_FALSE(IsPackageValid(dir_ + L"\\absent.exe"));
}

TEST_F(PackageCheckTest, OpensAPathOutsideTheAnsiCodePage) {
  std::wstring sub = dir_ + L"\\下载 Ωmega";
  ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
  FILE* file = _wfopen((sub + L"\\p.exe").c_str(), L"wb");
  ASSERT_NE(file, nullptr);
  fwrite("MZ", 1, 2, file);
  _fseeki64(file, 10485760 - 1, SEEK_SET);
  fputc(0, file);
  fclose(file);

  EXPECT_TRUE(IsPackageValid(sub + L"\\p.exe"));
}

TEST_F(PackageCheckTest, FileSizeIsMinusOneWithoutAFile) {
  EXPECT_EQ(PackageFileSize(dir_ + L"\\absent.exe"), -1);
}

TEST_F(PackageCheckTest, FileSizeCountsEveryByte) {
  EXPECT_EQ(PackageFileSize(WriteFile(L"p.exe", "MZ", 12345)), 12345);
}

}  // namespace
