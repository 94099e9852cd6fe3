#include "app/package_dir.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "app/final_path.h"
#include "app/special_folder.h"
#include "build_settings.h"
#include "toolkit/base/text_table.h"

namespace {

bool IsDirectory(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates each missing level in turn; failures show up in the attribute check that follows.
void CreateDirectoryChain(const std::wstring& path) {
  for (size_t slash = path.find_first_of(L"\\/", 1); slash != std::wstring::npos;
       slash = path.find_first_of(L"\\/", slash + 1)) {
    CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
  }
  CreateDirectoryW(path.c_str(), nullptr);
}

}  // namespace

bool HasEnoughFreeSpace(uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                        uint32_t freeClusters) {
  const uint64_t freeBytes =
      uint64_t{sectorsPerCluster} * uint64_t{bytesPerSector} * uint64_t{freeClusters};
  return freeBytes >= kMinPackageDirFreeBytes;
}

bool HasReparsePointOnTheWay(const std::wstring& path) {
  const std::vector<std::wstring> way = PathsOnTheWay(path);
  if (way.empty()) return true;
  for (const std::wstring& part : way) {
    const DWORD attributes = GetFileAttributesW(part.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
      return true;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
  }
  return false;
}

bool KeepsAccessRights(const std::wstring& path) {
  wchar_t volume[MAX_PATH] = {};
  if (!GetVolumePathNameW(path.c_str(), volume, MAX_PATH)) return false;
  DWORD flags = 0;
  if (!GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
    return false;
  return (flags & FILE_PERSISTENT_ACLS) != 0;
}

bool IsPackageDirUsable(const std::wstring& dir) {
  const size_t slash = dir.find(L'\\');
  if (slash == std::wstring::npos) return false;
  // Checked before creating (nothing is made through a link) and after (nothing was swapped in).
  if (HasReparsePointOnTheWay(dir)) return false;
  if (!IsDirectory(dir)) CreateDirectoryChain(dir);
  if (!IsDirectory(dir) || HasReparsePointOnTheWay(dir)) return false;
  if (!KeepsAccessRights(dir)) return false;
  const std::wstring root = dir.substr(0, slash);
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &totalClusters)) {
    return false;
  }
  return HasEnoughFreeSpace(sectorsPerCluster, bytesPerSector, freeClusters);
}

std::vector<std::wstring> DefaultPackageDirCandidates() {
  return {GetSpecialFolderPath(CSIDL_APPDATA) + L"\\" + build::kDataFolder,
          GetSpecialFolderPath(CSIDL_DESKTOP), L"d:\\Temp", L"c:\\Temp", GetUserTempDir()};
}

bool ChoosePackageDir(const std::vector<std::wstring>& candidates, std::wstring* dir) {
  for (const std::wstring& candidate : candidates) {
    if (!candidate.empty() && IsPackageDirUsable(candidate)) {
      *dir = candidate;
      return true;
    }
  }
  return false;
}

void ShowNoPackageSpaceMessage() {
  // Whole mebibytes, rounded: "404 MB".
  const std::wstring size =
      std::to_wstring((kMinPackageDirFreeBytes + (1 << 19)) >> 20) + L" MB";
  const std::wstring text =
      base::Text("no_package_space", {{"name", build::kDisplayName}, {"size", size}});
  const std::wstring caption = base::Text("prompt_caption", {{"name", build::kDisplayName}});
  MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}
