#include <gtest/gtest.h>

#include <string>

#include "app/machine_facts.h"
#include "app/md5_digest.h"
#include "app/platform_md5.h"

namespace {

std::wstring OwnMd5Hex(const std::string& bytes) {
  return DigestToHexUpper(ComputeMd5(bytes.data(), bytes.size()));
}

}  // namespace

// RFC 1321, appendix A.5.
TEST(Md5DigestTest, MatchesReferenceVectors) {
  EXPECT_EQ(L"D41D8CD98F00B204E9800998ECF8427E", OwnMd5Hex(""));
  EXPECT_EQ(L"0CC175B9C0F1B6A831C399E269772661", OwnMd5Hex("a"));
  EXPECT_EQ(L"900150983CD24FB0D6963F7D28E17F72", OwnMd5Hex("abc"));
  EXPECT_EQ(L"F96B697D7CB7938D525A2F31AAF161D0", OwnMd5Hex("message digest"));
  EXPECT_EQ(L"57EDF4A22BE3C955AC49DA2E2107B67A",
            OwnMd5Hex("12345678901234567890123456789012345678901234567890123456789012345678901"
                      "234567890"));
}

TEST(Md5DigestTest, HandlesInputSpanningManyBlocks) {
  EXPECT_EQ(L"CABE45DCC9AE5B66BA86600CCA6B8BA8", OwnMd5Hex(std::string(1000, 'a')));
}

TEST(PlatformMd5Test, EntryPointsArePresent) {
  Md5Bytes digest;
  EXPECT_TRUE(PlatformMd5("abc", &digest));
}

// Lengths around the 56- and 64-byte padding edges are where an MD5 goes wrong.
TEST(PlatformMd5Test, AgreesWithOwnDigestForEveryLengthUpTo130) {
  std::string bytes;
  for (int length = 0; length <= 130; ++length) {
    Md5Bytes platform;
    ASSERT_TRUE(PlatformMd5(bytes, &platform));
    EXPECT_EQ(ComputeMd5(bytes.data(), bytes.size()), platform) << "length " << length;
    bytes.push_back(static_cast<char>('A' + length % 50));
  }
}

TEST(Md5HexUpperTest, HashesTheUtf8BytesOfTheText) {
  EXPECT_EQ(L"723B0CB2279CFDF4D878307C715F7480", Md5HexUpper(L"\u660e\u6e56"));
}

TEST(Md5HexUpperTest, StopsAtTheFirstNul) {
  EXPECT_EQ(L"900150983CD24FB0D6963F7D28E17F72", Md5HexUpper(std::wstring(L"abc\0def", 7)));
}
