#include "report/utf8.h"

#include "app/utf8_decode.h"

namespace {

bool IsHighSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(unsigned unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string Utf16ToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size() * 3);
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned unit = static_cast<unsigned>(text[i]);
    if (IsHighSurrogate(unit)) {
      if (i + 1 == n)
        return std::string();
      unsigned next = static_cast<unsigned>(text[i + 1]);
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
