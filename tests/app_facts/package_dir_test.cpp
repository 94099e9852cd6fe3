#include "app/package_dir.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "app/special_folder.h"
#include "build_settings.h"
#include "tests/app_facts/facts_test_support.h"

namespace {

bool IsDirectory(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateEmptyFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
}

}  // namespace

TEST(PackageDirFreeSpaceTest, ExactlyTheMinimumIsEnough) {
  EXPECT_TRUE(HasEnoughFreeSpace(1, 1, 423116800));
  EXPECT_TRUE(HasEnoughFreeSpace(8, 512, 103300));  // 103300 clusters of 4 KiB
}

TEST(PackageDirFreeSpaceTest, OneByteLessIsNotEnough) {
  EXPECT_FALSE(HasEnoughFreeSpace(1, 1, 423116799));
  EXPECT_FALSE(HasEnoughFreeSpace(8, 512, 103299));
}

TEST(PackageDirFreeSpaceTest, ProductPastFourGibibytesDoesNotWrapAround) {
  // 65536 clusters of 64 KiB are exactly 4 GiB, which is 0 in 32 bits.
  EXPECT_TRUE(HasEnoughFreeSpace(128, 512, 65536));
  EXPECT_TRUE(HasEnoughFreeSpace(128, 4096, 0xFFFFFFFFu));
}

TEST(PackageDirFreeSpaceTest, FullDriveIsNotEnough) { EXPECT_FALSE(HasEnoughFreeSpace(8, 512, 0)); }

TEST(PackageDirTest, ExistingDirectoryOnRoomyDriveIsUsable) {
  ScopedTempDir temp;
  EXPECT_TRUE(IsPackageDirUsable(temp.path()));
}

TEST(PackageDirTest, MissingDirectoryIsCreatedWithItsParents) {
  ScopedTempDir temp;
  const std::wstring dir = temp.path() + L"\\brightmere\\Files\\deeper";
  EXPECT_TRUE(IsPackageDirUsable(dir));
  EXPECT_TRUE(IsDirectory(dir));
}

TEST(PackageDirTest, FileIsNotUsable) {
  ScopedTempDir temp;
  const std::wstring file = temp.path() + L"\\occupied";
  CreateEmptyFile(file);
  EXPECT_FALSE(IsPackageDirUsable(file));
}

TEST(PackageDirTest, PathWithoutBackslashIsNotUsable) {
  ScopedTempDir temp;
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(temp.path().c_str());
  // Created as a relative directory, yet it names no drive to ask about free space.
  EXPECT_FALSE(IsPackageDirUsable(L"relative_dir"));
  EXPECT_FALSE(IsPackageDirUsable(L"C:/forward/slashes"));
  SetCurrentDirectoryW(previous);
}

TEST(PackageDirTest, DirectoryOnMissingDriveIsNotUsable) {
  EXPECT_FALSE(IsPackageDirUsable(L"q:\\brightmere\\Files"));
}

TEST(PackageDirTest, DefaultCandidatesEndWithTheTempFolder) {
  const std::vector<std::wstring> candidates = DefaultPackageDirCandidates();
  ASSERT_EQ(5u, candidates.size());
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_APPDATA) + L"\\brightmere\\Files", candidates[0]);
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_DESKTOP), candidates[1]);
  EXPECT_EQ(L"d:\\Temp", candidates[2]);
  EXPECT_EQ(L"c:\\Temp", candidates[3]);
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  EXPECT_EQ(std::wstring(temp), candidates[4] + L"\\");
}

TEST(PackageDirTest, AppDataCandidateIsTheRoamingFolder) {
  wchar_t appData[MAX_PATH] = {};
  ASSERT_NE(0u, GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH));
  EXPECT_EQ(std::wstring(appData) + L"\\brightmere\\Files", DefaultPackageDirCandidates()[0]);
}

TEST(PackageDirTest, FirstUsableCandidateWins) {
  ScopedTempDir temp;
  const std::wstring file = temp.path() + L"\\occupied";
  CreateEmptyFile(file);
  const std::wstring second = temp.path() + L"\\second";
  const std::wstring third = temp.path() + L"\\third";
  std::wstring chosen;
  ASSERT_TRUE(ChoosePackageDir({file, second, third}, &chosen));
  EXPECT_EQ(second, chosen);
  EXPECT_FALSE(IsDirectory(third));
}

TEST(PackageDirTest, UnusableStandardCandidatesFallBackToTheTempFolder) {
  ScopedTempDir temp;
  const std::wstring file = temp.path() + L"\\occupied";
  CreateEmptyFile(file);
  const std::wstring tempFolder = GetUserTempDir();
  std::wstring chosen;
  ASSERT_TRUE(ChoosePackageDir({file, L"", L"q:\\Temp", L"nobackslash", tempFolder}, &chosen));
  EXPECT_EQ(tempFolder, chosen);
}

// A folder the user can swap for a junction must not receive the elevated installer's files.
// C:\\brightmere-links\\link is a symbolic link made for the tests (tests/app_facts), which
// Wine shows as a reparse point.
TEST(PackageDirTest, CandidateThroughALinkIsSkippedAndNothingIsCreatedThere) {
  const std::wstring link = L"C:\\brightmere-links\\link";
  const DWORD attributes = GetFileAttributesW(link.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "the test link is missing";
  ASSERT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  ScopedTempDir temp;
  const std::wstring second = temp.path() + L"\\second";
  std::wstring chosen;
  ASSERT_TRUE(ChoosePackageDir({link, link + L"\\brightmere\\Files", second}, &chosen));
  EXPECT_EQ(second, chosen);
  EXPECT_FALSE(IsDirectory(L"C:\\brightmere-links\\target\\brightmere"));
}

TEST(PackageDirTest, NoUsableCandidateIsReported) {
  std::wstring chosen = L"unchanged";
  EXPECT_FALSE(ChoosePackageDir({L"q:\\Temp", L"r:\\Temp"}, &chosen));
  EXPECT_EQ(L"unchanged", chosen);
}

namespace {

struct SeenMessage {
  std::wstring caption;
  std::wstring text;
};
SeenMessage* g_seen = nullptr;

// Reads the message box as it activates and presses its button.
LRESULT CALLBACK ReadAndCloseMessageBox(int code, WPARAM wParam, LPARAM lParam) {
  wchar_t buffer[1024] = {};
  HWND box = reinterpret_cast<HWND>(wParam);
  // Other windows activate too, for example when the box goes away.
  if (code == HCBT_ACTIVATE && g_seen && GetClassNameW(box, buffer, 1024) &&
      std::wstring(buffer) == L"#32770") {
    GetWindowTextW(box, buffer, 1024);
    g_seen->caption = buffer;
    GetDlgItemTextW(box, 0xFFFF, buffer, 1024);  // the message text's static control
    g_seen->text = buffer;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST(PackageDirMessageTest, NoSpaceMessageNamesTheProductAndTheSpaceNeeded) {
  SeenMessage seen;
  g_seen = &seen;
  HHOOK hook = SetWindowsHookExW(WH_CBT, ReadAndCloseMessageBox, nullptr, GetCurrentThreadId());
  ASSERT_NE(nullptr, hook);
  ShowNoPackageSpaceMessage();
  UnhookWindowsHookEx(hook);
  g_seen = nullptr;
  EXPECT_EQ(std::wstring(build::kDisplayName) + L"\u5b89\u88c5\u63d0\u793a", seen.caption);
  EXPECT_NE(std::wstring::npos, seen.text.find(L"404 MB")) << seen.text.size();
  EXPECT_EQ(0u, seen.text.find(build::kDisplayName));
}
