// Opening or creating a file or folder by its name inside a folder held open (a handle),
// in one system call. Going by a held folder's handle instead of a path means no junction or
// symbolic link on the way can send the call elsewhere; and a folder created this way is
// open in the same step, so nobody can put another folder in its place in between.
//
//   unsigned long error = 0;
//   HANDLE folder = OpenInFolder(parent, L"bm-0123...", kCreateFolder, FILE_LIST_DIRECTORY,
//                                FILE_SHARE_READ | FILE_SHARE_WRITE, descriptor, &error);
//   if (!folder) { ... error is a system error code ... }
//
// ntdll's NtCreateFile, taken through the System32 loader. Threading: any thread.
#pragma once

#include <string>

// ERROR_REPARSE_POINT_ENCOUNTERED, which older SDK headers lack.
inline constexpr unsigned long kReparsePointEncountered = 4395;

// What OpenInFolder does with the name.
enum class RelativeOpen {
  kCreateFolder,  // a new folder; fails with ERROR_ALREADY_EXISTS if the name is taken
  kOpenAny,       // an existing file or folder; a link is opened itself, never followed
};

// A handle (HANDLE) to `name` (one name, no "\") inside `folder`, or null with the system
// error code in `error`. `descriptor` (a SECURITY_DESCRIPTOR*) applies to a folder created;
// null takes the inherited rights.
void* OpenInFolder(void* folder, const std::wstring& name, RelativeOpen how,
                   unsigned long access, unsigned long share, void* descriptor,
                   unsigned long* error);

// A handle (HANDLE) to the folder at `path` with `access` (synchronous, every sharing mode),
// opened itself and never followed: null with the system error code in `error` when it
// cannot be opened, or with kReparsePointEncountered when it is a link or no folder.
// The starting point for OpenInFolder.
void* OpenPlainFolder(const std::wstring& path, unsigned long access, unsigned long* error);
