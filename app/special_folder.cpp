#include "app/special_folder.h"

#include <windows.h>
#include <shlobj.h>

namespace {

void TrimTrailingBackslash(std::wstring* path) {
  // "C:\" keeps its backslash: without it the text names the drive's current directory.
  if (path->size() > 3 && path->back() == L'\\') path->pop_back();
}

}  // namespace

std::wstring GetSpecialFolderPath(int csidl) {
  PIDLIST_ABSOLUTE list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || !list) return std::wstring();
  wchar_t path[MAX_PATH] = {};
  const BOOL found = SHGetPathFromIDListW(list, path);
  CoTaskMemFree(list);
  if (!found) return std::wstring();
  std::wstring result = path;
  TrimTrailingBackslash(&result);
  return result;
}

std::wstring GetUserTempDir() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, path);
  if (length == 0 || length > MAX_PATH) return std::wstring();
  std::wstring result(path, length);
  TrimTrailingBackslash(&result);
  return result;
}
