#include "install/left_package_folders.h"

#include <windows.h>

#include "app/package_dir.h"
#include "app/relative_file.h"
#include "build_settings.h"
#include "install/folder_removal.h"

namespace {

// Opens the folder for deletion, which fails while a running installer holds it. Only a
// plain folder is emptied and removed.
bool RemoveFolderIn(HANDLE dir, const std::wstring& name) {
  unsigned long error = 0;
  HANDLE folder = OpenInFolder(dir, name, RelativeOpen::kOpenAny,
                               DELETE | FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, &error);
  if (!folder) return false;
  BY_HANDLE_FILE_INFORMATION info = {};
  const bool removed = GetFileInformationByHandle(folder, &info) &&
                       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                       !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                       DeleteFolderContents(folder) && DeleteHeld(folder);
  CloseHandle(folder);
  return removed;
}

}  // namespace

bool IsPackageFolderName(const std::wstring& name) {
  const size_t prefix = std::char_traits<wchar_t>::length(build::kPackageFolderPrefix);
  return name.size() == prefix + 32 && name.compare(0, prefix, build::kPackageFolderPrefix) == 0 &&
         name.find_first_not_of(L"0123456789ABCDEF", prefix) == std::wstring::npos;
}

int RemoveLeftPackageFolders(const std::vector<std::wstring>& dirs) {
  int removed = 0;
  for (const std::wstring& dir : dirs) {
    if (dir.empty() || HasReparsePointOnTheWay(dir)) continue;
    unsigned long error = 0;
    HANDLE handle = OpenPlainFolder(dir, FILE_LIST_DIRECTORY | FILE_TRAVERSE, &error);
    if (!handle) continue;
    for (const FolderEntry& entry : ListFolder(handle)) {
      if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsPackageFolderName(entry.name) &&
          RemoveFolderIn(handle, entry.name)) {
        ++removed;
      }
    }
    CloseHandle(handle);
  }
  return removed;
}
