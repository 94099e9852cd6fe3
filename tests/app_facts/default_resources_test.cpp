// This program gets its resources from the build settings, as the installer does.
#include <gtest/gtest.h>

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
