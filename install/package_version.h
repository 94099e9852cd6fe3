// Refusing a downgrade. Anything the pinned signer ever signed passes the signature check,
// so someone on the plain-http path could serve an old, since-fixed setup and have it run as
// administrator. The build names the lowest package version it accepts; a package whose file
// version (its version resource) is lower, or that has none, is refused before it runs.
//
//   TrustResult version = CheckPackageVersion(lock.Path(), build::kMinPackageVersion);
//   if (!version.trusted) { ... fail the attempt with version.code and version.text ... }
//
// Call it after the signature check, on the locked package: the version resource is only
// worth reading once the file is known to come from the signer. Threading: any thread.
#pragma once

#include <string>

#include "install/package_trust.h"

// What a refused package's attempt fails with: ERROR_REVISION_MISMATCH as an HRESULT.
inline constexpr long kPackageTooOld = static_cast<long>(0x8007051A);

// Trusted when `minVersion` is empty (the build names none) or the package's file version is
// at least `minVersion` ("major.minor.build.revision"). Otherwise the text says why, e.g.
// "package version: 1.0.0.1 is lower than 2.0.0.0, the lowest accepted".
TrustResult CheckPackageVersion(const std::wstring& path, const std::wstring& minVersion);
