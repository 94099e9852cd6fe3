// The installer's own MD5 (RFC 1321), used when the platform's MD5 entry points are missing,
// and the hexadecimal form shared by both.
//
//   Md5Bytes digest = ComputeMd5("abc", 3);
//   std::wstring hex = DigestToHexUpper(digest);  // L"900150983CD24FB0D6963F7D28E17F72"
//
// Pure functions, no platform calls; any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using Md5Bytes = std::array<uint8_t, 16>;

Md5Bytes ComputeMd5(const void* data, size_t size);

// 32 digits from "0123456789ABCDEF", high nibble first.
std::wstring DigestToHexUpper(const Md5Bytes& digest);
