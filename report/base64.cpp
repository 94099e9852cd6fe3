#include "report/base64.h"

#include <array>

namespace {

constexpr char kAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

using Table = std::array<char, 256>;

// Indexed by a whole byte, yields the character of its upper six bits.
constexpr Table MakeUpperTable() {
  Table t{};
  for (int i = 0; i < 256; ++i)
    t[i] = kAlphabet[i / 4];
  return t;
}

// Indexed by a byte, yields the character of its lower six bits.
constexpr Table MakeLowerTable() {
  Table t{};
  for (int i = 0; i < 256; ++i)
    t[i] = kAlphabet[i % 64];
  return t;
}

constexpr Table kE0 = MakeUpperTable();
constexpr Table kE1 = MakeLowerTable();
constexpr Table kE2 = MakeLowerTable();

}  // namespace

std::string Base64Encode(const std::string& bytes) {
  const size_t n = bytes.size();
  std::string out(4 * ((n + 2) / 3) + 1, '\0');
  const unsigned char* in = reinterpret_cast<const unsigned char*>(bytes.data());
  char* p = &out[0];

  size_t i = 0;
  for (; i + 2 < n; i += 3) {
    const unsigned t1 = in[i], t2 = in[i + 1], t3 = in[i + 2];
    *p++ = kE0[t1];
    *p++ = kE1[((t1 & 0x03) << 4) | (t2 >> 4)];
    *p++ = kE1[((t2 & 0x0F) << 2) | (t3 >> 6)];
    *p++ = kE2[t3];
  }
  if (n - i == 1) {
    const unsigned t1 = in[i];
    *p++ = kE0[t1];
    *p++ = kE1[(t1 & 0x03) << 4];
    *p++ = '=';
    *p++ = '=';
  } else if (n - i == 2) {
    const unsigned t1 = in[i], t2 = in[i + 1];
    *p++ = kE0[t1];
    *p++ = kE1[((t1 & 0x03) << 4) | (t2 >> 4)];
    *p++ = kE2[(t2 & 0x0F) << 2];
    *p++ = '=';
  }
  out.resize(p - out.data());
  return out;
}
