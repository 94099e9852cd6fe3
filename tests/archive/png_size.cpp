#include "tests/archive/png_size.h"

namespace {

constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
constexpr size_t kIhdrLength = 13;

uint32_t Be32(std::string_view bytes, size_t at) {
  auto b = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])); };
  return (b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3);
}

}  // namespace

bool ReadPngSize(std::string_view bytes, uint32_t* width, uint32_t* height) {
  // Signature, then the first chunk: length, type "IHDR", width, height, ...
  if (bytes.size() < kSignature.size() + 8 + kIhdrLength) return false;
  if (bytes.substr(0, kSignature.size()) != kSignature) return false;
  if (Be32(bytes, 8) != kIhdrLength || bytes.substr(12, 4) != "IHDR") return false;
  const uint32_t w = Be32(bytes, 16), h = Be32(bytes, 20);
  if (w == 0 || h == 0) return false;
  *width = w;
  *height = h;
  return true;
}
