// url_recorder FILE URL: the test prefix's web browser. The end-to-end tests register it as
// the handler of http and https links, so every page the installer opens ends up as one
// UTF-8 line in FILE instead of in a browser.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  std::wstring url;
  for (int i = 2; i < argc; ++i) url += (i > 2 ? L" " : L"") + std::wstring(argv[i]);
  int size = WideCharToMultiByte(CP_UTF8, 0, url.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string line(size > 0 ? size - 1 : 0, '\0');
  if (size > 1)
    WideCharToMultiByte(CP_UTF8, 0, url.c_str(), -1, &line[0], size, nullptr, nullptr);
  FILE* file = _wfopen(argv[1], L"ab");
  if (!file) return 1;
  fprintf(file, "%s\n", line.c_str());
  fclose(file);
  return 0;
}
