// Installers whose skin package is missing or damaged: each must say so in a message box
// captioned "<name>安装提示" and end with exit code 3 once it is closed, never crash.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/startup/installer_startup.h"
#include "build_settings.h"
#include "tests/robustness/installer_process.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

struct BrokenSkinCase {
  const char* variant;
  const wchar_t* reason;  // what the message's last line must name
};

class BrokenSkinTest : public testing::TestWithParam<BrokenSkinCase> {};

TEST_P(BrokenSkinTest, ShowsTheDamagedInstallerMessageAndEndsWithExitCode3) {
  const BrokenSkinCase& c = GetParam();
  InstallerProcess installer;
  ASSERT_TRUE(installer.Start(VariantPath(c.variant), L""));
  const std::wstring caption = std::wstring(build::kDisplayName) + L"安装提示";
  HWND box = installer.WaitForWindow(caption, kStartTimeoutMs);
  DWORD exitCode = 0;
  if (!box && installer.WaitForExit(0, &exitCode))
    FAIL() << "ended without the message, exit code 0x" << std::hex << exitCode;
  ASSERT_NE(box, nullptr) << "no message box captioned as expected";

  const std::wstring text = MessageBoxText(box);
  const std::wstring expectedStart = std::wstring(build::kDisplayName) +
      L" 安装程序已损坏，无法显示安装界面。请重新下载安装程序。\n\n(";
  EXPECT_EQ(text.compare(0, expectedStart.size(), expectedStart), 0) << testing::PrintToString(text);
  EXPECT_NE(text.find(c.reason), std::wstring::npos) << testing::PrintToString(text);
  EXPECT_EQ(text.back(), L')');

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(installer.WaitForExit(kStartTimeoutMs, &exitCode));
  EXPECT_EQ(exitCode, static_cast<DWORD>(kNoSkinExitCode)) << std::hex << exitCode;
}

INSTANTIATE_TEST_SUITE_P(
    Variants, BrokenSkinTest,
    testing::Values(BrokenSkinCase{"robust_installer_no_theme", L"THEME resource missing"},
                    BrokenSkinCase{"robust_installer_truncated", L"THEME resource unreadable: not a zip"},
                    BrokenSkinCase{"robust_installer_random", L"THEME resource unreadable: not a zip"},
                    BrokenSkinCase{"robust_installer_bad_global", L"global.xml:3: "},
                    BrokenSkinCase{"robust_installer_bad_basic", L"basic/basic.xml:3: "},
                    BrokenSkinCase{"robust_installer_no_basic", L"basic/basic.xml: not found"},
                    BrokenSkinCase{"robust_installer_bad_deflate", L"global.xml"},
                    // The texts are by key: without its string table no page can be labelled.
                    BrokenSkinCase{"robust_installer_no_strings",
                                   L"no entry resources/lang/zh_CN/strings.ini in the archive"}),
    [](const testing::TestParamInfo<BrokenSkinCase>& info) {
      return std::string(info.param.variant).substr(sizeof("robust_installer_") - 1);
    });

// Images only decorate: without them the window still shows, and closes normally.
class UnusableDecorationTest : public testing::TestWithParam<const char*> {};

TEST_P(UnusableDecorationTest, MainWindowStillShowsAndCloses) {
  InstallerProcess installer;
  ASSERT_TRUE(installer.Start(VariantPath(GetParam()), L""));
  HWND window = installer.WaitForWindow(std::wstring(build::kDisplayName) + L" 安装程序",
                                        kStartTimeoutMs);
  DWORD exitCode = 0;
  if (!window && installer.WaitForExit(0, &exitCode))
    FAIL() << "ended without its window, exit code 0x" << std::hex << exitCode;
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(installer.WaitForExit(kStartTimeoutMs, &exitCode));
  EXPECT_EQ(exitCode, 0u) << std::hex << exitCode;
}

INSTANTIATE_TEST_SUITE_P(Variants, UnusableDecorationTest,
                         testing::Values("robust_installer_bad_images"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).substr(sizeof("robust_installer_") - 1);
                         });

}  // namespace
