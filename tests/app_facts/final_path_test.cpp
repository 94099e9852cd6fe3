#include "app/final_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(FinalPathTest, SamePathIgnoresThePrefixCaseAndATrailingBackslash) {
  const struct {
    const wchar_t* a;
    const wchar_t* b;
    bool same;
  } cases[] = {
      {L"\\\\?\\C:\\Users\\x\\bm-1\\setup.exe", L"C:\\Users\\x\\bm-1\\setup.exe", true},
      {L"\\\\?\\c:\\USERS\\x\\bm-1\\", L"C:\\Users\\x\\bm-1", true},
      {L"\\\\?\\UNC\\server\\share\\a.exe", L"\\\\server\\share\\a.exe", true},
      {L"C:\\Users\\x\\bm-1\\setup.exe", L"C:\\Users\\x\\bm-2\\setup.exe", false},
      {L"C:\\Users\\x\\setup.exe", L"D:\\Users\\x\\setup.exe", false},
      {L"C:\\a\\setup.exe", L"C:\\a\\setup.exe.exe", false},
      {L"C:\\a\\setup.exe", L"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsSamePath(c.a, c.b), c.same) << c.a << " vs " << c.b;
}

TEST(FinalPathTest, EveryFolderOnTheWayShortestFirst) {
  const struct {
    const wchar_t* path;
    std::vector<std::wstring> way;
  } cases[] = {
      {L"C:\\Users\\x\\AppData",
       {L"C:\\", L"C:\\Users", L"C:\\Users\\x", L"C:\\Users\\x\\AppData"}},
      {L"C:\\Temp\\", {L"C:\\", L"C:\\Temp"}},
      {L"d:\\", {L"d:\\"}},
      {L"\\\\server\\share\\dir", {L"\\\\server\\share", L"\\\\server\\share\\dir"}},
      {L"\\harrowfields\\brightmere", {}},
      {L"relative\\dir", {}},
      {L"C:relative", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(PathsOnTheWay(c.path), c.way) << c.path;
}

}  // namespace
