// The quiet demo setup package, signed as served and run for real: "/quiet /dir=<folder>"
// installs the application and its uninstall entry into a folder with spaces in its name;
// any other command line ends with 2 and leaves nothing, not even the test switches' traces;
// a run the test switches fail ends with their code before installing.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/file_version.h"
#include "quiet_setup_settings.h"
#include "tests/install/install_test_support.h"
#include "tests/support/test_paths.h"

namespace {

using install_test::FileExists;
using install_test::ScopedEnv;

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::wstring ReadRegString(const std::wstring& key, const wchar_t* name) {
  wchar_t value[512] = {};
  DWORD bytes = sizeof(value);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value,
                   &bytes) != ERROR_SUCCESS) {
    return L"<none>";
  }
  return value;
}

bool KeyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return false;
  RegCloseKey(handle);
  return true;
}

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Case {
  const char* name;
  const wchar_t* arguments;  // "{dir}" stands for the install folder
  const wchar_t* failRuns;   // BRIGHTMERE_DEMO_FAIL_RUNS, or none
  long exitCode;
};

TEST(QuietSetupTest, InstallsWithQuietAndAFullFolderOnly) {
  const std::wstring package = PathFromEnv("BRIGHTMERE_DEMO_QUIET_PACKAGE");
  ASSERT_FALSE(package.empty());
  uint64_t version = 0, expectedVersion = 0;
  ASSERT_TRUE(ReadFileVersion(package, &version));
  ASSERT_TRUE(ParseFileVersion(quiet_setup::kVersion, &expectedVersion));
  EXPECT_EQ(version, expectedVersion);
  EXPECT_GT(ReadBytes(package).size(), quiet_setup::kMinPackageBytes);

  const std::wstring scratch = install_test::MakeScratchDir(L"quiet");
  const std::wstring dir = scratch + L"\\Program Files\\A Maker\\A Product";
  const std::wstring tempSeen = scratch + L"\\temp seen.txt";
  const std::wstring entry = kUninstallKey + std::wstring(quiet_setup::kDisplayName);
  ScopedEnv seen(L"BRIGHTMERE_DEMO_TEMP_SEEN", tempSeen);
  ScopedEnv failCode(L"BRIGHTMERE_DEMO_FAIL_CODE", L"7");
  const Case cases[] = {
      {"quiet into a folder with spaces", L"/quiet /dir={dir}", nullptr, 0},
      {"switches in capitals, blanks around", L"/QUIET   /Dir={dir}  ", nullptr, 0},
      {"the NSIS package's switches", L"/S /D={dir}", nullptr, 2},
      {"another switch between", L"/quiet /norestart /dir={dir}", nullptr, 2},
      {"the folder first", L"/dir={dir} /quiet", nullptr, 2},
      {"no folder", L"/quiet", nullptr, 2},
      {"an empty folder", L"/quiet /dir=", nullptr, 2},
      {"a relative folder", L"/quiet /dir=A Product", nullptr, 2},
      {"a run the test switches fail", L"/quiet /dir={dir}", L"1", 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    install_test::RemoveTree(scratch + L"\\Program Files");
    DeleteFileW(tempSeen.c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, entry.c_str());
    std::unique_ptr<ScopedEnv> failRuns;
    if (c.failRuns)
      failRuns = std::make_unique<ScopedEnv>(L"BRIGHTMERE_DEMO_FAIL_RUNS", c.failRuns);
    std::wstring arguments = c.arguments;
    const size_t at = arguments.find(L"{dir}");
    if (at != std::wstring::npos)
      arguments.replace(at, 5, dir);

    EXPECT_EQ(RunToExit(package, arguments), c.exitCode);

    const bool installed = c.exitCode == 0;
    EXPECT_EQ(FileExists(dir), installed);
    EXPECT_EQ(KeyExists(entry), installed);
    EXPECT_EQ(FileExists(tempSeen), c.exitCode != 2);  // a refused line runs nothing
    if (!installed)
      continue;
    wchar_t temp[MAX_PATH + 1];
    const DWORD tempChars = GetTempPathW(MAX_PATH + 1, temp);
    const std::string seenBytes = ReadBytes(tempSeen);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(seenBytes.data()),
                           seenBytes.size() / sizeof(wchar_t)),
              std::wstring(temp, tempChars - 1));  // the folder it inherited, no "\" at the end
    const std::string app = ReadBytes(dir + L"\\" + quiet_setup::kAppExeName);
    EXPECT_TRUE(!app.empty() && app == ReadBytes(install_test::DemoAppPath()))
        << "the installed application is not the demo application (" << app.size() << " bytes)";
    EXPECT_TRUE(FileExists(dir + L"\\" + quiet_setup::kDataFileName));
    EXPECT_EQ(ReadRegString(entry, L"DisplayName"), quiet_setup::kDisplayName);
    EXPECT_EQ(ReadRegString(entry, L"InstallLocation"), dir);
    EXPECT_EQ(ReadRegString(entry, L"DisplayVersion"), quiet_setup::kVersion);
    EXPECT_EQ(ReadRegString(entry, L"Publisher"), quiet_setup::kCompanyName);
  }
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, entry.c_str());
  install_test::RemoveTree(scratch);
}

}  // namespace
