#include "app/channel_stamp.h"

#include <algorithm>
#include <cstring>

namespace {

// 2.25.36758031333982804191178216376343647853: an object identifier of our own, made from a
// UUID (no registry needed). The stamping tool writes the same one.
constexpr uint8_t kStampOid[] = {0x69, 0xb7, 0xa7, 0xab, 0xb7, 0xbe, 0xcc, 0xfa, 0x9f, 0xdb,
                                 0xa3, 0xa9, 0xb7, 0x89, 0xdc, 0xe9, 0xeb, 0xac, 0x6d};
// 1.2.840.113549.1.7.2, PKCS#7 SignedData.
constexpr uint8_t kSignedDataOid[] = {0x2a, 0x86, 0x48, 0x86, 0xf7, 0x0d, 0x01, 0x07, 0x02};

constexpr uint8_t kSequence = 0x30, kSet = 0x31, kOid = 0x06, kOctetString = 0x04,
                  kUtf8String = 0x0c, kExplicit0 = 0xa0, kImplicit1 = 0xa1;
constexpr uint16_t kWinCertRevision2 = 0x0200, kWinCertTypePkcsSignedData = 0x0002;
constexpr uint32_t kSecurityDirectory = 4;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// A run of DER bytes being read from the front.
struct Der {
  const uint8_t* data;
  size_t size;

  // Takes the next element: its tag and its content. False, and nothing taken, when the
  // bytes do not hold a whole element.
  bool Next(uint8_t* tag, Der* content) {
    if (size < 2) return false;
    size_t length = data[1], header = 2;
    if (length & 0x80) {
      const size_t count = length & 0x7f;
      if (count < 1 || count > 4 || size < 2 + count) return false;
      length = 0;
      for (size_t i = 0; i < count; ++i) length = length << 8 | data[2 + i];
      header += count;
    }
    if (length > size - header) return false;
    *tag = data[0];
    *content = Der{data + header, length};
    data += header + length;
    size -= header + length;
    return true;
  }

  bool NextIs(uint8_t wanted, Der* content) {
    uint8_t tag = 0;
    return Next(&tag, content) && tag == wanted;
  }

  template <size_t N>
  bool Equals(const uint8_t (&bytes)[N]) const {
    return size == N && std::memcmp(data, bytes, N) == 0;
  }
};

// The first SignerInfo's unauthenticated attributes, from the PKCS#7 ContentInfo.
bool FindUnauthenticatedAttributes(Der pkcs7, Der* attributes) {
  Der contentInfo, oid, wrapper, signedData, signerInfos, signerInfo;
  if (!pkcs7.NextIs(kSequence, &contentInfo) || !contentInfo.NextIs(kOid, &oid) ||
      !oid.Equals(kSignedDataOid) || !contentInfo.NextIs(kExplicit0, &wrapper) ||
      !wrapper.NextIs(kSequence, &signedData))
    return false;
  // The signer infos are SignedData's last field.
  uint8_t tag = 0;
  Der field{};
  while (signedData.size > 0) {
    if (!signedData.Next(&tag, &field)) return false;
  }
  if (tag != kSet) return false;
  signerInfos = field;
  if (!signerInfos.NextIs(kSequence, &signerInfo)) return false;
  // The unauthenticated attributes follow the encrypted digest.
  bool afterDigest = false;
  while (signerInfo.size > 0) {
    if (!signerInfo.Next(&tag, &field)) return false;
    if (afterDigest) {
      *attributes = field;
      return tag == kImplicit1;
    }
    afterDigest = tag == kOctetString;
  }
  return false;
}

}  // namespace

bool IsAcceptableChannelStamp(std::string_view stamp) {
  if (stamp.empty() || stamp.size() > kMaxChannelStamp) return false;
  return std::all_of(stamp.begin(), stamp.end(), [](char c) {
    return c > ' ' && c <= '~' && c != '&' && c != ';' && c != '=' && c != '%';
  });
}

bool FindCertificateTable(const uint8_t* headers, size_t size, uint32_t* offset,
                          uint32_t* tableSize) {
  if (size < 0x40 || headers[0] != 'M' || headers[1] != 'Z') return false;
  const uint32_t pe = Le32(headers + 0x3c);
  // Signature, file header, the optional header's magic.
  if (pe > size || size - pe < 4 + 20 + 2 || std::memcmp(headers + pe, "PE\0\0", 4) != 0)
    return false;
  const uint32_t optional = pe + 24;
  const uint16_t magic = Le16(headers + optional);
  uint32_t directories = 0;
  if (magic == 0x10b) {
    directories = optional + 96;
  } else if (magic == 0x20b) {
    directories = optional + 112;
  } else {
    return false;
  }
  const uint32_t entry = directories + 8 * kSecurityDirectory;
  if (entry + 8 > size || Le32(headers + directories - 4) <= kSecurityDirectory) return false;
  *offset = Le32(headers + entry);
  *tableSize = Le32(headers + entry + 4);
  return *offset != 0 && *tableSize != 0;
}

bool FindChannelStamp(const uint8_t* table, size_t size, std::string* stamp) {
  // One WIN_CERTIFICATE: its length, revision and type, then the PKCS#7 SignedData.
  if (size < 8) return false;
  const uint32_t length = Le32(table);
  if (length < 8 || length > size || Le16(table + 4) != kWinCertRevision2 ||
      Le16(table + 6) != kWinCertTypePkcsSignedData)
    return false;
  Der attributes{};
  if (!FindUnauthenticatedAttributes(Der{table + 8, length - 8}, &attributes)) return false;
  while (attributes.size > 0) {
    Der attribute, oid, values, value;
    if (!attributes.NextIs(kSequence, &attribute)) return false;
    if (!attribute.NextIs(kOid, &oid) || !oid.Equals(kStampOid)) continue;
    if (!attribute.NextIs(kSet, &values) || !values.NextIs(kUtf8String, &value)) return false;
    const std::string_view text(reinterpret_cast<const char*>(value.data), value.size);
    if (!IsAcceptableChannelStamp(text)) return false;
    stamp->assign(text);
    return true;
  }
  return false;
}
