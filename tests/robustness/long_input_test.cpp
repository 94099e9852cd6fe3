// Over-long command-line values: the installer starts and shows its window, takes the values
// whole, and closes normally. A Windows command line holds at most 32,767 characters, so the
// longest value the installer can ever receive is a little below that.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "build_settings.h"
#include "tests/robustness/installer_process.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

std::wstring MainWindowTitle() {
  return std::wstring(build::kDisplayName) + L" 安装程序";
}

// Starts the real installer with `arguments`, waits for its main window and hands it to
// `check`, then closes the window, which must end the installer with exit code 0.
template <typename Check>
void RunWithArguments(const std::wstring& arguments, Check check,
                      const std::wstring& exe = InstallerPath()) {
  InstallerProcess installer;
  ASSERT_TRUE(installer.Start(exe, arguments)) << GetLastError();
  HWND window = installer.WaitForWindow(MainWindowTitle(), kStartTimeoutMs);
  DWORD exitCode = 0;
  if (!window && installer.WaitForExit(0, &exitCode))
    FAIL() << "ended without its window, exit code 0x" << std::hex << exitCode;
  ASSERT_NE(window, nullptr);
  check(window);
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(installer.WaitForExit(kStartTimeoutMs, &exitCode));
  EXPECT_EQ(exitCode, 0u) << std::hex << exitCode;
}

TEST(LongCommandLine, InstallFolderNearTheCommandLineLimitIsShownWhole) {
  const std::wstring folder = L"C:\\" + std::wstring(32000, L'a');
  RunWithArguments(L"installPath:" + folder, [&](HWND window) {
    EXPECT_TRUE(WaitForEditShowing(window, folder, kStartTimeoutMs))
        << "no edit shows the whole folder";
  });
}

// The channel's way into the download URL is checked in facts_tagged_test
// (InstallerSettingsTest.ChannelGoesIntoTheUrlVerbatim); here: the real installer with it.
TEST(LongCommandLine, ChannelOfTenThousandCharactersStarts) {
  RunWithArguments(L"channel:" + std::wstring(10000, L'c'), [](HWND) {});
}

TEST(LongCommandLine, FourThousandArgumentsStart) {
  std::wstring arguments;
  for (int i = 0; i < 4000; ++i)
    arguments += L"k" + std::to_wstring(i) + L":v ";
  arguments += L"installPath:C:\\many";
  RunWithArguments(arguments, [](HWND window) {
    EXPECT_TRUE(WaitForEditShowing(window, L"C:\\many", kStartTimeoutMs));
  });
}

TEST(LongCommandLine, NonUtf16SurrogateHalvesInAValueStart) {
  std::wstring value = L"C:\\x";
  value += static_cast<wchar_t>(0xD800);
  value += L"y";
  value += static_cast<wchar_t>(0xDC00);
  RunWithArguments(L"installPath:" + value + L" channel:" + value, [](HWND) {});
}

// The channel tag resource holds bytes that are not UTF-8: the channel is empty (checked in
// facts_invalid_tag_test, which has the same resource), and the installer starts all the same.
TEST(ChannelResource, TagThatIsNotUtf8Starts) {
  RunWithArguments(L"", [](HWND) {}, VariantPath("robust_installer_bad_channel"));
}

}  // namespace
