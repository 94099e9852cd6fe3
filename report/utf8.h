// UTF-16 to UTF-8 conversion for the text that leaves the installer in reports.
//
//   std::string bytes = Utf16ToUtf8(L"安装");  // "\xE5\xAE\x89\xE8\xA3\x85"
//
// Every wchar_t is taken as one UTF-16 code unit. A high surrogate followed by a low one
// becomes one four-byte sequence; any other surrogate unit is encoded on its own as three
// bytes (so unmatched surrogates typed by a user still reach the server in some form); a
// high surrogate as the very last unit makes the whole result empty.
//
// Plain function, no platform calls; any thread.
#pragma once

#include <string>

std::string Utf16ToUtf8(const std::wstring& text);
