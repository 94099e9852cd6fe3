// Settings built by a program whose CHANNEL resource holds "test_online_20002".
#include "app/installer_settings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/registry.h"
#include "build_settings.h"
#include "tests/app_facts/facts_test_support.h"

namespace {

using Args = std::map<std::wstring, std::wstring>;

const std::wstring kUrlPrefix = std::wstring(L"http://") + build::kPackageHost +
                                L"/caller?c=site&a=downloadPackage&channel=";

class InstallerSettingsTest : public ::testing::Test {
 protected:
  InstallerSettings Build(const Args& args) {
    InstallerSettings settings;
    EXPECT_TRUE(BuildInstallerSettings(args, {temp_.path()}, &settings));
    return settings;
  }

  ScopedUserRegValue storedChannel_{kAppInfoKey, L"InstallerChannel"};
  ScopedTempDir temp_;
};

}  // namespace

TEST_F(InstallerSettingsTest, ResourceTagIsTheChannelWithoutArguments) {
  const InstallerSettings settings = Build({{L"path", L"C:\\x\\installer.exe"}});
  EXPECT_EQ(L"test_online_20002", settings.channel);
  EXPECT_EQ(kUrlPrefix + L"test_online_20002", settings.downloadUrl);
}

TEST_F(InstallerSettingsTest, ChannelArgumentOverridesTheResourceTag) {
  EXPECT_EQ(L"abc", Build({{L"channel", L"abc"}}).channel);
}

TEST_F(InstallerSettingsTest, EmptyChannelArgumentDoesNotOverride) {
  EXPECT_EQ(L"test_online_20002", Build({{L"channel", L""}}).channel);
}

TEST_F(InstallerSettingsTest, UpgradeChannelTakesTheStoredChannel) {
  WriteUserRegString(kAppInfoKey, L"InstallerChannel", L"abc");
  const InstallerSettings settings = Build({{L"channel", L"_upgrade"}});
  EXPECT_EQ(L"abc", settings.channel);
  EXPECT_EQ(kUrlPrefix + L"abc", settings.downloadUrl);
}

TEST_F(InstallerSettingsTest, UpgradeChannelStaysWhenNothingIsStored) {
  storedChannel_.Delete();
  EXPECT_EQ(L"_upgrade", Build({{L"channel", L"_upgrade"}}).channel);
}

TEST_F(InstallerSettingsTest, OtherLetterCaseOfUpgradeIsAnOrdinaryChannel) {
  WriteUserRegString(kAppInfoKey, L"InstallerChannel", L"abc");
  EXPECT_EQ(L"_Upgrade", Build({{L"channel", L"_Upgrade"}}).channel);
}

TEST_F(InstallerSettingsTest, StoredChannelIsIgnoredForOtherChannels) {
  WriteUserRegString(kAppInfoKey, L"InstallerChannel", L"abc");
  EXPECT_EQ(L"test_online_20002", Build({}).channel);
}

// Also a channel of ten thousand characters (the installer's start with one:
// robustness_tests' LongCommandLine.ChannelOfTenThousandCharactersStarts).
TEST_F(InstallerSettingsTest, ChannelGoesIntoTheUrlVerbatim) {
  for (const std::wstring channel : {std::wstring(L"a b&c=\u660e"), std::wstring(10000, L'c')})
    EXPECT_EQ(kUrlPrefix + channel, Build({{L"channel", channel}}).downloadUrl);
}

TEST_F(InstallerSettingsTest, DefaultInstallDirIsUnderProgramFilesX86) {
  wchar_t programFiles[MAX_PATH] = {};
  ASSERT_NE(0u, GetEnvironmentVariableW(L"ProgramFiles(x86)", programFiles, MAX_PATH));
  EXPECT_EQ(std::wstring(programFiles) + L"\\harrowfields\\brightmere", Build({}).installDir);
}

TEST_F(InstallerSettingsTest, InstallPathArgumentIsUsedVerbatim) {
  EXPECT_EQ(L"..\\odd dir\\", Build({{L"installPath", L"..\\odd dir\\"}}).installDir);
}

TEST_F(InstallerSettingsTest, EmptyInstallPathArgumentKeepsTheDefault) {
  EXPECT_NE(std::wstring::npos,
            Build({{L"installPath", L""}}).installDir.find(L"\\harrowfields\\brightmere"));
}

TEST_F(InstallerSettingsTest, PackagePathIsInsideThePackageDir) {
  const InstallerSettings settings = Build({});
  EXPECT_EQ(temp_.path() + L"\\", settings.packageDir);
  EXPECT_EQ(temp_.path() + L"\\brightmereInstaller.exe", settings.packagePath);
}

TEST_F(InstallerSettingsTest, PackageGoesToRoamingAppDataByDefault) {
  wchar_t appData[MAX_PATH] = {};
  ASSERT_NE(0u, GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH));
  InstallerSettings settings;
  ASSERT_TRUE(BuildInstallerSettings({}, &settings));
  EXPECT_EQ(std::wstring(appData) + L"\\brightmere\\Files\\brightmereInstaller.exe",
            settings.packagePath);
}

TEST_F(InstallerSettingsTest, NoUsablePackageDirFailsButFillsTheRest) {
  InstallerSettings settings;
  EXPECT_FALSE(BuildInstallerSettings({{L"channel", L"abc"}}, {L"q:\\Temp"}, &settings));
  EXPECT_EQ(L"", settings.packagePath);
  EXPECT_EQ(kUrlPrefix + L"abc", settings.downloadUrl);
  EXPECT_FALSE(settings.installDir.empty());
}
