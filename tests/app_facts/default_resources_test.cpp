// This program gets its resources from the product, as the installer does.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <set>
#include <vector>

#include "app/machine_facts.h"
#include "build_settings.h"

TEST(ProductResourcesTest, FileVersionIsTheBuildSetting) {
  EXPECT_EQ(std::wstring(build::kFileVersion), GetFileVersionString());
}

TEST(ProductResourcesTest, ChannelTagIsTheBuildSetting) {
  std::wstring tag;
  const bool found = ReadChannelTag(&tag);
  // An empty setting builds no CHANNEL resource at all.
  EXPECT_EQ(std::wstring(BUILT_CHANNEL_TAG).empty(), !found);
  EXPECT_EQ(std::wstring(BUILT_CHANNEL_TAG), found ? tag : L"");
}

// The version resource speaks the product's language and names its maker; Explorer and the
// elevation prompt show these.
TEST(ProductResourcesTest, VersionTextsAreTheProductsInItsLanguage) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const DWORD size = GetFileVersionInfoSizeW(path, nullptr);
  ASSERT_NE(0u, size);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, info.data()));
  wchar_t block[64];
  std::swprintf(block, 64, L"\\StringFileInfo\\%04x04b0\\", build::kLanguageId);
  const struct {
    const wchar_t* name;
    std::wstring expected;
  } fields[] = {{L"CompanyName", build::kCompanyName},
                {L"LegalCopyright", build::kLegalCopyright},
                {L"FileDescription", build::kFileDescription},
                {L"ProductName", build::kDisplayName},
                {L"OriginalFilename", L"facts_default_resources_test.exe"}};
  for (const auto& field : fields) {
    wchar_t* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), (std::wstring(block) + field.name).c_str(),
                               reinterpret_cast<void**>(&value), &length))
        << field.name;
    EXPECT_EQ(field.expected, std::wstring(value)) << field.name;
  }
}

// The icon, first in the program, has the four sizes the shell and the taskbar ask for.
TEST(ProductResourcesTest, IconHasTheFourSizes) {
  HRSRC group = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
  ASSERT_NE(nullptr, group);
  const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, group)));
  const WORD count = *reinterpret_cast<const WORD*>(dir + 4);
  std::set<int> widths;
  for (WORD i = 0; i < count; ++i) widths.insert(dir[6 + i * 14] == 0 ? 256 : dir[6 + i * 14]);
  EXPECT_EQ((std::set<int>{16, 32, 48, 256}), widths);
}
