#include "app/relative_file.h"

#include <windows.h>
#include <winternl.h>

#include "toolkit/base/system_library.h"

namespace {

using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES,
                                        PIO_STATUS_BLOCK, PLARGE_INTEGER, ULONG, ULONG, ULONG,
                                        ULONG, PVOID, ULONG);
using RtlNtStatusToDosErrorFn = ULONG(NTAPI*)(NTSTATUS);

constexpr ULONG kFileOpen = 0x1;  // FILE_OPEN
constexpr ULONG kFileSynchronousIoNonAlert = 0x20;

}  // namespace

void* OpenInFolder(void* folder, const std::wstring& name, RelativeOpen how,
                   unsigned long access, unsigned long share, void* descriptor,
                   unsigned long* error) {
  static const auto create = base::GetSystemFunction<NtCreateFileFn>(L"ntdll.dll", "NtCreateFile");
  static const auto toDosError =
      base::GetSystemFunction<RtlNtStatusToDosErrorFn>(L"ntdll.dll", "RtlNtStatusToDosError");
  *error = 0;
  if (!create || !toDosError) {
    *error = ERROR_PROC_NOT_FOUND;
    return nullptr;
  }
  if (name.empty() || name.find_first_of(L"\\/") != std::wstring::npos) {
    *error = ERROR_INVALID_NAME;
    return nullptr;
  }
  UNICODE_STRING text;
  text.Buffer = const_cast<wchar_t*>(name.c_str());
  text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  text.MaximumLength = text.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, static_cast<HANDLE>(folder),
                             descriptor);
  const bool createFolder = how == RelativeOpen::kCreateFolder;
  ULONG options = FILE_OPEN_REPARSE_POINT | kFileSynchronousIoNonAlert;
  if (createFolder) options |= FILE_DIRECTORY_FILE;
  IO_STATUS_BLOCK status = {};
  HANDLE handle = nullptr;
  const NTSTATUS result =
      create(&handle, access | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL,
             share, createFolder ? FILE_CREATE : kFileOpen, options, nullptr, 0);
  if (result < 0) {
    *error = toDosError(result);
    return nullptr;
  }
  return handle;
}

void* OpenPlainFolder(const std::wstring& path, unsigned long access, unsigned long* error) {
  HANDLE handle = CreateFileW(path.c_str(), access | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return nullptr;
  }
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!GetFileInformationByHandle(handle, &info) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    CloseHandle(handle);
    *error = kReparsePointEncountered;
    return nullptr;
  }
  *error = 0;
  return handle;
}
