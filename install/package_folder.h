// The private folder the setup package is downloaded into and run from. The installer runs
// as administrator, but the folder it is given (application data, the desktop, a temporary
// folder) belongs to the user, and so to every program the user runs: such a program could
// drop a library beside the setup, or swap the folder for a junction while the download runs
// and turn the installer's delete and write into a delete or write of another file.
//
// So the package goes into a new folder with a name nobody can guess, owned by
// Administrators, whose access rights are its own (protected: nothing inherited from the
// parent) and grant only Administrators and SYSTEM. It is created and opened in one step
// inside the parent held open, and held without delete sharing for as long as the object
// lives, so it can be neither swapped, removed nor renamed away; and it is created only where
// no junction or symbolic link is on the way. It holds a "temp" folder with the same rights:
// the setup's temporary folder, where it unpacks the plug-ins it then loads.
//
//   unsigned long error = 0;
//   std::unique_ptr<PackageFolder> folder = PackageFolder::Create(packageDir, &error);
//   if (!folder) { ... fail the download with error ... }
//   std::wstring packagePath = folder->Path() + L"\\" + build::kPackageFileName;
//   ...                                         // download, check, run the setup
//   folder.reset();                             // removes the folder and the package
//
// Threading: any thread; one object is used by one thread at a time.
#pragma once

#include <memory>
#include <string>

#include "app/relative_file.h"  // kReparsePointEncountered


class PackageFolder {
 public:
  // Creates the folder inside `parent` (an existing folder). Null on failure, with the
  // system's error code in `error`: kReparsePointEncountered for a junction or link on the
  // way, ERROR_ALREADY_EXISTS should the name be taken.
  static std::unique_ptr<PackageFolder> Create(const std::wstring& parent, unsigned long* error);

  // Removes the files in the folder and the folder itself, then lets go of it: the package is
  // of no use once the setup has run, and 200 MiB in a roaming profile cost the user.
  ~PackageFolder();
  PackageFolder(const PackageFolder&) = delete;
  PackageFolder& operator=(const PackageFolder&) = delete;

  // The folder's full path as the file system sees it (its final path: long names, the
  // real drive), without a trailing "\".
  const std::wstring& Path() const { return path_; }

  // The setup's temporary folder inside it.
  std::wstring TempPath() const;

 private:
  PackageFolder(std::wstring path, void* handle) : path_(std::move(path)), handle_(handle) {}

  std::wstring path_;
  void* handle_;  // the open folder (a HANDLE)
};

// "bm-" and 32 hex digits from a fresh random GUID: a name no other program can know first.
std::wstring NewPackageFolderName();

// The folder's owner and access rights as SDDL: owned by Administrators, protected, full
// control for Administrators and SYSTEM only, inherited by everything created inside.
extern const wchar_t kPackageFolderSddl[];
