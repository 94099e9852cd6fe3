#include "install/package_version.h"

#include <cstdint>

#include "app/file_version.h"

TrustResult CheckPackageVersion(const std::wstring& path, const std::wstring& minVersion) {
  if (minVersion.empty()) return TrustResult{true, 0, L""};
  uint64_t least = 0;
  if (!ParseFileVersion(minVersion, &least))
    return TrustResult{false, kPackageTooOld, L"package version: the lowest accepted is unreadable"};
  uint64_t version = 0;
  if (!ReadFileVersion(path, &version))
    return TrustResult{false, kPackageTooOld, L"package version: none (no version resource)"};
  if (version < least) {
    return TrustResult{false, kPackageTooOld,
                       L"package version: " + FormatFileVersion(version) + L" is lower than " +
                           FormatFileVersion(least) + L", the lowest accepted"};
  }
  return TrustResult{true, 0, L""};
}
