#include "install/folder_removal.h"

#include <windows.h>

#include "app/relative_file.h"

namespace {

// A package's setup unpacks into the temporary folder one or two levels deep.
constexpr int kMaxDepth = 8;

constexpr DWORD kEntryAccess =
    DELETE | FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

bool DeleteContents(HANDLE folder, int depth);

// Removes one entry of `folder`. A link is opened as itself, so deleting it deletes the link.
bool DeleteEntry(HANDLE folder, const FolderEntry& entry, int depth) {
  unsigned long error = 0;
  HANDLE handle = OpenInFolder(folder, entry.name, RelativeOpen::kOpenAny, kEntryAccess,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               &error);
  if (!handle) return false;
  BY_HANDLE_FILE_INFORMATION info = {};
  bool ok = GetFileInformationByHandle(handle, &info) != 0;
  const bool isLink = info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
  if (ok && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !isLink)
    ok = depth < kMaxDepth && DeleteContents(handle, depth + 1);
  if (ok && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes = (info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY) |
                           FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof(basic));
  }
  ok = ok && DeleteHeld(handle);
  CloseHandle(handle);
  return ok;
}

bool DeleteContents(HANDLE folder, int depth) {
  bool ok = true;
  for (const FolderEntry& entry : ListFolder(folder))
    ok = DeleteEntry(folder, entry, depth) && ok;
  return ok;
}

}  // namespace

std::vector<FolderEntry> ListFolder(void* folder) {
  std::vector<FolderEntry> entries;
  alignas(8) BYTE buffer[16384];
  FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
  while (GetFileInformationByHandleEx(static_cast<HANDLE>(folder), kind, buffer, sizeof(buffer))) {
    kind = FileIdBothDirectoryInfo;
    for (BYTE* at = buffer;;) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
      std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..")
        entries.push_back({std::move(name), info->FileAttributes});
      if (info->NextEntryOffset == 0) break;
      at += info->NextEntryOffset;
    }
  }
  return entries;
}

bool DeleteFolderContents(void* folder) {
  return DeleteContents(static_cast<HANDLE>(folder), 0) && ListFolder(folder).empty();
}

bool DeleteHeld(void* handle) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformationByHandle(static_cast<HANDLE>(handle), FileDispositionInfo,
                                    &disposition, sizeof(disposition)) != 0;
}
