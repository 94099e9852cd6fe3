// Fuzzes the text conversions at the installer's edges: the strict UTF-8 decoder (CHANNEL
// resource, HTTP), the replacing one (skin markup), the UTF-16 to UTF-8 encoder, and the
// report encoder that keeps unpaired surrogates.
//
// Every input is used twice: as UTF-8 bytes for the decoder, and as UTF-16LE units for the
// encoders. An independent validator written from the Unicode table of well-formed byte
// sequences decides what the decoder must accept, and the round trips that hold are checked.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "toolkit/base/utf8.h"

namespace {

using base::Utf8ToWide;
using base::Utf8ToWideReplacing;
using base::WideToUtf8;
using base::WideToUtf8KeepingSurrogates;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

bool InRange(uint8_t b, uint8_t low, uint8_t high) { return b >= low && b <= high; }

// Well-formed UTF-8, checked byte by byte against the ranges of each lead byte.
bool IsWellFormedUtf8(std::string_view s) {
  size_t i = 0;
  const auto at = [&s](size_t k) { return static_cast<uint8_t>(s[k]); };
  while (i < s.size()) {
    const uint8_t b = at(i);
    size_t n;
    uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (b <= 0x7F) { ++i; continue; }
    if (InRange(b, 0xC2, 0xDF)) n = 2;
    else if (b == 0xE0) { n = 3; low = 0xA0; }
    else if (InRange(b, 0xE1, 0xEC) || InRange(b, 0xEE, 0xEF)) n = 3;
    else if (b == 0xED) { n = 3; high = 0x9F; }
    else if (b == 0xF0) { n = 4; low = 0x90; }
    else if (InRange(b, 0xF1, 0xF3)) n = 4;
    else if (b == 0xF4) { n = 4; high = 0x8F; }
    else return false;
    if (s.size() - i < n) return false;
    if (!InRange(at(i + 1), low, high)) return false;
    for (size_t k = 2; k < n; ++k)
      if (!InRange(at(i + k), 0x80, 0xBF)) return false;
    i += n;
  }
  return true;
}

bool IsHigh(wchar_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(wchar_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The units with every unpaired surrogate replaced by U+FFFD; `unpaired` counts them.
std::wstring WithoutUnpaired(const std::wstring& units, size_t* unpaired) {
  std::wstring out;
  *unpaired = 0;
  for (size_t i = 0; i < units.size(); ++i) {
    if (IsHigh(units[i]) && i + 1 < units.size() && IsLow(units[i + 1])) {
      out.push_back(units[i]);
      out.push_back(units[++i]);
    } else if (IsHigh(units[i]) || IsLow(units[i])) {
      out.push_back(0xFFFD);
      ++*unpaired;
    } else {
      out.push_back(units[i]);
    }
  }
  return out;
}

void CheckDecoder(std::string_view bytes) {
  const std::wstring wide = Utf8ToWide(bytes);
  const std::wstring replacing = Utf8ToWideReplacing(bytes);
  size_t replacingUnpaired = 0;
  WithoutUnpaired(replacing, &replacingUnpaired);
  if (replacingUnpaired) Fail("Utf8ToWideReplacing made an unpaired surrogate");
  if (replacing.size() > bytes.size()) Fail("Utf8ToWideReplacing made more units than bytes");
  if (!IsWellFormedUtf8(bytes)) {
    if (!wide.empty()) Fail("Utf8ToWide accepted ill-formed UTF-8");
    if (replacing.find(L'\xFFFD') == std::wstring::npos) Fail("a flaw left no U+FFFD");
    return;
  }
  if (replacing != wide) Fail("the two decoders disagree on well-formed UTF-8");
  if (wide.size() > bytes.size()) Fail("Utf8ToWide made more units than bytes");
  if (!bytes.empty() && wide.empty()) Fail("Utf8ToWide rejected well-formed UTF-8");
  for (wchar_t u : wide)
    if (static_cast<uint32_t>(u) > 0xFFFF) Fail("Utf8ToWide made a unit above 0xFFFF");
  size_t unpaired = 0;
  WithoutUnpaired(wide, &unpaired);
  if (unpaired) Fail("Utf8ToWide made an unpaired surrogate");
  if (WideToUtf8(wide) != bytes) Fail("WideToUtf8(Utf8ToWide(x)) != x");
  if (WideToUtf8KeepingSurrogates(wide) != bytes) Fail("WideToUtf8KeepingSurrogates(Utf8ToWide(x)) != x");
}

void CheckEncoders(const std::wstring& units) {
  size_t unpaired = 0;
  const std::wstring replaced = WithoutUnpaired(units, &unpaired);

  const std::string strict = WideToUtf8(units);
  if (!IsWellFormedUtf8(strict)) Fail("WideToUtf8 made ill-formed UTF-8");
  if (Utf8ToWide(strict) != replaced) Fail("WideToUtf8 lost text or kept a lone surrogate");

  const std::string report = WideToUtf8KeepingSurrogates(units);
  if (!units.empty() && IsHigh(units.back())) {
    if (!report.empty()) Fail("WideToUtf8KeepingSurrogates kept text ending in a high surrogate");
    return;
  }
  if (unpaired == 0 && report != strict) Fail("the two encoders disagree on valid UTF-16");
  // A lone surrogate becomes its own three-byte form, which the loose reader turns back.
  if (fuzz::LooseUtf16(report) != units) Fail("WideToUtf8KeepingSurrogates does not keep every unit");
  if (report.size() > units.size() * 3) Fail("WideToUtf8KeepingSurrogates made more than 3 bytes a unit");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckDecoder(fuzz::AsText(data, size));
  CheckEncoders(fuzz::Utf16Le(data, size));
  return 0;
}
