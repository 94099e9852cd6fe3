// The one place where UTF-8 bytes and the program's UTF-16 text (wchar_t holding UTF-16 code
// units, also in a native build where wchar_t is wider) are converted. Each direction has the
// policies its callers need, named after what happens to bad input:
//
//   std::wstring tag = base::Utf8ToWide(bytes);               // "" when invalid
//   std::wstring text = base::Utf8ToWideReplacing(markup);     // bad bytes become U+FFFD
//   std::string bytes = base::WideToUtf8(L"\u5b89\u88c5");      // lone surrogates become U+FFFD
//   std::string field = base::WideToUtf8KeepingSurrogates(s);  // the report fields' rule
//
// Which caller needs which:
// - Utf8ToWide, strict: the CHANNEL resource (app/channel_tag.cpp). A half-decoded tag would
//   be a wrong tag, so any flaw gives the empty text and the caller falls back to "default".
// - Utf8ToWideReplacing: the skin markup's texts and names (toolkit/ui/core). The skin is ours;
//   a flaw in it should show on screen, not blank a label.
// - WideToUtf8: identifiers, paths and messages (unique id, archive paths, test output).
// - WideToUtf8KeepingSurrogates: the text fields of a report (report/report_text.cpp). What a
//   user typed reaches the server even with unmatched surrogates; a high surrogate as the very
//   last unit empties the field, as the reports have always done.
//
// Plain functions, no platform calls (also built natively for the fuzzers); any thread.
#pragma once

#include <string>
#include <string_view>

namespace base {

// Any invalid, overlong or truncated sequence, an encoded surrogate or a code point above
// U+10FFFF makes the whole result empty.
std::wstring Utf8ToWide(std::string_view bytes);

// Each byte that does not start a valid sequence becomes one U+FFFD; decoding goes on after it.
std::wstring Utf8ToWideReplacing(std::string_view bytes);

// Appends the UTF-8 bytes of one code point (a lone surrogate is encoded as it stands).
void AppendUtf8(char32_t cp, std::string* out);

// A matched surrogate pair becomes one four-byte sequence, an unpaired surrogate U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// A matched pair becomes one four-byte sequence, any other surrogate is encoded alone in three
// bytes; a high surrogate as the last unit makes the whole result empty.
std::string WideToUtf8KeepingSurrogates(std::wstring_view text);

}  // namespace base
