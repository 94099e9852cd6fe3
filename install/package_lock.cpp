#include "install/package_lock.h"

#include <windows.h>

PackageLock::PackageLock(const std::wstring& path) : path_(path) {
  // No FILE_SHARE_WRITE and no FILE_SHARE_DELETE: while this handle is open, nobody can
  // write the file, and it can be neither deleted nor renamed away and replaced.
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error_ = GetLastError();
    return;
  }
  handle_ = file;
  // The folder too: with it renamed away and another put in its place, the path would name
  // another file. Windows refuses that already while a file inside is open; Wine does not.
  size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash > 0 && path[slash - 1] != L':') {
    HANDLE folder = CreateFileW(path.substr(0, slash).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder != INVALID_HANDLE_VALUE)
      folder_ = folder;
  }
}

PackageLock::~PackageLock() {
  Release();
}

void PackageLock::Release() {
  if (handle_) {
    CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
  }
  if (folder_) {
    CloseHandle(static_cast<HANDLE>(folder_));
    folder_ = nullptr;
  }
}
