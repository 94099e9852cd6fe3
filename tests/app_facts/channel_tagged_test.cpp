// This program carries CHANNEL "test_online_20002" and file version 2.3.4.5.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/machine_facts.h"
#include "build_settings.h"

TEST(ChannelTagTest, ReadsTheTagFromTheResource) {
  std::wstring tag;
  ASSERT_TRUE(ReadChannelTag(&tag));
  EXPECT_EQ(L"test_online_20002", tag);
}

TEST(FileVersionTest, ReadsTheFileVersionOfTheProgram) {
  EXPECT_EQ(L"2.3.4.5", GetFileVersionString());
}

TEST(FileVersionTest, SecondCallGivesTheSameText) {
  const std::wstring first = GetFileVersionString();
  EXPECT_EQ(first, GetFileVersionString());
}

TEST(FileVersionTest, VersionResourceNamesTheProductInItsOwnScript) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &handle);
  ASSERT_NE(0u, size);
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, info.data()));
  wchar_t* name = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\080404b0\\ProductName",
                             reinterpret_cast<void**>(&name), &length));
  EXPECT_EQ(std::wstring(build::kDisplayName), std::wstring(name));
}
