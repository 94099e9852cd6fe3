#include "toolkit/base/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace base {
namespace {

// UTF-16 text from code units, so that lone surrogates can be written down.
std::wstring Units(std::initializer_list<unsigned> units) {
  std::wstring text;
  for (unsigned unit : units) text.push_back(static_cast<wchar_t>(unit));
  return text;
}

// One row per input: what the strict and the replacing decode make of it.
struct DecodeCase {
  const char* what;
  std::string bytes;
  std::wstring strict;
  std::wstring replacing;
};

TEST(Utf8Test, DecodesOrRejectsEachInputByItsPolicy) {
  const std::wstring bad;  // the strict decode's answer to any flaw
  const DecodeCase cases[] = {
      {"empty", "", L"", L""},
      {"ascii tag", "brand_online_10001", L"brand_online_10001", L"brand_online_10001"},
      {"two, three and four bytes", "\xC3\xA9\xE6\x98\x8E\xF0\x9F\x98\x80",
       Units({0xE9, 0x660E, 0xD83D, 0xDE00}), Units({0xE9, 0x660E, 0xD83D, 0xDE00})},
      {"highest of each length", "\xDF\xBF\xEF\xBF\xBF\xF4\x8F\xBF\xBF",
       Units({0x7FF, 0xFFFF, 0xDBFF, 0xDFFF}), Units({0x7FF, 0xFFFF, 0xDBFF, 0xDFFF})},
      {"byte that never starts a sequence", "abc\xFF" "def", bad, L"abc\xFFFD" L"def"},
      {"continuation without a lead", "\x80" "abc", bad, L"\xFFFD" L"abc"},
      {"truncated at the end", "abc\xE6\x98", bad, L"abc\xFFFD\xFFFD"},
      {"truncated before ascii", "abc\xC3(", bad, L"abc\xFFFD("},
      {"overlong in two bytes", "a\xC0\xAF" "b", bad, L"a\xFFFD\xFFFD" L"b"},
      {"overlong in three bytes", "\xE0\x80\xAF", bad, L"\xFFFD\xFFFD\xFFFD"},
      {"overlong in four bytes", "\xF0\x80\x80\xAF", bad, L"\xFFFD\xFFFD\xFFFD\xFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", bad, L"\xFFFD\xFFFD\xFFFD"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", bad, L"\xFFFD\xFFFD\xFFFD\xFFFD"},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(c.strict, Utf8ToWide(c.bytes)) << c.what;
    EXPECT_EQ(c.replacing, Utf8ToWideReplacing(c.bytes)) << c.what;
  }
}

// One row per text: what the plain and the report encoder make of it.
struct EncodeCase {
  const char* what;
  std::wstring text;
  std::string plain;
  std::string keeping;
};

TEST(Utf8Test, EncodesEachTextByItsPolicy) {
  const EncodeCase cases[] = {
      {"empty", L"", "", ""},
      {"ascii", L"{\"Dpi\":\"96\"}", "{\"Dpi\":\"96\"}", "{\"Dpi\":\"96\"}"},
      {"one and two byte boundary", Units({0x7F, 0x80}), "\x7F\xC2\x80", "\x7F\xC2\x80"},
      {"two and three byte boundary", Units({0x7FF, 0x800}), "\xDF\xBF\xE0\xA0\x80",
       "\xDF\xBF\xE0\xA0\x80"},
      {"chinese label", L"\u5DF2\u5B89\u88C5", "\xE5\xB7\xB2\xE5\xAE\x89\xE8\xA3\x85",
       "\xE5\xB7\xB2\xE5\xAE\x89\xE8\xA3\x85"},
      {"surrogate pair", Units({'a', 0xD83D, 0xDE00}), "a\xF0\x9F\x98\x80", "a\xF0\x9F\x98\x80"},
      {"highest pair", Units({0xDBFF, 0xDFFF}), "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
      {"lone low surrogate", Units({'a', 0xDE00, 'b'}), "a\xEF\xBF\xBD" "b",
       "a\xED\xB8\x80" "b"},
      {"high surrogate before ascii", Units({0xD800, 'x'}), "\xEF\xBF\xBDx", "\xED\xA0\x80x"},
      {"two highs then a low", Units({0xD83D, 0xD83D, 0xDE00}), "\xEF\xBF\xBD\xF0\x9F\x98\x80",
       "\xED\xA0\xBD\xF0\x9F\x98\x80"},
      {"high surrogate last", Units({'a', 'b', 0xD83D}), "ab\xEF\xBF\xBD", ""},
      {"embedded nul", std::wstring(L"a\0b", 3), std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const EncodeCase& c : cases) {
    EXPECT_EQ(c.plain, WideToUtf8(c.text)) << c.what;
    EXPECT_EQ(c.keeping, WideToUtf8KeepingSurrogates(c.text)) << c.what;
  }
}

TEST(Utf8Test, ValidTextSurvivesTheRoundTrip) {
  const std::wstring text = Units({0x660E, 0x6E56, 'a', 0xD83D, 0xDE00, 0x7FF});
  EXPECT_EQ(text, Utf8ToWide(WideToUtf8(text)));
  EXPECT_EQ(text, Utf8ToWideReplacing(WideToUtf8KeepingSurrogates(text)));
}

}  // namespace
}  // namespace base
