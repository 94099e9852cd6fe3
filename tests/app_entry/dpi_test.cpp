#include "app/dpi.h"

#include <windows.h>

#include "gtest/gtest.h"
#include "tests/support/child_process.h"
#include "tests/support/test_paths.h"

namespace {

TEST(ThemeFolderForDpiTest, UpTo100IsThePlainSkin) {
  EXPECT_EQ(ThemeFolderForDpi(96), L"themes\\default");
  EXPECT_EQ(ThemeFolderForDpi(100), L"themes\\default");
}

TEST(ThemeFolderForDpiTest, From101To131IsTheHighDpiSkin) {
  EXPECT_EQ(ThemeFolderForDpi(101), L"themes\\default-hdpi");
  EXPECT_EQ(ThemeFolderForDpi(120), L"themes\\default-hdpi");
  EXPECT_EQ(ThemeFolderForDpi(131), L"themes\\default-hdpi");
}

TEST(ThemeFolderForDpiTest, From132IsTheExtraHighDpiSkin) {
  EXPECT_EQ(ThemeFolderForDpi(132), L"themes\\default-xhdpi");
  EXPECT_EQ(ThemeFolderForDpi(192), L"themes\\default-xhdpi");
}

TEST(ComputeDisplayScaleTest, StaysAt100WithoutAdaptation) {
  EXPECT_EQ(ComputeDisplayScale(false, 144), 100);
}

TEST(ComputeDisplayScaleTest, FollowsTheMonitorDpi) {
  EXPECT_EQ(ComputeDisplayScale(true, 96), 100);
  EXPECT_EQ(ComputeDisplayScale(true, 120), 125);
  EXPECT_EQ(ComputeDisplayScale(true, 144), 150);
}

TEST(ComputeDisplayScaleTest, RoundsToTheNearestPercent) {
  EXPECT_EQ(ComputeDisplayScale(true, 100), 104);  // 104.17
  EXPECT_EQ(ComputeDisplayScale(true, 110), 115);  // 114.58
}

// The DPI a new process sees comes from the user's LogPixels value. Each case writes it,
// starts the probe and restores the old value.
class SystemDpiTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr),
              ERROR_SUCCESS);
    DWORD size = sizeof(saved_);
    hadValue_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(&saved_), &size) == ERROR_SUCCESS;
    SetLogPixels(static_cast<DWORD>(GetParam()));
  }
  void TearDown() override {
    if (!key_)
      return;
    SetLogPixels(hadValue_ ? saved_ : 96);
    RegCloseKey(key_);
  }
  void SetLogPixels(DWORD dpi) {
    ASSERT_EQ(RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi)),
              ERROR_SUCCESS);
  }
  static std::wstring Probe() { return TestProgramDir() + L"\\app_entry_dpi_probe.exe"; }

  HKEY key_ = nullptr;
  DWORD saved_ = 96;
  bool hadValue_ = false;
};

TEST_P(SystemDpiTest, NewProcessReadsTheConfiguredDpi) {
  EXPECT_EQ(RunToExit(Probe(), L"system"), GetParam());
}

TEST_P(SystemDpiTest, DisplayScaleFollowsTheConfiguredDpi) {
  EXPECT_EQ(RunToExit(Probe(), L"scale"), GetParam() * 100 / 96);
}

INSTANTIATE_TEST_SUITE_P(LogPixels, SystemDpiTest, ::testing::Values(96, 120, 144));

}  // namespace
