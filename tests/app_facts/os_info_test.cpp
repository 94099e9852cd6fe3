#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/machine_facts.h"
#include "app/os_display_name.h"
#include "tests/app_facts/facts_test_support.h"

namespace {

// A machine of the given version for the name table.
VersionAtLeastTest MachineOf(int major, int minor, int servicePack) {
  return [=](int wantMajor, int wantMinor, int wantServicePack) {
    if (major != wantMajor) return major > wantMajor;
    if (minor != wantMinor) return minor > wantMinor;
    return servicePack >= wantServicePack;
  };
}

std::string ProbeOs(const std::wstring& program, const std::wstring& wineVersion) {
  ScopedWineVersion version(program, wineVersion);
  return RunProbe(program, L"os");
}

std::wstring ReadMachineString(const wchar_t* key, const wchar_t* value) {
  wchar_t text[64] = {};
  DWORD bytes = sizeof(text) - sizeof(wchar_t);
  RegGetValueW(HKEY_LOCAL_MACHINE, key, value, RRF_RT_REG_SZ, nullptr, text, &bytes);
  return text;
}

}  // namespace

TEST(OsDisplayNameTest, NamesEachReleaseByItsFirstMatchingRow) {
  EXPECT_EQ(L"Microsoft Windows 10", PickOsDisplayName(false, MachineOf(10, 0, 0)));
  EXPECT_EQ(L"Microsoft Windows 8.1", PickOsDisplayName(false, MachineOf(6, 3, 0)));
  EXPECT_EQ(L"Microsoft Windows 8", PickOsDisplayName(false, MachineOf(6, 2, 0)));
  EXPECT_EQ(L"Microsoft Windows 7 sp1", PickOsDisplayName(false, MachineOf(6, 1, 1)));
  EXPECT_EQ(L"Microsoft Windows 7", PickOsDisplayName(false, MachineOf(6, 1, 0)));
  EXPECT_EQ(L"Microsoft Windows Vista sp2", PickOsDisplayName(false, MachineOf(6, 0, 2)));
  EXPECT_EQ(L"Microsoft Windows Vista sp1", PickOsDisplayName(false, MachineOf(6, 0, 1)));
  EXPECT_EQ(L"Microsoft Windows Vista", PickOsDisplayName(false, MachineOf(6, 0, 0)));
  EXPECT_EQ(L"Microsoft Windows xp sp3", PickOsDisplayName(false, MachineOf(5, 1, 3)));
  EXPECT_EQ(L"Microsoft Windows xp sp2", PickOsDisplayName(false, MachineOf(5, 1, 2)));
  EXPECT_EQ(L"Microsoft Windows xp sp1", PickOsDisplayName(false, MachineOf(5, 1, 1)));
  EXPECT_EQ(L"Microsoft Windows xp", PickOsDisplayName(false, MachineOf(5, 1, 0)));
}

TEST(OsDisplayNameTest, ServerEditionWinsOverAnyVersion) {
  EXPECT_EQ(L"Microsoft Windows Server", PickOsDisplayName(true, MachineOf(10, 0, 0)));
  EXPECT_EQ(L"Microsoft Windows Server", PickOsDisplayName(true, MachineOf(5, 2, 0)));
}

TEST(OsDisplayNameTest, OlderThanXpIsUnknown) {
  EXPECT_EQ(L"unknown OperatingSystem.", PickOsDisplayName(false, MachineOf(5, 0, 4)));
}

TEST(OsDisplayNameTest, LaterServicePackOfAnOlderReleaseDoesNotCountAsNewer) {
  EXPECT_EQ(L"Microsoft Windows Vista sp2", PickOsDisplayName(false, MachineOf(6, 0, 5)));
}

// Wine 8.0's "win7" setting reports a server product type, so this test uses the version
// that a new prefix describes in its registry: a Windows 7 SP1 workstation.
TEST(OsInfoTest, Windows7IsNamedWithItsServicePack) {
  ASSERT_EQ(L"6.1", ReadMachineString(L"Software\\Microsoft\\Windows NT\\CurrentVersion",
                                      L"CurrentVersion"));
  ASSERT_EQ(L"WinNT",
            ReadMachineString(L"System\\CurrentControlSet\\Control\\ProductOptions",
                              L"ProductType"));
  EXPECT_EQ("Microsoft Windows 7 sp1|64bit", RunProbe(L"facts_probe.exe", L"os"));
}

TEST(OsInfoTest, Windows10IsNamedWindows10) {
  EXPECT_EQ("Microsoft Windows 10|64bit", ProbeOs(L"facts_probe.exe", L"win10"));
}

TEST(OsInfoTest, Windows10WithoutTheManifestLooksLikeWindows8) {
  EXPECT_EQ("Microsoft Windows 8|64bit", ProbeOs(L"facts_probe_no_manifest.exe", L"win10"));
}

TEST(OsInfoTest, ServerReleaseIsNamedServer) {
  EXPECT_EQ("Microsoft Windows Server|64bit", ProbeOs(L"facts_probe.exe", L"win2008"));
}

TEST(OsInfoTest, WindowsXpIsNamedWithItsServicePack) {
  EXPECT_EQ("Microsoft Windows xp sp3|64bit", ProbeOs(L"facts_probe.exe", L"winxp"));
}

// The shipped 32-bit installer runs under WOW64 there and must still say "64bit"; the x86_64
// test build sees the same system natively.
TEST(OsInfoTest, SixtyFourBitWindowsIsSeenFromEitherBuild) {
  BOOL wow64 = FALSE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  EXPECT_EQ(wow64 != FALSE, sizeof(void*) == 4) << "the test prefix is a 64-bit system";
  EXPECT_TRUE(Is64BitWindows());
}

TEST(OsInfoTest, TestPrefixIsAWorkstationNewerThanXp) {
  EXPECT_TRUE(IsVersionAtLeast(5, 1, 0));
  EXPECT_FALSE(IsVersionAtLeast(99, 0, 0));
  EXPECT_FALSE(IsServerEdition());
}
