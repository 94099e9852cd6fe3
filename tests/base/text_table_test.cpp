#include "toolkit/base/text_table.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextTableTest, ReadsKeysValuesAndComments) {
  base::TextTable table;
  std::string error;
  ASSERT_TRUE(base::TextTable::Parse("\xEF\xBB\xBF; comment\r\n# another\n\n"
                                     "  install_now\t=  Install now  \r\n"
                                     "damaged = broken\\n\\n({reason}) C:\\\\x\n"
                                     "empty =\n"
                                     "last = no newline",
                                     &table, &error))
      << error;
  EXPECT_EQ(4u, table.Keys().size());
  ASSERT_NE(nullptr, table.Find("install_now"));
  EXPECT_EQ(L"Install now", *table.Find("install_now"));
  EXPECT_EQ(L"broken\n\n({reason}) C:\\x", *table.Find("damaged"));
  EXPECT_EQ(L"", *table.Find("empty"));
  EXPECT_EQ(L"no newline", *table.Find("last"));
  EXPECT_EQ(nullptr, table.Find("Install_now"));
}

TEST(TextTableTest, MalformedLinesAreErrorsWithTheirLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"a = 1\nno equals sign\n", "line 2: expected key = value"},
      {"; c\n = value\n", "line 2: bad key ''"},
      {"install now = x\n", "line 1: bad key 'install now'"},
      {"\xE5\xAE\x89 = x\n", "line 1: bad key '\xE5\xAE\x89'"},
      {"a = 1\n\na = 2\n", "line 3: key 'a' repeated"},
  };
  for (const auto& c : cases) {
    base::TextTable table;
    std::string error;
    EXPECT_FALSE(base::TextTable::Parse(c.text, &table, &error)) << c.text;
    EXPECT_EQ(c.error, error) << c.text;
  }
}

TEST(TextTableTest, FillsNamedPlaceholders) {
  const struct {
    const wchar_t* pattern;
    const wchar_t* expected;
  } cases[] = {
      {L"{name} Setup", L"Notes Setup"},
      {L"Reason: {error}{stage}", L"Reason: Access is denied.(download)"},
      {L"{name}{name}", L"NotesNotes"},
      {L"{unknown} {name}", L"{unknown} Notes"},
      {L"{ {name} }", L"{ Notes }"},
      {L"open {name", L"open {name"},
      {L"}{}", L"}{}"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, base::FillPlaceholders(c.pattern, {{"name", L"Notes"},
                                                            {"error", L"Access is denied."},
                                                            {"stage", L"(download)"}}))
        << c.pattern;
  }
  // A value is not searched for placeholders again.
  EXPECT_EQ(L"{stage}!", base::FillPlaceholders(L"{error}!", {{"error", L"{stage}"},
                                                              {"stage", L"x"}}));
}

TEST(TextTableTest, AMissingKeyShowsAsTheKey) {
  EXPECT_EQ(L"[no_such_key]", base::Text("no_such_key", {{"name", L"x"}}));
}

}  // namespace
