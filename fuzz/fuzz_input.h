// Helpers the fuzz targets share to turn libFuzzer's bytes into the program's text.
//
//   std::wstring text = fuzz::LooseUtf16(input);   // "a\xED\xA0\x80" -> L"a\xD800"
//
// The installer's wide strings hold UTF-16 code units (wchar_t is 16-bit on Windows). On
// Linux wchar_t is 32-bit, and the native build keeps it so, because libstdc++'s wstring is
// built for that width; every unit made here is 0..0xFFFF, exactly what the Windows build can
// hold, so the code under test sees the same values it would see there.
//
// Threading: plain functions, any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// Reads bytes as UTF-8 without rejecting anything, so seed files stay readable text while
// every 16-bit unit remains reachable: a well-formed sequence gives its code point (code
// points above U+FFFF as a surrogate pair), an encoded surrogate (ED A0 80) gives that lone
// unit, and any other byte that does not start a complete sequence stands for itself
// (U+0080..U+00FF).
inline std::wstring LooseUtf16(std::string_view bytes) {
  std::wstring out;
  size_t i = 0;
  while (i < bytes.size()) {
    const uint8_t lead = static_cast<uint8_t>(bytes[i]);
    int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 && lead < 0xF0 ? 2
                : lead >= 0xC2 && lead < 0xE0 ? 1 : 0;
    uint32_t cp = lead;
    if (extra > 0 && i + extra < bytes.size()) {
      uint32_t v = lead & (0x3F >> extra);
      bool ok = true;
      for (int k = 1; k <= extra && ok; ++k) {
        const uint8_t next = static_cast<uint8_t>(bytes[i + k]);
        ok = (next & 0xC0) == 0x80;
        v = (v << 6) | (next & 0x3F);
      }
      static constexpr uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
      if (ok && v >= kMinimum[extra] && v <= 0x10FFFF) {
        cp = v;
      } else {
        extra = 0;
      }
    } else {
      extra = 0;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(cp));
    }
    i += extra + 1;
  }
  return out;
}

// Two bytes per unit, little-endian (an odd last byte is dropped): every sequence of 16-bit
// units, surrogates included, for targets whose seeds need not be readable.
inline std::wstring Utf16Le(const uint8_t* data, size_t size) {
  std::wstring out;
  out.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2)
    out.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  return out;
}

// Splits at every `separator`; n separators give n + 1 parts.
inline std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (true) {
    size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (end == std::wstring::npos) return parts;
    start = end + 1;
  }
}

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

}  // namespace fuzz
