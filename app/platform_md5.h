// MD5 through the platform's "MD5Init"/"MD5Update"/"MD5Final" (advapi32), resolved by name
// once per process. Md5HexUpper (machine_facts.h) uses it and falls back to ComputeMd5 when
// the entry points are missing.
//
//   Md5Bytes digest;
//   if (!PlatformMd5(bytes, &digest)) digest = ComputeMd5(bytes.data(), bytes.size());
//
// Any thread.
#pragma once

#include <string_view>

#include "app/md5_digest.h"

// False when the platform has no MD5 entry points.
bool PlatformMd5(std::string_view bytes, Md5Bytes* digest);
