// Where the downloaded setup package is kept: the first candidate directory that exists (or
// can be created) on a drive with room for the package and its unpacked files. The package
// itself goes into a private folder created inside it (install/package_folder.h), so a
// candidate must be one that folder can be kept safe in: no junction or symbolic link on the
// way (it could send the elevated installer's writes elsewhere) and a file system that keeps
// access rights (the private folder's are what keeps other programs out).
//
//   std::wstring dir;
//   if (!ChoosePackageDir(DefaultPackageDirCandidates(), &dir)) {
//     ShowNoPackageSpaceMessage();
//     EndProcessNow(kNoPackageDirExitCode);  // process_utils.h
//   }
//
// ShowNoPackageSpaceMessage: UI thread. Everything else: any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "build_settings.h"

// 0x19384000 bytes, about 404 MiB.
inline constexpr uint64_t kMinPackageDirFreeBytes = build::kFreeSpaceBytes;

// Exit code of the installer when no candidate directory is usable.
inline constexpr int kNoPackageDirExitCode = 2;

// Free space as GetDiskFreeSpaceW reports it, computed in 64 bits, against the minimum.
bool HasEnoughFreeSpace(uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                        uint32_t freeClusters);

// Creates the directory (and its missing parents) when needed, then accepts it when it is a
// directory whose drive ("C:" of "C:\x\y") has enough free space, that has no reparse point
// (junction, symbolic link) on the way and whose file system keeps access rights. A path
// without "\" is never usable; nothing is created through a reparse point. Directories
// created for a rejected path stay.
bool IsPackageDirUsable(const std::wstring& dir);

// True when `path` or a folder on the way to it is a reparse point, or cannot be looked at.
// Parts that do not exist yet are not looked at.
bool HasReparsePointOnTheWay(const std::wstring& path);

// True when the file system holding `path` keeps access rights (FILE_PERSISTENT_ACLS).
bool KeepsAccessRights(const std::wstring& path);

// In order: application data + "\" + the product's data folder, the desktop, "d:\Temp", "c:\Temp", and
// last the user's temporary folder.
std::vector<std::wstring> DefaultPackageDirCandidates();

// The first usable candidate, without a trailing "\". False when none is usable.
bool ChoosePackageDir(const std::vector<std::wstring>& candidates, std::wstring* dir);

// Tells the user that the installer needs about 404 MiB of free disk space.
void ShowNoPackageSpaceMessage();
