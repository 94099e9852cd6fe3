#include "app/display_language.h"

#include <vector>

namespace {

wchar_t Fold(wchar_t c) {
  if (c == L'-') return L'_';
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

std::wstring_view LanguagePart(std::wstring_view locale) {
  return locale.substr(0, locale.find_first_of(L"-_"));
}

std::wstring_view Trim(std::wstring_view s) {
  while (!s.empty() && s.front() == L' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == L' ') s.remove_suffix(1);
  return s;
}

}  // namespace

std::wstring PickDisplayLanguage(std::wstring_view userLocale, std::wstring_view languages,
                                 std::wstring_view defaultLanguage) {
  std::vector<std::wstring_view> offered;
  while (!languages.empty()) {
    size_t comma = languages.find(L',');
    std::wstring_view one = Trim(languages.substr(0, comma));
    if (!one.empty()) offered.push_back(one);
    languages.remove_prefix(comma == std::wstring_view::npos ? languages.size() : comma + 1);
  }
  if (!userLocale.empty()) {
    for (std::wstring_view lang : offered) {
      if (SameName(lang, userLocale)) return std::wstring(lang);
    }
    for (std::wstring_view lang : offered) {
      if (SameName(LanguagePart(lang), LanguagePart(userLocale))) return std::wstring(lang);
    }
  }
  return std::wstring(defaultLanguage);
}
