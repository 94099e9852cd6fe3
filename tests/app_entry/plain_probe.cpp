// Test probe that calls into version.dll with no protection of its own. Linked plainly, the
// library is in its import table and the loader resolves it before any code runs; linked
// with delay loading, the first call loads it by the ordinary search.
#include <windows.h>

int wmain() {
  DWORD handle = 0;
  GetFileVersionInfoSizeW(L"C:\\windows\\system32\\kernel32.dll", &handle);
  return 0;
}
