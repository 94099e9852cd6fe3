#include "install/package_folder.h"

#include <windows.h>
#include <objbase.h>
#include <sddl.h>

#include <cwchar>

#include "app/final_path.h"
#include "app/package_dir.h"
#include "app/relative_file.h"
#include "build_settings.h"
#include "install/folder_removal.h"

// Owned by Administrators: the owner may always rewrite the rights, so it must not be the
// user whose programs the folder keeps out.
const wchar_t kPackageFolderSddl[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
const wchar_t kPackageTempName[] = L"temp";

namespace {

// No delete sharing: nobody can remove or rename the folder while it is held. It takes no
// delete access itself, so the setup can still be started in it (its current folder is
// opened without delete sharing).
constexpr DWORD kHeldAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
constexpr DWORD kHeldShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

}  // namespace

std::wstring NewPackageFolderName() {
  GUID guid = {};
  CoCreateGuid(&guid);
  wchar_t name[40];
  std::swprintf(name, 40, L"%ls%08lX%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X",
                build::kPackageFolderPrefix, static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
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
  // The parent, held while the folder is made in it: the new folder is then made in the very
  // folder that was looked at, whatever happens to the path meanwhile.
  HANDLE parentHandle = OpenPlainFolder(parent, FILE_TRAVERSE | FILE_ADD_SUBDIRECTORY, error);
  if (!parentHandle)
    return nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPackageFolderSddl, SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    *error = GetLastError();
    CloseHandle(parentHandle);
    return nullptr;
  }
  // Created and opened in one step, with its rights from the first instant: there is no
  // moment in which another program could swap in a folder of its own.
  const std::wstring name = NewPackageFolderName();
  HANDLE handle = OpenInFolder(parentHandle, name, RelativeOpen::kCreateFolder, kHeldAccess,
                               kHeldShare, descriptor, error);
  HANDLE temp = handle ? OpenInFolder(handle, kPackageTempName, RelativeOpen::kCreateFolder,
                                      FILE_READ_ATTRIBUTES, kHeldShare, descriptor, error)
                       : nullptr;
  LocalFree(descriptor);
  // The folder is used by its final path from now on, so a short name, a SUBST drive or a
  // link on the way to the parent changes nothing later. Both sides are final paths: the
  // folder must be in the very parent that was held.
  const std::wstring path = handle ? FinalPathOf(handle) : L"";
  const std::wstring expected = FinalPathOf(parentHandle) + L"\\" + name;
  CloseHandle(parentHandle);
  if (temp) CloseHandle(temp);
  if (!handle || !temp || path.empty() || !IsSamePath(path, expected) ||
      HasReparsePointOnTheWay(parent)) {
    if (*error == 0) *error = kReparsePointEncountered;
    if (handle) {
      CloseHandle(handle);
      if (!path.empty()) {
        RemoveDirectoryW((path + L"\\" + kPackageTempName).c_str());
        RemoveDirectoryW(path.c_str());  // removes a link itself, never what it leads to
      }
    }
    return nullptr;
  }
  return std::unique_ptr<PackageFolder>(new PackageFolder(path, handle));
}

std::wstring PackageFolder::TempPath() const {
  return path_ + L"\\" + kPackageTempName;
}

PackageFolder::~PackageFolder() {
  // Everything inside goes by handle, so no link put in meanwhile can lead the removal out.
  DeleteFolderContents(handle_);
  CloseHandle(static_cast<HANDLE>(handle_));
  // Empty now and held by nobody; a path that has come to name something else is no folder
  // of ours to be removed.
  RemoveDirectoryW(path_.c_str());
}
