// Comparing what a handle really names with a path. An elevated installer that checks a
// file or folder and then uses it by its path must know that the path still leads to the
// object it holds open: a junction or symbolic link on the way would send it elsewhere.
//
//   std::wstring held = FinalPathOf(handle);                 // "C:\Users\x\pkg\setup.exe"
//   if (!IsSamePath(held, expected)) { ... refuse ... }
//
// Threading: any thread.
#pragma once

#include <string>
#include <vector>

// `path` without the "\\?\" prefix the system puts before a final path ("\\?\UNC\" becomes
// "\\"); anything else unchanged.
std::wstring WithoutLongPathPrefix(const std::wstring& path);

// True when both name the same place: equal after WithoutLongPathPrefix, ignoring the case of
// letters (as the file system does) and a trailing "\".
bool IsSamePath(const std::wstring& a, const std::wstring& b);

// Every folder on the way to `path` and the path itself, shortest first:
// "C:\a\b" gives "C:\", "C:\a", "C:\a\b". A path without a drive or share root gives {}.
std::vector<std::wstring> PathsOnTheWay(const std::wstring& path);

// The final path (links resolved) of an open file or folder handle (a HANDLE), in the
// drive-letter form without the "\\?\" prefix; "" when the system cannot tell.
std::wstring FinalPathOf(void* handle);
