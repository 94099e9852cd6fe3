#include "tests/archive/png_size.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The first 33 bytes of a 600 x 256 RGB PNG: signature and IHDR chunk with its CRC.
std::string HeaderOf600x256() {
  return std::string("\x89PNG\r\n\x1a\n"
                     "\x00\x00\x00\x0dIHDR"
                     "\x00\x00\x02\x58\x00\x00\x01\x00"
                     "\x08\x02\x00\x00\x00"
                     "\x00\x00\x00\x00",
                     33);
}

TEST(PngSizeTest, ReadsWidthAndHeight) {
  uint32_t width = 0, height = 0;
  ASSERT_TRUE(ReadPngSize(HeaderOf600x256(), &width, &height));
  EXPECT_EQ(width, 600u);
  EXPECT_EQ(height, 256u);
}

TEST(PngSizeTest, RejectsWrongSignature) {
  std::string bytes = HeaderOf600x256();
  bytes[1] = 'J';
  uint32_t width = 0, height = 0;
  EXPECT_FALSE(ReadPngSize(bytes, &width, &height));
}

TEST(PngSizeTest, RejectsTruncatedHeader) {
  const std::string bytes = HeaderOf600x256();
  uint32_t width = 0, height = 0;
  for (size_t cut = 0; cut < 29; ++cut)
    EXPECT_FALSE(ReadPngSize(bytes.substr(0, cut), &width, &height)) << cut;
}

TEST(PngSizeTest, RejectsOtherFirstChunk) {
  std::string bytes = HeaderOf600x256();
  bytes.replace(12, 4, "IDAT");
  uint32_t width = 0, height = 0;
  EXPECT_FALSE(ReadPngSize(bytes, &width, &height));
}

}  // namespace
