#include "install/package_folder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/install/install_test_support.h"

namespace {

class PackageFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { parent_ = install_test::MakeScratchDir(L"package folder"); }
  void TearDown() override { install_test::RemoveTree(parent_); }

  std::unique_ptr<PackageFolder> Create() {
    unsigned long error = 0;
    std::unique_ptr<PackageFolder> folder = PackageFolder::Create(parent_, &error);
    EXPECT_TRUE(folder) << "error " << error;
    return folder;
  }

  std::wstring parent_;
};

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
  BYTE buffer[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof(buffer);
  return CreateWellKnownSid(type, nullptr, buffer, &size) && EqualSid(sid, buffer);
}

// Protected (nothing inherited), full control for Administrators and SYSTEM, nobody else.
void ExpectOnlyAdministratorsAndSystem(PSECURITY_DESCRIPTOR descriptor) {
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED);
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
  ASSERT_TRUE(present && dacl);
  ASSERT_EQ(dacl->AceCount, 2);
  bool administrators = false, system = false;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_FALSE(ace->Header.AceFlags & INHERITED_ACE);
    EXPECT_EQ(ace->Mask, static_cast<DWORD>(FILE_ALL_ACCESS));
    PSID sid = &ace->SidStart;
    administrators = administrators || IsWellKnown(sid, WinBuiltinAdministratorsSid);
    system = system || IsWellKnown(sid, WinLocalSystemSid);
  }
  EXPECT_TRUE(administrators);
  EXPECT_TRUE(system);
}

// The folder's DACL as GetSecurityInfo reads it back; null when it cannot be read.
PSECURITY_DESCRIPTOR ReadDacl(const std::wstring& path) {
  HANDLE handle = CreateFileW(path.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD result = GetSecurityInfo(handle, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                 nullptr, nullptr, nullptr, &descriptor);
  CloseHandle(handle);
  return result == ERROR_SUCCESS ? descriptor : nullptr;
}

// Whether this file system keeps a DACL set explicitly on a folder (Wine keeps none where it
// cannot store them, and reads back a made-up default).
bool FileSystemKeepsDacls(const std::wstring& scratch) {
  const std::wstring probe = scratch + L"\\dacl probe";
  PSECURITY_DESCRIPTOR wanted = nullptr;
  ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;SY)", SDDL_REVISION_1,
                                                       &wanted, nullptr);
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), wanted, FALSE};
  CreateDirectoryW(probe.c_str(), &attributes);
  LocalFree(wanted);
  PSECURITY_DESCRIPTOR got = ReadDacl(probe);
  LPWSTR text = nullptr;
  bool kept = got && ConvertSecurityDescriptorToStringSecurityDescriptorW(
                         got, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr) &&
              std::wstring(text) == L"D:P(A;;FA;;;SY)";
  LocalFree(text);
  LocalFree(got);
  RemoveDirectoryW(probe.c_str());
  return kept;
}

// What the installer asks the system for, checked wherever the tests run: Administrators
// own it (an owner may rewrite the rights), and only they and SYSTEM get in.
TEST(PackageFolderRightsTest, DescriptorIsOwnedByAdministratorsAndGrantsOnlyThemAndSystem) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      kPackageFolderSddl, SDDL_REVISION_1, &descriptor, nullptr));
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor, &owner, &defaulted));
  EXPECT_TRUE(owner && IsWellKnown(owner, WinBuiltinAdministratorsSid));
  ExpectOnlyAdministratorsAndSystem(descriptor);
  LocalFree(descriptor);
}

// What the folder really has, read back where the file system keeps DACLs.
TEST_F(PackageFolderTest, FolderReadsBackOnlyAdministratorsAndSystem) {
  if (!FileSystemKeepsDacls(parent_)) GTEST_SKIP() << "this file system keeps no DACLs";
  std::unique_ptr<PackageFolder> folder = Create();
  ASSERT_TRUE(folder);
  PSECURITY_DESCRIPTOR descriptor = ReadDacl(folder->Path());
  ASSERT_TRUE(descriptor);
  ExpectOnlyAdministratorsAndSystem(descriptor);
  LocalFree(descriptor);
}

TEST_F(PackageFolderTest, NamesCannotBeGuessed) {
  std::set<std::wstring> names;
  for (int i = 0; i < 8; ++i) {
    const std::wstring name = NewPackageFolderName();
    ASSERT_EQ(name.size(), 35u) << std::string(name.begin(), name.end());
    EXPECT_EQ(name.compare(0, 3, L"bm-"), 0);
    EXPECT_EQ(name.find_first_not_of(L"0123456789ABCDEF", 3), std::wstring::npos);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 8u);
}

TEST_F(PackageFolderTest, HeldFolderCanBeNeitherRenamedNorRemoved) {
  std::unique_ptr<PackageFolder> folder = Create();
  ASSERT_TRUE(folder);
  EXPECT_FALSE(MoveFileW(folder->Path().c_str(), (parent_ + L"\\moved").c_str()));
  EXPECT_FALSE(RemoveDirectoryW(folder->Path().c_str()));
  EXPECT_TRUE(install_test::FileExists(folder->Path()));
}

TEST_F(PackageFolderTest, EndingRemovesTheFolderWithThePackage) {
  std::unique_ptr<PackageFolder> folder = Create();
  ASSERT_TRUE(folder);
  const std::wstring path = folder->Path();
  ASSERT_TRUE(install_test::CopyFileTo(install_test::DemoAppPath(), path + L"\\package.exe"));
  folder.reset();
  EXPECT_FALSE(install_test::FileExists(path));
}

// A parent written with 8.3 short names (as %TEMP% under a long user name often is) is the
// same folder: accepted, and the folder's path is the long one the file system reports.
TEST_F(PackageFolderTest, ShortNameParentIsAccepted) {
  const std::wstring parent = parent_ + L"\\a rather long folder name";
  ASSERT_TRUE(CreateDirectoryW(parent.c_str(), nullptr));
  wchar_t shortName[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameW(parent.c_str(), shortName, MAX_PATH), 0u);
  ASSERT_EQ(std::wstring(shortName).find(L"a rather"), std::wstring::npos) << "no short name";
  unsigned long error = 0;
  std::unique_ptr<PackageFolder> folder = PackageFolder::Create(shortName, &error);
  ASSERT_TRUE(folder) << "error " << error;
  EXPECT_NE(folder->Path().find(L"\\a rather long folder name\\bm-"), std::wstring::npos);
  EXPECT_TRUE(install_test::FileExists(folder->TempPath()));
}

// C:\\brightmere-links\\link is a symbolic link to a folder beside it, made for the tests
// (tests/install/CMakeLists.txt); Wine shows it as a reparse point, as Windows would.
TEST_F(PackageFolderTest, LinkOnTheWayIsRefused) {
  const std::wstring link = L"C:\\brightmere-links\\link";
  const DWORD attributes = GetFileAttributesW(link.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "the test link is missing";
  ASSERT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  for (const std::wstring& parent : {link, link + L"\\deeper"}) {
    unsigned long error = 0;
    EXPECT_FALSE(PackageFolder::Create(parent, &error));
    EXPECT_EQ(error, kReparsePointEncountered);
  }
}

}  // namespace
