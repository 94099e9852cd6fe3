#include "toolkit/base/utf8.h"

#include <cstdint>

namespace base {
namespace {

// Number of continuation bytes after a lead byte, or -1 for a byte that cannot start a
// sequence (a continuation byte, the overlong leads C0 and C1, or F5 and above).
int ContinuationCount(uint8_t lead) {
  if (lead < 0x80) return 0;
  if (lead < 0xC2) return -1;
  if (lead < 0xE0) return 1;
  if (lead < 0xF0) return 2;
  if (lead < 0xF5) return 3;
  return -1;
}

// Decodes the sequence at bytes[i]; returns its length, or 0 when it is not a character.
size_t DecodeOne(std::string_view bytes, size_t i, char32_t* cp) {
  // Smallest code point each sequence length may carry; anything below is overlong.
  static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
  const uint8_t lead = static_cast<uint8_t>(bytes[i]);
  const int extra = ContinuationCount(lead);
  if (extra < 0 || bytes.size() - i - 1 < static_cast<size_t>(extra)) return 0;
  char32_t value = extra == 0 ? lead : (lead & (0x3F >> extra));
  for (int k = 1; k <= extra; ++k) {
    const uint8_t next = static_cast<uint8_t>(bytes[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < kMinimum[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return 0;
  }
  *cp = value;
  return static_cast<size_t>(extra) + 1;
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

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The code unit at text[i] (a native wchar_t is wider than a unit; only its low 16 bits count).
char32_t UnitAt(std::wstring_view text, size_t i) { return static_cast<char16_t>(text[i]); }

// A byte that starts no valid sequence either empties the whole result or becomes U+FFFD.
enum class OnFlaw { kEmptyAll, kReplaceByte };

std::wstring Decode(std::string_view bytes, OnFlaw onFlaw) {
  std::wstring out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    char32_t cp = 0;
    size_t length = DecodeOne(bytes, i, &cp);
    if (length == 0) {
      if (onFlaw == OnFlaw::kEmptyAll) return std::wstring();
      cp = 0xFFFD;
      length = 1;
    }
    AppendUtf16(cp, &out);
    i += length;
  }
  return out;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view bytes) { return Decode(bytes, OnFlaw::kEmptyAll); }

std::wstring Utf8ToWideReplacing(std::string_view bytes) {
  return Decode(bytes, OnFlaw::kReplaceByte);
}

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

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = UnitAt(text, i);
    if (IsHighSurrogate(cp) && i + 1 < text.size() && IsLowSurrogate(UnitAt(text, i + 1))) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (UnitAt(text, i + 1) - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(cp) || IsLowSurrogate(cp)) {
      cp = 0xFFFD;
    }
    AppendUtf8(cp, &out);
  }
  return out;
}

std::string WideToUtf8KeepingSurrogates(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = UnitAt(text, i);
    if (IsHighSurrogate(unit)) {
      if (i + 1 == text.size()) return std::string();
      const char32_t next = UnitAt(text, i + 1);
      if (IsLowSurrogate(next)) {
        AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00), &out);
        ++i;
        continue;
      }
    }
    AppendUtf8(unit, &out);
  }
  return out;
}

}  // namespace base
