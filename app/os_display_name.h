// The table that names the Windows release from version tests, kept apart from the platform
// calls so that every row can be checked with a made-up version.
//
//   std::wstring name = PickOsDisplayName(IsServerEdition(), &IsVersionAtLeast);
//
// Pure function, no platform calls; any thread.
#pragma once

#include <functional>
#include <string>

using VersionAtLeastTest = std::function<bool(int major, int minor, int servicePackMajor)>;

// The first row whose test holds names the system; a server edition wins over any version.
std::wstring PickOsDisplayName(bool isServer, const VersionAtLeastTest& isAtLeast);
