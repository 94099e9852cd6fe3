// Fuzzes the Base64 encoder of the report upload body against a plain decoder written from
// the alphabet: decoding gives the input back, the length is 4 * ceil(n / 3), only alphabet
// characters appear, and the "=" padding sits at the end and matches n mod 3.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "report/base64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

int ValueOf(char c) {
  for (int i = 0; i < 64; ++i)
    if (kAlphabet[i] == c) return i;
  return -1;
}

// Decodes padded Base64 six bits at a time; false on any character outside the alphabet or
// padding that is not at the end.
bool Decode(const std::string& text, std::string* out) {
  if (text.size() % 4 != 0) return false;
  size_t padding = 0;
  while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=')
    ++padding;
  uint32_t bits = 0;
  int count = 0;
  for (size_t i = 0; i < text.size() - padding; ++i) {
    const int v = ValueOf(text[i]);
    if (v < 0) return false;
    bits = (bits << 6) | static_cast<uint32_t>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out->push_back(static_cast<char>((bits >> count) & 0xFF));
    }
  }
  // The bits left over after the last byte must be zero in canonical Base64.
  return (bits & ((1u << count) - 1)) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string encoded = Base64Encode(bytes);
  if (encoded.size() != 4 * ((size + 2) / 3)) Fail("wrong length");
  const size_t expectedPadding = (3 - size % 3) % 3;
  for (size_t i = 0; i < encoded.size(); ++i) {
    const bool inPadding = i >= encoded.size() - expectedPadding;
    if (inPadding != (encoded[i] == '=')) Fail("padding in the wrong place");
  }
  std::string decoded;
  if (!Decode(encoded, &decoded)) Fail("not canonical Base64");
  if (decoded != bytes) Fail("decoding does not give the input back");
  return 0;
}
