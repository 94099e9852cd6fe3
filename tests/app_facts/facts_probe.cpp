// Prints facts as the installer would see them in a fresh process:
//   facts_probe os        -> "<display name>|<64bit or 32bit>"
//   facts_probe uniqueid  -> the per-user identifier (created and stored when missing)
#include <cstdio>
#include <cstring>

#include "app/machine_facts.h"
#include "toolkit/base/utf8.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::wstring text;
  if (std::strcmp(argv[1], "os") == 0) {
    text = GetOsDisplayName() + L"|" + (Is64BitWindows() ? L"64bit" : L"32bit");
  } else if (std::strcmp(argv[1], "uniqueid") == 0) {
    text = GetUniqueId();
  } else {
    return 2;
  }
  std::fputs(base::WideToUtf8(text).c_str(), stdout);
  std::fflush(stdout);
  return 0;
}
