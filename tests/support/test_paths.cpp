#include "tests/support/test_paths.h"

#include <windows.h>

#include <cstdlib>

#include "toolkit/base/utf8.h"

std::wstring TestProgramDir() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring file(path, length);
  return file.substr(0, file.find_last_of(L'\\'));
}

std::wstring WindowsPathFromUnix(std::string_view path) {
  std::wstring result = base::Utf8ToWideReplacing(path);
  for (wchar_t& c : result) {
    if (c == L'/')
      c = L'\\';
  }
  if (!path.empty() && path.front() == '/')
    result = L"Z:" + result;
  return result;
}

std::wstring PathFromEnv(const char* name) {
  const char* value = std::getenv(name);
  return value ? WindowsPathFromUnix(value) : std::wstring();
}
