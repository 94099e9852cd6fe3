// This program has neither a CHANNEL nor a version resource.
#include <gtest/gtest.h>

#include "app/installer_settings.h"
#include "app/machine_facts.h"
#include "tests/app_facts/facts_test_support.h"

TEST(ChannelTagTest, MissingResourceLeavesTheTagUntouched) {
  std::wstring tag = L"untouched";
  EXPECT_FALSE(ReadChannelTag(&tag));
  EXPECT_EQ(L"untouched", tag);
}

TEST(FileVersionTest, MissingVersionResourceGivesOneZeroZeroZero) {
  EXPECT_EQ(L"1.0.0.0", GetFileVersionString());
}

TEST(InstallerSettingsTest, ChannelIsDefaultWithoutResourceOrArgument) {
  ScopedTempDir temp;
  InstallerSettings settings;
  ASSERT_TRUE(BuildInstallerSettings({}, {temp.path()}, &settings));
  EXPECT_EQ(L"default", settings.channel);
  EXPECT_EQ(L"&channel=default",
            settings.downloadUrl.substr(settings.downloadUrl.size() - 16));
}

TEST(InstallerSettingsTest, ChannelArgumentStillOverridesWithoutResource) {
  ScopedTempDir temp;
  InstallerSettings settings;
  ASSERT_TRUE(BuildInstallerSettings({{L"channel", L"abc"}}, {temp.path()}, &settings));
  EXPECT_EQ(L"abc", settings.channel);
}
