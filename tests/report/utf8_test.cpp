#include "report/utf8.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf16ToUtf8Test, EmptyTextGivesEmptyBytes) { EXPECT_EQ(Utf16ToUtf8(L""), ""); }

TEST(Utf16ToUtf8Test, AsciiIsUnchanged) {
  EXPECT_EQ(Utf16ToUtf8(L"{\"Dpi\":\"96\"}"), "{\"Dpi\":\"96\"}");
}

TEST(Utf16ToUtf8Test, TwoAndThreeByteBoundaries) {
  EXPECT_EQ(Utf16ToUtf8(L"\u007F"), "\x7F");
  EXPECT_EQ(Utf16ToUtf8(L"\u0080"), "\xC2\x80");
  EXPECT_EQ(Utf16ToUtf8(L"\u07FF"), "\xDF\xBF");
  EXPECT_EQ(Utf16ToUtf8(L"\u0800"), "\xE0\xA0\x80");
  EXPECT_EQ(Utf16ToUtf8(L"\uFFFD"), "\xEF\xBF\xBD");
}

TEST(Utf16ToUtf8Test, ChineseLabelsTakeThreeBytesPerCharacter) {
  EXPECT_EQ(Utf16ToUtf8(L"已安装"), "\xE5\xB7\xB2\xE5\xAE\x89\xE8\xA3\x85");
}

TEST(Utf16ToUtf8Test, SurrogatePairBecomesOneFourByteSequence) {
  const wchar_t pair[] = {0xD83D, 0xDE00, 0};  // U+1F600
  EXPECT_EQ(Utf16ToUtf8(pair), "\xF0\x9F\x98\x80");
  const wchar_t highest[] = {0xDBFF, 0xDFFF, 0};  // U+10FFFF
  EXPECT_EQ(Utf16ToUtf8(highest), "\xF4\x8F\xBF\xBF");
}

TEST(Utf16ToUtf8Test, LoneLowSurrogateIsEncodedAlone) {
  const wchar_t text[] = {L'a', 0xDE00, L'b', 0};
  EXPECT_EQ(Utf16ToUtf8(text), "a\xED\xB8\x80" "b");
}

TEST(Utf16ToUtf8Test, HighSurrogateWithoutLowOneIsEncodedAlone) {
  const wchar_t text[] = {0xD83D, L'a', 0};
  EXPECT_EQ(Utf16ToUtf8(text), "\xED\xA0\xBD" "a");
  const wchar_t twoHighs[] = {0xD83D, 0xD83D, 0xDE00, 0};
  EXPECT_EQ(Utf16ToUtf8(twoHighs), "\xED\xA0\xBD\xF0\x9F\x98\x80");
}

TEST(Utf16ToUtf8Test, HighSurrogateAsLastUnitEmptiesTheResult) {
  const wchar_t text[] = {L'a', L'b', 0xD83D, 0};
  EXPECT_EQ(Utf16ToUtf8(text), "");
}

TEST(Utf16ToUtf8Test, EmbeddedNulIsKept) {
  EXPECT_EQ(Utf16ToUtf8(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
