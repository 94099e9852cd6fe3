// Fuzzes ReplaceAll against a reference that copies the text once, left to right.
//
// Input: text, pattern and replacement separated by 0xFF bytes, each read by
// fuzz::LooseUtf16. Checked: the result equals the reference; an empty pattern changes
// nothing; the length changes by the replacement's difference once per occurrence; removing
// a single-unit pattern (as the survey removes CR and LF) leaves none of it behind. (For a
// longer pattern removal can join a new occurrence: "aabb" without "ab" is "ab".)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "toolkit/base/replace_all.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

std::wstring Reference(const std::wstring& text, const std::wstring& pattern,
                       const std::wstring& replacement, size_t* occurrences) {
  *occurrences = 0;
  if (pattern.empty()) return text;
  std::wstring out;
  size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, pattern.size(), pattern) == 0) {
      out += replacement;
      i += pattern.size();
      ++*occurrences;
    } else {
      out.push_back(text[i++]);
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring parts[3];
  std::string_view rest = fuzz::AsText(data, size);
  for (int k = 0; k < 3; ++k) {
    const size_t end = k < 2 ? rest.find('\xFF') : std::string_view::npos;
    parts[k] = fuzz::LooseUtf16(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  const std::wstring& original = parts[0];
  const std::wstring& pattern = parts[1];
  const std::wstring& replacement = parts[2];

  std::wstring text = original;
  ReplaceAll(text, pattern, replacement);

  size_t occurrences = 0;
  if (text != Reference(original, pattern, replacement, &occurrences))
    Fail("ReplaceAll differs from the reference");
  if (pattern.empty() && text != original) Fail("an empty pattern changed the text");
  if (text.size() + occurrences * pattern.size() !=
      original.size() + occurrences * replacement.size())
    Fail("the length does not match the occurrences replaced");
  if (replacement.empty() && pattern.size() == 1 && text.find(pattern) != std::wstring::npos)
    Fail("a removed unit is still there");
  return 0;
}
