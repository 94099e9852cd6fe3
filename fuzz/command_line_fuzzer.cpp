// Fuzzes the installer's argument splitting (what happens to argv once the system has split
// the command line).
//
// Input: one argument per line (LF); a line starting with '>' names a path that exists on
// the fuzzed machine instead of being an argument. Text is read by fuzz::LooseUtf16, so any
// UTF-16 unit can appear. The result must agree with a reference written from the rules:
// empty arguments are skipped, an existing path goes under "path" whole, otherwise the text
// before the first ':' is the key (a colon at 0 or 1 makes key and value empty) and the
// last argument with a key wins.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/argument_map.h"
#include "fuzz/fuzz_input.h"

namespace {

ArgumentMap Reference(const std::vector<std::wstring>& argv, const std::set<std::wstring>& paths) {
  ArgumentMap expected;
  for (const std::wstring& a : argv) {
    if (a.empty()) continue;
    if (paths.count(a)) {
      expected[L"path"] = a;
      continue;
    }
    size_t colon = 0;
    while (colon < a.size() && a[colon] != L':') ++colon;
    if (colon == a.size())
      expected[a] = L"";
    else if (colon < 2)
      expected[L""] = L"";
    else
      expected[a.substr(0, colon)] = a.substr(colon + 1);
  }
  return expected;
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::wstring> argv;
  std::set<std::wstring> paths;
  for (std::wstring& line : fuzz::Split(fuzz::LooseUtf16(fuzz::AsText(data, size)), L'\n')) {
    if (!line.empty() && line[0] == L'>')
      paths.insert(line.substr(1));
    else
      argv.push_back(std::move(line));
  }

  const ArgumentMap result = ParseArguments(argv, [&paths](const std::wstring& p) {
    if (p.empty()) Fail("an empty argument was looked up as a path");
    return paths.count(p) != 0;
  });

  if (result != Reference(argv, paths)) Fail("ParseArguments differs from the reference");
  for (const auto& [key, value] : result) {
    if (key.find(L':') != std::wstring::npos) Fail("a key holds a colon");
  }
  return 0;
}
