// Every test program starts, as the installer does, with a string table: the built product's
// default language, read from the product folder. Without it each text a test checks would
// show as "[key]".
#include <cstdio>
#include <string>

#include "tests/support/test_paths.h"
#include "toolkit/base/text_table.h"

namespace {

bool LoadProductTexts() {
  FILE* file = _wfopen(WindowsPathFromUnix(BRIGHTMERE_PRODUCT_TEXTS).c_str(), L"rb");
  if (!file) return false;
  std::string bytes;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof(buffer), file)) > 0;) bytes.append(buffer, n);
  fclose(file);
  base::TextTable table;
  std::string error;
  if (!base::TextTable::Parse(bytes, &table, &error)) return false;
  base::SetTexts(std::move(table));
  return true;
}

const bool loaded = LoadProductTexts();

}  // namespace
