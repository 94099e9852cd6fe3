#include "app/display_language.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayLanguageTest, TheUsersLanguageWhenTheProductHasIt) {
  const struct {
    const wchar_t* user;
    const wchar_t* languages;
    const wchar_t* expected;
  } cases[] = {
      {L"zh_CN", L"zh_CN", L"zh_CN"},
      {L"en_US", L"zh_CN", L"zh_CN"},         // not offered: the default
      {L"en-US", L"en_US,zh_CN", L"en_US"},   // the system's spelling
      {L"ZH-cn", L"en_US, zh_CN", L"zh_CN"},  // case and spaces
      {L"en_GB", L"zh_CN,en_US", L"en_US"},   // the same language, another region
      {L"zh_TW", L"zh_CN,en_US", L"zh_CN"},
      {L"de_DE", L"en_US,zh_CN", L"zh_CN"},
      {L"", L"en_US,zh_CN", L"zh_CN"},        // the system could not say
      {L"en", L"en_US", L"en_US"},
      {L"e", L"en_US", L"zh_CN"},
      {L"en_US", L"", L"zh_CN"},
      {L"en_US", L",,", L"zh_CN"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, PickDisplayLanguage(c.user, c.languages, L"zh_CN"))
        << c.user << " of " << c.languages;
  }
}

}  // namespace
