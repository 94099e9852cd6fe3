// Which of the product's string tables the installer shows: the user's UI language when the
// product has it, else the product's default language.
//
//   std::wstring lang = PickDisplayLanguage(UserUiLocaleName(), build::kLanguages,
//                                           build::kDefaultLanguage);   // L"zh_CN"
//   const std::wstring languageFolder = L"lang\\" + lang;  // the skin's lang\zh_CN
//
// PickDisplayLanguage is a pure function (no platform calls; any thread). UserUiLocaleName
// asks the system; any thread.
#pragma once

#include <string>
#include <string_view>

// `userLocale` as the system names it ("en-US" or "en_US"); `languages` the product's,
// comma-separated ("en_US,zh_CN"). The same language and region wins (ASCII case ignored); else
// the first of the product's languages with the same language ("en_GB" -> "en_US"); else
// `defaultLanguage`.
std::wstring PickDisplayLanguage(std::wstring_view userLocale, std::wstring_view languages,
                                 std::wstring_view defaultLanguage);

// The user's UI language as "zh_CN"; empty when the system cannot say.
std::wstring UserUiLocaleName();
