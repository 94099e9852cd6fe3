// Removing the private package folders that earlier runs left. A run that ends while its
// package is on disk (closed during the setup, killed, crashed) leaves its "bm-..." folder
// behind, 200 MiB that only an administrator may delete; the next run removes it.
//
//   RemoveLeftPackageFolders(DefaultPackageDirCandidates());  // on a worker, after start-up
//
// A folder still held by a running installer cannot be opened for deletion (it is held
// without delete sharing) and stays. Nothing is removed through a link: a candidate with a
// junction or symbolic link on the way is skipped, a "bm-..." entry that is a link is left
// alone, and what is inside goes by handle (folder_removal.h).
//
// Threading: any thread; it touches the disk, so call it on a worker.
#pragma once

#include <string>
#include <vector>

// True for the names NewPackageFolderName gives: "bm-" and 32 hex digits (A-F in capitals).
bool IsPackageFolderName(const std::wstring& name);

// Removes the package folders directly inside each of `dirs` (a missing one is skipped;
// nothing is created). Returns how many were removed.
int RemoveLeftPackageFolders(const std::vector<std::wstring>& dirs);
