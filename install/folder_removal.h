// Removing what is inside a folder the installer holds open, by handle all the way down: each
// entry is opened by its name inside the held folder (app/relative_file.h), and a junction or
// symbolic link found inside is removed itself, never what it leads to. So removing the
// package folder, or one a killed run left, can never reach a file elsewhere.
//
//   HANDLE folder = ...;           // FILE_LIST_DIRECTORY | FILE_TRAVERSE, and DELETE to
//   DeleteFolderContents(folder);  // remove the folder itself afterwards:
//   DeleteHeld(folder);
//
// Threading: any thread; it touches the disk, so call it on a worker.
#pragma once

#include <string>
#include <vector>

struct FolderEntry {
  std::wstring name;
  unsigned long attributes = 0;  // FILE_ATTRIBUTE_*
};

// The entries of a held folder (a HANDLE opened with FILE_LIST_DIRECTORY), without "." and
// "..". Empty when it cannot be listed.
std::vector<FolderEntry> ListFolder(void* folder);

// Removes every file, link and folder inside the held folder; folders deeper than a few
// levels stay (a package unpacks nothing deeper). True when the folder is empty afterwards.
bool DeleteFolderContents(void* folder);

// Marks an open file or folder (a HANDLE opened with DELETE) for deletion: it goes when the
// last handle to it is closed. A folder must be empty.
bool DeleteHeld(void* handle);
