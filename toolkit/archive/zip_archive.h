// ZipArchive reads the skin package: a zip archive held in memory (the THEME resource) whose
// entries are looked up by path and inflated on demand. Nothing is extracted to disk.
//
//   std::string error;
//   auto archive = ZipArchive::Open(data, size, &error);
//   std::string xml;
//   if (archive && archive->Read("resources/themes/default/global.xml", &xml, &error)) ...
//
// Lookups ignore ASCII case and treat '/' and '\' alike, so "Resources\Themes\Default\Global.xml"
// finds the same entry. Only stored and deflate entries without encryption are readable; every
// size and offset is checked against the buffer, so a damaged archive gives an error text, never
// an over-read.
//
// Threading: any thread. Open builds an immutable index; Read and Contains are const and may run
// concurrently on one archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ui {

class ZipArchive {
 public:
  // Borrows `data`: the bytes must outlive the archive. On failure returns null and, when
  // `error` is given, says why.
  static std::unique_ptr<ZipArchive> Open(const void* data, size_t size, std::string* error);

  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Replaces `*out` with the entry's uncompressed bytes. Directory entries read as empty.
  bool Read(std::string_view path, std::string* out, std::string* error) const;
  bool Contains(std::string_view path) const;
  // The names as stored, in central-directory order (directories end with '/').
  std::vector<std::string> EntryNames() const;

 private:
  struct Entry {
    std::string name;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t size = 0;
    uint32_t localHeaderOffset = 0;
  };

  ZipArchive(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool ParseCentralDirectory(std::string* error);
  const Entry* Find(std::string_view path) const;
  // Locates the entry's compressed bytes through its local header.
  bool LocateData(const Entry& entry, const uint8_t** begin, std::string* error) const;

  const uint8_t* data_;  // borrowed, see Open
  size_t size_;
  // The central directory's start: entry data must end before it.
  size_t centralDirectoryOffset_ = 0;
  std::vector<Entry> entries_;
  std::unordered_map<std::string, size_t> index_;  // normalized name -> entries_ position
};

// Lower-cases ASCII letters and turns '\' into '/': the key both lookups and names use.
std::string NormalizeEntryPath(std::string_view path);

}  // namespace ui
