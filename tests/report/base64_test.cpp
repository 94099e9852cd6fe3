#include "report/base64.h"

#include <gtest/gtest.h>

namespace {

TEST(Base64EncodeTest, EmptyInputGivesEmptyText) { EXPECT_EQ(Base64Encode(""), ""); }

TEST(Base64EncodeTest, WholeGroupsHaveNoPadding) {
  EXPECT_EQ(Base64Encode("foo"), "Zm9v");
  EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
}

TEST(Base64EncodeTest, OneByteOverGivesTwoPaddingCharacters) {
  EXPECT_EQ(Base64Encode("f"), "Zg==");
  EXPECT_EQ(Base64Encode("foob"), "Zm9vYg==");
}

TEST(Base64EncodeTest, TwoBytesOverGiveOnePaddingCharacter) {
  EXPECT_EQ(Base64Encode("fo"), "Zm8=");
  EXPECT_EQ(Base64Encode("fooba"), "Zm9vYmE=");
}

TEST(Base64EncodeTest, HighBytesUseTheLastAlphabetCharacters) {
  EXPECT_EQ(Base64Encode("\xFB\xEF\xBE"), "++++");
  EXPECT_EQ(Base64Encode("\xFF\xFF\xFF"), "////");
  EXPECT_EQ(Base64Encode("\xFB\xFF"), "+/8=");
  EXPECT_EQ(Base64Encode("\xFF"), "/w==");
  EXPECT_EQ(Base64Encode(std::string("\0\0\0", 3)), "AAAA");
}

TEST(Base64EncodeTest, EveryByteValueEncodesAsTheStandardAlphabet) {
  // Each value once in the first, second and third position of a group.
  std::string bytes;
  for (int i = 0; i < 256; ++i)
    bytes.push_back(static_cast<char>(i));
  const std::string text = Base64Encode(bytes);
  ASSERT_EQ(text.size(), 344u);
  EXPECT_EQ(text.substr(0, 24), "AAECAwQFBgcICQoLDA0ODxAR");
  EXPECT_EQ(text.substr(320), "8PHy8/T19vf4+fr7/P3+/w==");
}

TEST(Base64EncodeTest, OutputLengthIsFourPerStartedGroup) {
  for (size_t n = 0; n < 20; ++n)
    EXPECT_EQ(Base64Encode(std::string(n, 'x')).size(), 4 * ((n + 2) / 3)) << n;
}

}  // namespace
