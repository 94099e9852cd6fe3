// The channel stamp read from a signed file's certificate table: a PE with a signature-shaped
// table made here, written to disk and read back as the installer reads itself.
#include "app/channel_stamp.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/machine_facts.h"
#include "tests/app_facts/facts_test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Der(uint8_t tag, const Bytes& content) {
  Bytes out{tag};
  const size_t n = content.size();
  if (n < 0x80) {
    out.push_back(static_cast<uint8_t>(n));
  } else {
    out.insert(out.end(), {0x82, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
  }
  out.insert(out.end(), content.begin(), content.end());
  return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// The stamp's object identifier, as stamp_channel.py writes it.
const Bytes kStampOid = Der(0x06, {0x69, 0xb7, 0xa7, 0xab, 0xb7, 0xbe, 0xcc, 0xfa, 0x9f, 0xdb,
                                   0xa3, 0xa9, 0xb7, 0x89, 0xdc, 0xe9, 0xeb, 0xac, 0x6d});

// A WIN_CERTIFICATE holding a SignedData shaped like a signature, whose SignerInfo carries a
// timestamp-like attribute and then the stamp.
Bytes CertificateTable(const std::string& stamp) {
  const Bytes other = Der(0x30, Cat({Der(0x06, {0x2b, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x03,
                                                0x03, 0x01}),
                                     Der(0x31, Der(0x04, Bytes(300, 0xab)))}));
  const Bytes stampAttribute =
      Der(0x30, Cat({kStampOid, Der(0x31, Der(0x0c, Bytes(stamp.begin(), stamp.end())))}));
  const Bytes signerInfo = Der(0x30, Cat({Der(0x02, {1}), Der(0x30, {}), Der(0x30, {}),
                                          Der(0xa0, {}), Der(0x30, {}), Der(0x04, Bytes(256, 7)),
                                          Der(0xa1, Cat({other, stampAttribute}))}));
  const Bytes signedData =
      Der(0x30, Cat({Der(0x02, {1}), Der(0x31, {}), Der(0x30, Der(0x06, {0x2b, 0x06})),
                     Der(0xa0, Bytes(40, 0x11)), Der(0x31, signerInfo)}));
  const Bytes pkcs7 = Der(0x30, Cat({Der(0x06, {0x2a, 0x86, 0x48, 0x86, 0xf7, 0x0d, 0x01, 0x07,
                                                0x02}),
                                     Der(0xa0, signedData)}));
  const uint32_t length = static_cast<uint32_t>((8 + pkcs7.size() + 7) & ~size_t{7});
  Bytes table{static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8), 0, 0, 0x00, 0x02,
              0x02, 0x00};
  table.insert(table.end(), pkcs7.begin(), pkcs7.end());
  table.resize(length);
  return table;
}

// A 32-bit PE's headers with the certificate table after them, cut `cut` bytes short.
Bytes SignedFile(const Bytes& table, size_t cut) {
  constexpr uint32_t kTableAt = 0x200, kOptional = 0x40 + 24;
  Bytes file(kTableAt);
  file[0] = 'M';
  file[1] = 'Z';
  file[0x3c] = 0x40;
  file[0x40] = 'P';
  file[0x41] = 'E';
  file[kOptional] = 0x0b;
  file[kOptional + 1] = 0x01;
  file[kOptional + 92] = 16;  // data directories
  const uint32_t entry = kOptional + 96 + 8 * 4, size = static_cast<uint32_t>(table.size());
  for (int i = 0; i < 4; ++i) {
    file[entry + i] = static_cast<uint8_t>(kTableAt >> (8 * i));
    file[entry + 4 + i] = static_cast<uint8_t>(size >> (8 * i));
  }
  file.insert(file.end(), table.begin(), table.end() - cut);
  return file;
}

bool StampOfFile(const Bytes& bytes, std::string* stamp) {
  ScopedTempDir temp;
  const std::wstring path = temp.path() + L"\\stamped.exe";
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
  return ReadChannelStampFromFile(path, stamp);
}

TEST(ChannelStampTest, OnlyAnAcceptableWholeStampIsRead) {
  struct Row {
    const char* what;
    std::string stamp;
    size_t cut;
    bool read;
  } rows[] = {
      {"a plain tag", "site_a_10001", 0, true},
      {"the longest tag", std::string(64, 'x'), 0, true},
      {"all printable punctuation allowed", "a!\"#$'()*+,-./:<>?@[\\]^_`{|}~", 0, true},
      {"over-long", std::string(65, 'x'), 0, false},
      {"an ampersand", "a&channel=b", 0, false},
      {"a semicolon", "a;b", 0, false},
      {"an equals sign", "a=b", 0, false},
      {"a percent sign", "a%26b", 0, false},
      {"a space", "a b", 0, false},
      {"a control character", "a\tb", 0, false},
      {"a NUL", std::string("a\0b", 3), 0, false},
      {"a byte above ASCII", "caf\xc3\xa9", 0, false},
      {"empty", "", 0, false},
      {"the certificate area cut short", "site_a", 1, false},
      {"the certificate area cut in the signature", "site_a", 200, false},
  };
  for (const Row& row : rows) {
    std::string stamp = "untouched";
    EXPECT_EQ(row.read, StampOfFile(SignedFile(CertificateTable(row.stamp), row.cut), &stamp))
        << row.what;
    EXPECT_EQ(row.read ? row.stamp : "untouched", stamp) << row.what;
  }
}

// A table cut anywhere in its signature, with its length field saying so, yields nothing:
// the reader stays inside the bytes it has.
TEST(ChannelStampTest, NoCutTableYieldsAStamp) {
  const Bytes table = CertificateTable("site_a");
  std::string stamp;
  ASSERT_TRUE(FindChannelStamp(table.data(), table.size(), &stamp));
  for (size_t size = 0; size < table.size() - 8; ++size) {
    Bytes prefix(table.begin(), table.begin() + size);
    if (size >= 4) {  // the length field says where the cut is
      prefix[0] = static_cast<uint8_t>(size);
      prefix[1] = static_cast<uint8_t>(size >> 8);
    }
    EXPECT_FALSE(FindChannelStamp(prefix.data(), prefix.size(), &stamp)) << size;
  }
}

TEST(ChannelStampTest, AnUnsignedProgramHasNoStamp) {
  wchar_t self[1024] = {};
  ASSERT_NE(0u, GetModuleFileNameW(nullptr, self, 1024));
  std::string stamp;
  EXPECT_FALSE(ReadChannelStampFromFile(self, &stamp));
}

}  // namespace
