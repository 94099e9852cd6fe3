// Fuzzes the skin archive reader with whole archives: opening, the name index and reading
// every entry. libFuzzer's buffer is exactly the input's size, so any read past the archive
// is an AddressSanitizer report.
//
// Beyond the sanitizers: a failure always says why, every listed name is found again (also
// spelt in upper case with backslashes, as the skin code may spell it), and reading the same
// entry twice gives the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "toolkit/archive/zip_archive.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

std::string OtherSpelling(const std::string& name) {
  std::string s = name;
  for (char& c : s) {
    if (c == '/') c = '\\';
    else if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  auto archive = ui::ZipArchive::Open(data, size, &error);
  if (!archive) {
    if (error.empty()) Fail("Open failed without an error text", "");
    return 0;
  }
  const std::vector<std::string> names = archive->EntryNames();
  size_t read = 0;
  for (const std::string& name : names) {
    if (!archive->Contains(name)) Fail("listed entry not found", name);
    if (!archive->Contains(OtherSpelling(name))) Fail("lookup depends on case or slashes", name);
    if (++read > 64) continue;  // enough for the index; keeps each run fast
    std::string first;
    std::string readError;
    const bool ok = archive->Read(name, &first, &readError);
    if (!ok && readError.empty()) Fail("Read failed without an error text", name);
    std::string second;
    if (archive->Read(name, &second, nullptr) != ok) Fail("Read is not repeatable", name);
    if (ok && first != second) Fail("Read gave different bytes", name);
  }
  std::string out = "untouched";
  if (!archive->Contains("\x01missing") &&
      (archive->Read("\x01missing", &out, &error) || out != "untouched"))
    Fail("a missing entry was read", "");
  return 0;
}
