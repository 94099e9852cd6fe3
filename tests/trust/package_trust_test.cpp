#include "install/package_trust.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "install/package_lock.h"
#include "tests/trust/trust_test_files.h"

using trust_test::kTestSigner;
using trust_test::PreparedFile;

namespace {

TrustResult Verify(const wchar_t* name) {
  return VerifyPackageSigner(PreparedFile(name), kTestSigner);
}

TEST(PackageTrustTest, PackageSignedByTheExpectedSignerIsTrusted) {
  TrustResult result = Verify(L"signed.exe");
  EXPECT_TRUE(result.trusted);
  EXPECT_EQ(0, result.code);
  EXPECT_EQ(L"package signature: signed by \"Test Package Signer\"", result.text);
}

// The installer signed as a release is, and stamped with a channel afterwards: the stamp
// lies outside what the signature covers, so the same check passes each copy.
TEST(PackageTrustTest, SignedInstallerPassesTheCheckBeforeAndAfterStamping) {
  for (const wchar_t* name :
       {L"stub.exe", L"stub-site_a.exe", L"stub-site_b.exe", L"stub-site_c.exe"}) {
    TrustResult result = Verify(name);
    EXPECT_TRUE(result.trusted) << result.text;
    EXPECT_EQ(0, result.code) << result.text;
  }
}

TEST(PackageTrustTest, UnsignedPackageIsRefused) {
  TrustResult result = Verify(L"unsigned.exe");
  EXPECT_FALSE(result.trusted);
  EXPECT_EQ(static_cast<long>(0x800B0100), result.code);
  EXPECT_EQ(L"package signature: not signed (0x800b0100)", result.text);
}

TEST(PackageTrustTest, PackageChangedAfterSigningIsRefused) {
  TrustResult result = Verify(L"tampered.exe");
  EXPECT_FALSE(result.trusted);
  EXPECT_EQ(static_cast<long>(0x80096010), result.code);
  EXPECT_EQ(L"package signature: file changed after signing (0x80096010)", result.text);
}

// The rogue certificate has the right name but chains to a root this machine does not
// trust. WinVerifyTrust passes it here, so only the signer-chain check can refuse it.
TEST(PackageTrustTest, SignerFromAnUntrustedRootIsRefusedByTheChainCheck) {
  ASSERT_EQ(0, trust_test::PlainWinVerifyTrust(PreparedFile(L"rogue.exe")))
      << "WinVerifyTrust now refuses an untrusted root by itself";
  TrustResult result = Verify(L"rogue.exe");
  EXPECT_FALSE(result.trusted);
  EXPECT_EQ(static_cast<long>(0x800B0109), result.code);
  EXPECT_EQ(L"package signature: signer chain not trusted (0x800b0109)", result.text);
}

TEST(PackageTrustTest, PackageSignedByAnotherSignerIsRefused) {
  TrustResult result = Verify(L"other.exe");
  EXPECT_FALSE(result.trusted);
  EXPECT_EQ(static_cast<long>(0x800B0004), result.code);
  EXPECT_EQ(L"package signature: signed by \"Harrowfields Test Signer\", "
            L"not by \"Test Package Signer\" (0x800b0004)",
            result.text);
}

TEST(PackageTrustTest, SignerNameDiffersInCaseIsRefused) {
  TrustResult result = VerifyPackageSigner(PreparedFile(L"signed.exe"), L"brightmere test signer");
  EXPECT_FALSE(result.trusted);
  EXPECT_EQ(static_cast<long>(0x800B0004), result.code);
}

TEST(PackageTrustTest, PartOfTheSignerNameIsNotEnough) {
  TrustResult result = VerifyPackageSigner(PreparedFile(L"signed.exe"), L"Test Package");
  EXPECT_FALSE(result.trusted);
  EXPECT_EQ(static_cast<long>(0x800B0004), result.code);
}

// The build pins the test signer's key and issuer (cmake/loopback-hosts.cmake); samename.exe
// is signed by a certificate of the same name, from the same trusted root, with another key.
TEST(PackageTrustTest, OnlyAPinnedKeyFromThePinnedIssuerIsTrusted) {
  const ExpectedSigner pinned = BuildPackageSigner();
  ASSERT_EQ(pinned.subject, kTestSigner);
  ASSERT_FALSE(pinned.keys.empty());
  ASSERT_FALSE(pinned.issuer.empty());
  const std::wstring otherKey(64, L'0');
  const struct {
    const wchar_t* file;
    ExpectedSigner expected;
    bool trusted;
  } cases[] = {
      {L"signed.exe", pinned, true},
      {L"samename.exe", pinned, false},
      {L"samename.exe", ExpectedSigner(kTestSigner), true},  // the name alone lets it pass
      {L"signed.exe", ExpectedSigner(kTestSigner, pinned.issuer, otherKey), false},
      {L"signed.exe", ExpectedSigner(kTestSigner, pinned.issuer, otherKey + L";" + pinned.keys),
       true},
      {L"signed.exe", ExpectedSigner(kTestSigner, L"Brightmere Rogue Root", pinned.keys), false},
  };
  for (const auto& c : cases) {
    TrustResult result = VerifyPackageSigner(PreparedFile(c.file), c.expected);
    EXPECT_EQ(result.trusted, c.trusted) << c.file << " issuer " << c.expected.issuer;
    if (!c.trusted) EXPECT_EQ(static_cast<long>(0x800B0004), result.code);
  }
  EXPECT_EQ(VerifyPackageSigner(PreparedFile(L"samename.exe"), pinned).text,
            L"package signature: signer's key is not one this build accepts (0x800b0004)");
}

TEST(PackageTrustTest, PinnedKeysAreMatchedWholeAndInAnyCase) {
  const std::wstring a(64, L'a'), b(64, L'b');
  const struct {
    std::wstring keys, key;
    bool pinned;
  } cases[] = {
      {a, a, true},
      {a + L";" + b, b, true},
      {std::wstring(64, L'A'), a, true},
      {a + b, a, false},
      {a, a.substr(1), false},
      {L"", a, false},
      {a, L"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsPinnedKey(c.keys, c.key), c.pinned) << c.keys;
}

TEST(PackageTrustTest, CertificateWithoutCodeSigningUsageIsRefused) {
  TrustResult result = Verify(L"noeku.exe");
  EXPECT_FALSE(result.trusted);
  EXPECT_EQ(static_cast<long>(0x800B0110), result.code);
  EXPECT_EQ(L"package signature: signing certificate not for code signing (0x800b0110)",
            result.text);
}

TEST(PackageTrustTest, EmptyExpectedSignerLeavesThePackageUnchecked) {
  TrustResult result = VerifyPackageSigner(PreparedFile(L"unsigned.exe"), L"");
  EXPECT_TRUE(result.trusted);
  EXPECT_EQ(L"package signature: not checked", result.text);
}

TEST(PackageTrustTest, MissingFileIsRefused) {
  TrustResult result = VerifyPackageSigner(PreparedFile(L"no such package.exe"), kTestSigner);
  EXPECT_FALSE(result.trusted);
  EXPECT_NE(0, result.code);
}

// The real setup package carries its payload after the program; signed after the payload
// was added, the whole file is covered.
TEST(PackageTrustTest, SignedPackageOverTenMebibytesIsTrusted) {
  std::wstring path = PreparedFile(L"big.exe");
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes));
  ASSERT_TRUE(attributes.nFileSizeHigh > 0 || attributes.nFileSizeLow >= 10485760u);
  TrustResult result = VerifyPackageSigner(path, kTestSigner);
  EXPECT_TRUE(result.trusted) << result.text;
}

TEST(PackageTrustTest, VerifiesThroughAHeldLock) {
  PackageLock lock(PreparedFile(L"signed.exe"));
  ASSERT_TRUE(lock.IsHeld());
  TrustResult result = VerifyPackageSigner(lock, kTestSigner);
  EXPECT_TRUE(result.trusted) << result.text;
}

TEST(PackageTrustTest, ChangedPackageIsRefusedThroughAHeldLock) {
  PackageLock lock(PreparedFile(L"tampered.exe"));
  ASSERT_TRUE(lock.IsHeld());
  TrustResult result = VerifyPackageSigner(lock, kTestSigner);
  EXPECT_FALSE(result.trusted);
  EXPECT_EQ(static_cast<long>(0x80096010), result.code);
}

TEST(PackageTrustTest, LockThatIsNotHeldIsRefused) {
  PackageLock lock(PreparedFile(L"no such package.exe"));
  TrustResult result = VerifyPackageSigner(lock, kTestSigner);
  EXPECT_FALSE(result.trusted);
  EXPECT_EQ(static_cast<long>(0x80070002), result.code);
  EXPECT_EQ(L"package signature: cannot open the package (0x80070002)", result.text);
}

}  // namespace
