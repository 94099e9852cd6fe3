#include "app/final_path.h"

#include <windows.h>

#include <cwctype>

std::wstring WithoutLongPathPrefix(const std::wstring& path) {
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
    return L"\\\\" + path.substr(8);
  if (path.compare(0, 4, L"\\\\?\\") == 0)
    return path.substr(4);
  return path;
}

bool IsSamePath(const std::wstring& a, const std::wstring& b) {
  std::wstring x = WithoutLongPathPrefix(a);
  std::wstring y = WithoutLongPathPrefix(b);
  for (std::wstring* p : {&x, &y}) {
    if (p->size() > 1 && p->back() == L'\\')
      p->pop_back();
  }
  if (x.size() != y.size())
    return false;
  for (size_t i = 0; i < x.size(); ++i) {
    if (std::towupper(x[i]) != std::towupper(y[i]))
      return false;
  }
  return true;
}

std::vector<std::wstring> PathsOnTheWay(const std::wstring& path) {
  // The root: "C:\" of a drive path, "\\server\share" of a UNC path.
  size_t rootEnd;
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
    rootEnd = 3;
  } else if (path.compare(0, 2, L"\\\\") == 0) {
    const size_t server = path.find(L'\\', 2);
    if (server == std::wstring::npos || server == 2)
      return {};
    rootEnd = path.find(L'\\', server + 1);
    if (rootEnd == std::wstring::npos)
      rootEnd = path.size();
  } else {
    return {};
  }
  std::vector<std::wstring> paths{path.substr(0, rootEnd)};
  for (size_t slash = path.find(L'\\', rootEnd); slash != std::wstring::npos;
       slash = path.find(L'\\', slash + 1)) {
    if (slash > rootEnd && path[slash - 1] != L'\\')
      paths.push_back(path.substr(0, slash));
  }
  if (path.size() > rootEnd && path.back() != L'\\')
    paths.push_back(path);
  return paths;
}

std::wstring FinalPathOf(void* handle) {
  wchar_t buffer[MAX_PATH * 2];
  const DWORD length = GetFinalPathNameByHandleW(static_cast<HANDLE>(handle), buffer,
                                                 MAX_PATH * 2, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= MAX_PATH * 2)
    return L"";
  return WithoutLongPathPrefix(std::wstring(buffer, length));
}
