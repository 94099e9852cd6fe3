#include "app/utf8_decode.h"

#include <cstdint>

namespace {

// Number of continuation bytes after a lead byte, or -1 for a byte that cannot start a
// sequence (a continuation byte, or 0xF8 and above).
int ContinuationCount(uint8_t lead) {
  if (lead < 0x80) return 0;
  if (lead < 0xC2) return -1;  // continuation bytes and the overlong leads C0, C1
  if (lead < 0xE0) return 1;
  if (lead < 0xF0) return 2;
  if (lead < 0xF5) return 3;
  return -1;
}

void AppendUtf16(char32_t cp, std::wstring* out) {
  if (cp < 0x10000) {
    out->push_back(static_cast<wchar_t>(cp));
    return;
  }
  cp -= 0x10000;
  out->push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
  out->push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
}


}  // namespace

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::wstring Utf8ToWide(std::string_view bytes) {
  // Smallest code point each sequence length may carry; anything below is overlong.
  static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
  std::wstring out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const uint8_t lead = static_cast<uint8_t>(bytes[i]);
    const int extra = ContinuationCount(lead);
    if (extra < 0 || bytes.size() - i - 1 < static_cast<size_t>(extra)) return std::wstring();
    char32_t cp = extra == 0 ? lead : (lead & (0x3F >> extra));
    for (int k = 1; k <= extra; ++k) {
      const uint8_t next = static_cast<uint8_t>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return std::wstring();
      cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      return std::wstring();
    }
    AppendUtf16(cp, &out);
    i += extra + 1;
  }
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = static_cast<char16_t>(text[i]);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char16_t>(text[i + 1]) - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(cp, &out);
  }
  return out;
}
