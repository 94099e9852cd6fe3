#include <windows.h>

#include "app/display_language.h"

std::wstring UserUiLocaleName() {
  // The ISO names through GetLocaleInfoW: LCIDToLocaleName is missing before Vista.
  const LCID lcid = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
  wchar_t language[9] = {}, region[9] = {};
  if (!GetLocaleInfoW(lcid, LOCALE_SISO639LANGNAME, language, 9) ||
      !GetLocaleInfoW(lcid, LOCALE_SISO3166CTRYNAME, region, 9)) {
    return L"";
  }
  return std::wstring(language) + L"_" + region;
}
