// What makes a downloaded file acceptable as the setup package: at least 10 MiB, and it
// begins with "MZ" (an HTML error page served with status 200 does not).
//
//   if (IsPackageValid(packagePath)) { ... run its setup ... }
//
// Any thread.
#pragma once

#include <cstdint>
#include <string>

#include "build_settings.h"

constexpr int64_t kLeastPackageSize = build::kPackageMinBytes;
constexpr size_t kPackageHeaderBytes = 2048;

// Opens the file by its wide path, so a folder name outside the ANSI code page works.
bool IsPackageValid(const std::wstring& path);

// The file's size in bytes, or -1 when there is no such file.
int64_t PackageFileSize(const std::wstring& path);
