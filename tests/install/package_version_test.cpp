#include "install/package_version.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "app/file_version.h"
#include "tests/install/install_test_support.h"
#include "tests/support/test_paths.h"

namespace {

// The demo package carries the build's file version (2.1.0.7 unless configured otherwise),
// its older variant 1.0.0.1; a file without a version resource carries none.
TEST(PackageVersionTest, LowerOrMissingVersionIsRefused) {
  const std::wstring scratch = install_test::MakeScratchDir(L"version");
  const std::wstring current = install_test::DemoPackagePath();
  const std::wstring older = PathFromEnv("BRIGHTMERE_DEMO_OLDER_PACKAGE");
  const std::wstring none = scratch + L"\\no version.exe";
  ASSERT_TRUE(install_test::CopyFileTo(install_test::DemoAppPath(), none));
  uint64_t version = 0;
  ASSERT_FALSE(ReadFileVersion(none, &version)) << "the demo application has a version";
  const struct {
    std::wstring path;
    const wchar_t* least;
    bool accepted;
  } cases[] = {
      {current, L"", true},          {current, L"2.0.0.0", true}, {older, L"2.0.0.0", false},
      {older, L"1.0.0.1", true},     {older, L"1.0.0.2", false},  {older, L"", true},
      {none, L"0.0.0.1", false},     {current, L"2.0", false},
  };
  for (const auto& c : cases) {
    const TrustResult result = CheckPackageVersion(c.path, c.least);
    EXPECT_EQ(result.trusted, c.accepted) << std::string(c.path.begin(), c.path.end()) << " "
                                          << std::string(result.text.begin(), result.text.end());
    EXPECT_EQ(result.code, c.accepted ? 0 : kPackageTooOld);
  }
  EXPECT_EQ(CheckPackageVersion(older, L"2.0.0.0").text,
            L"package version: 1.0.0.1 is lower than 2.0.0.0, the lowest accepted");
  install_test::RemoveTree(scratch);
}

TEST(PackageVersionTest, VersionTextsAreReadStrictly) {
  const struct {
    const wchar_t* text;
    bool valid;
    uint64_t version;
  } cases[] = {
      {L"2.1.0.7", true, 0x0002000100000007},  {L"65535.0.0.1", true, 0xFFFF000000000001},
      {L"2.1.0", false, 0},  {L"2.1.0.7.", false, 0}, {L"65536.0.0.0", false, 0},
      {L"2.1.x.7", false, 0}, {L"", false, 0},        {L"2..0.7", false, 0},
  };
  for (const auto& c : cases) {
    uint64_t version = 0;
    EXPECT_EQ(ParseFileVersion(c.text, &version), c.valid) << c.text;
    if (c.valid) EXPECT_EQ(version, c.version) << c.text;
  }
}

}  // namespace
