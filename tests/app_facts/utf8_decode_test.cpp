#include "app/utf8_decode.h"

#include <gtest/gtest.h>

TEST(Utf8DecodeTest, DecodesAsciiTag) {
  EXPECT_EQ(L"brand_online_10001", Utf8ToWide("brand_online_10001"));
}

TEST(Utf8DecodeTest, DecodesTwoThreeAndFourByteSequences) {
  // é, 明 and U+1F600 (a surrogate pair in UTF-16).
  EXPECT_EQ(std::wstring(L"\u00e9\u660e\xD83D\xDE00"),
            Utf8ToWide("\xC3\xA9\xE6\x98\x8E\xF0\x9F\x98\x80"));
}

TEST(Utf8DecodeTest, EmptyInputGivesEmptyText) { EXPECT_EQ(L"", Utf8ToWide("")); }

TEST(Utf8DecodeTest, InvalidByteAnywhereEmptiesTheWholeText) {
  EXPECT_EQ(L"", Utf8ToWide("abc\xFF" "def"));
  EXPECT_EQ(L"", Utf8ToWide("\x80" "abc"));  // continuation byte without a lead
}

TEST(Utf8DecodeTest, TruncatedSequenceIsInvalid) {
  EXPECT_EQ(L"", Utf8ToWide("abc\xE6\x98"));
  EXPECT_EQ(L"", Utf8ToWide("abc\xC3("));
}

TEST(Utf8DecodeTest, OverlongEncodingsAreInvalid) {
  EXPECT_EQ(L"", Utf8ToWide("\xC0\xAF"));          // '/' in two bytes
  EXPECT_EQ(L"", Utf8ToWide("\xE0\x80\xAF"));      // '/' in three bytes
  EXPECT_EQ(L"", Utf8ToWide("\xF0\x80\x80\xAF"));  // '/' in four bytes
}

TEST(Utf8DecodeTest, EncodedSurrogatesAndCodePointsPastUnicodeAreInvalid) {
  EXPECT_EQ(L"", Utf8ToWide("\xED\xA0\x80"));      // U+D800
  EXPECT_EQ(L"", Utf8ToWide("\xF4\x90\x80\x80"));  // U+110000
}

TEST(Utf8DecodeTest, HighestCodePointsOfEachLengthAreValid) {
  EXPECT_EQ(std::wstring(L"\u07FF"), Utf8ToWide("\xDF\xBF"));
  EXPECT_EQ(std::wstring(L"\uFFFF"), Utf8ToWide("\xEF\xBF\xBF"));
  EXPECT_EQ(std::wstring(L"\xDBFF\xDFFF"), Utf8ToWide("\xF4\x8F\xBF\xBF"));
}

TEST(Utf8EncodeTest, EncodesSurrogatePairAsOneFourByteSequence) {
  EXPECT_EQ("a\xF0\x9F\x98\x80", WideToUtf8(std::wstring(L"a\xD83D\xDE00")));
}

TEST(Utf8EncodeTest, UnpairedSurrogateBecomesReplacementCharacter) {
  EXPECT_EQ("\xEF\xBF\xBDx", WideToUtf8(std::wstring(L"\xD800x")));
}

TEST(Utf8EncodeTest, RoundTripsChineseText) {
  const std::wstring text = L"\u660e\u6e56\u56fe\u7247";
  EXPECT_EQ(text, Utf8ToWide(WideToUtf8(text)));
}
