#include "install/package_folder.h"

#include <windows.h>
#include <objbase.h>
#include <sddl.h>

#include <cwchar>

#include "app/final_path.h"
#include "app/package_dir.h"

const wchar_t kPackageFolderSddl[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

namespace {

// Deletes the files in the folder while it is held: nobody can then rename it away and put
// a link in its place, and nobody but an administrator can have put anything in it.
void DeleteFilesIn(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE)
    return;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      DeleteFileW((folder + L"\\" + entry.cFileName).c_str());
  } while (FindNextFileW(find, &entry));
  FindClose(find);
}

}  // namespace

std::wstring NewPackageFolderName() {
  GUID guid = {};
  CoCreateGuid(&guid);
  wchar_t name[40];
  std::swprintf(name, 40, L"bm-%08lX%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return name;
}

std::unique_ptr<PackageFolder> PackageFolder::Create(const std::wstring& parent,
                                                     unsigned long* error) {
  *error = 0;
  if (HasReparsePointOnTheWay(parent)) {
    *error = kReparsePointEncountered;
    return nullptr;
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPackageFolderSddl, SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    *error = GetLastError();
    return nullptr;
  }
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
  std::wstring base = parent;
  if (!base.empty() && base.back() == L'\\')
    base.pop_back();
  const std::wstring path = base + L"\\" + NewPackageFolderName();
  const BOOL created = CreateDirectoryW(path.c_str(), &attributes);
  const DWORD createError = GetLastError();
  LocalFree(descriptor);
  if (!created) {
    *error = createError;
    return nullptr;
  }

  // No delete sharing: nobody can remove or rename the folder while it is held. It takes no
  // delete access itself, so the setup can still be started in it and its files listed.
  HANDLE handle =
      CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    RemoveDirectoryW(path.c_str());
    return nullptr;
  }
  // A link swapped in on the way between the check and the creation shows here: the folder
  // held is then not the one the path names.
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      !IsSamePath(FinalPathOf(handle), path)) {
    *error = kReparsePointEncountered;
    CloseHandle(handle);
    RemoveDirectoryW(path.c_str());  // removes a link itself, never what it leads to
    return nullptr;
  }
  return std::unique_ptr<PackageFolder>(new PackageFolder(path, handle));
}

PackageFolder::~PackageFolder() {
  DeleteFilesIn(path_);
  CloseHandle(static_cast<HANDLE>(handle_));
  // Empty now. Should it have been swapped for a link meanwhile, this removes the link only.
  RemoveDirectoryW(path_.c_str());
}
