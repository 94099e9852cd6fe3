// The channel stamp: a channel tag written into the signed installer after signing
// (tools/signing/stamp_channel.py), so that one signed file serves every distribution site.
// It lives in the Authenticode signature, as an unauthenticated attribute of the first
// SignerInfo, which the signature does not cover. A stamp is untrusted input: anyone can
// rewrite it without breaking the signature.
//
//   uint32_t offset = 0, size = 0;
//   if (FindCertificateTable(headers, headerBytes, &offset, &size)) { ...read the table... }
//   std::string channel;
//   if (FindChannelStamp(table.data(), table.size(), &channel)) { ...use it... }
//
// Plain parsing of bytes, no platform calls (it builds natively for fuzzing).
// Threading: any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The longest stamp read; the channel goes into a URL and a cookie.
constexpr size_t kMaxChannelStamp = 64;
// The most certificate-table bytes worth reading: a signature with its chain and a timestamp
// is a few KB. A larger table is not read at all.
constexpr uint32_t kMaxCertificateTable = 64 * 1024;
// Enough of the file's start for the DOS and PE headers of any linker's output.
constexpr size_t kPeHeaderBytes = 4096;

// True for 1 to kMaxChannelStamp printable ASCII characters without space, '&', ';', '=' and
// '%': what can stand in the download URL's query and a cookie unquoted.
bool IsAcceptableChannelStamp(std::string_view stamp);

// From the first `size` bytes of a PE file: the file offset and size of its attribute
// certificate table. False when the headers are not a PE's, or it has no table.
bool FindCertificateTable(const uint8_t* headers, size_t size, uint32_t* offset,
                          uint32_t* tableSize);

// From the certificate table's bytes: the stamp, when there is one and it is acceptable.
// False (stamp untouched) for anything else, also for a truncated or malformed table.
bool FindChannelStamp(const uint8_t* table, size_t size, std::string* stamp);
