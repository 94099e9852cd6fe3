// Strict conversions between UTF-8 bytes and the program's UTF-16 text. The CHANNEL resource
// and the HTTP boundary are the only places where UTF-8 appears.
//
//   std::wstring tag = Utf8ToWide(std::string_view(bytes, size));  // "" when invalid
//
// Pure functions, no platform calls; any thread.
#pragma once

#include <string>
#include <string_view>

// Decodes UTF-8. Any invalid, overlong or truncated sequence, an encoded surrogate or a code
// point above U+10FFFF makes the whole result empty: a half-decoded tag would be a wrong tag.
std::wstring Utf8ToWide(std::string_view bytes);

// Appends the UTF-8 bytes of one code point (a lone surrogate is encoded as it stands).
void AppendUtf8(char32_t cp, std::string* out);

// Encodes UTF-16 as UTF-8. An unpaired surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);
