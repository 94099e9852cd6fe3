// Builds small zip archives in memory for the archive reader's tests, recording where each part
// landed so that tests can damage a chosen byte.
//
//   ZipBuilder zip;
//   zip.AddDeflated("a/b.txt", "hello");
//   std::string bytes = zip.Finish();
//
// Threading: any thread; one builder per test.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ZipBuilder {
 public:
  struct Placed {
    size_t localHeaderOffset = 0;
    size_t dataOffset = 0;
    size_t dataSize = 0;
  };

  // Each Add returns where the entry's local header and data were written.
  Placed AddStored(std::string_view name, std::string_view content, uint16_t flags = 0);
  Placed AddDeflated(std::string_view name, std::string_view content, uint16_t flags = 0);
  Placed AddDirectory(std::string_view name);

  // Appends the central directory and the end record; returns the whole archive.
  std::string Finish(std::string_view comment = {});

  size_t centralDirectoryOffset() const { return centralDirectoryOffset_; }
  size_t endRecordOffset() const { return endRecordOffset_; }

 private:
  struct Central {
    std::string name;
    uint16_t flags, method;
    uint32_t crc, compressedSize, size, localHeaderOffset;
  };
  Placed Add(std::string_view name, uint16_t method, uint16_t flags, std::string_view content,
             std::string_view stored);

  std::string bytes_;
  std::vector<Central> central_;
  size_t centralDirectoryOffset_ = 0;
  size_t endRecordOffset_ = 0;
};

// Raw deflate (no zlib header), as zip stores it.
std::string DeflateRaw(std::string_view content);
