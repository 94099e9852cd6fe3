// This program's CHANNEL resource holds "abc" followed by a truncated UTF-8 sequence.
#include <gtest/gtest.h>

#include "app/installer_settings.h"
#include "app/machine_facts.h"
#include "tests/app_facts/facts_test_support.h"

TEST(ChannelTagTest, InvalidUtf8GivesAnEmptyTag) {
  std::wstring tag = L"previous";
  EXPECT_TRUE(ReadChannelTag(&tag));
  EXPECT_EQ(L"", tag);
}

TEST(InstallerSettingsTest, InvalidTagLeavesTheChannelEmptyNotDefault) {
  ScopedTempDir temp;
  InstallerSettings settings;
  ASSERT_TRUE(BuildInstallerSettings({}, {temp.path()}, &settings));
  EXPECT_EQ(L"", settings.channel);
  EXPECT_EQ(L"&channel=", settings.downloadUrl.substr(settings.downloadUrl.size() - 9));
}

TEST(InstallerSettingsTest, ChannelArgumentOverridesAnInvalidTag) {
  ScopedTempDir temp;
  InstallerSettings settings;
  ASSERT_TRUE(BuildInstallerSettings({{L"channel", L"abc"}}, {temp.path()}, &settings));
  EXPECT_EQ(L"abc", settings.channel);
}
