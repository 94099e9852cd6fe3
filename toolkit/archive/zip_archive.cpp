#include "toolkit/archive/zip_archive.h"

#include <zlib.h>

#include <cstdint>

namespace ui {
namespace {

constexpr uint32_t kEndOfCentralDirectorySignature = 0x06054b50;
constexpr uint32_t kCentralEntrySignature = 0x02014b50;
constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr size_t kEndOfCentralDirectorySize = 22;
constexpr size_t kCentralEntrySize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kMaxCommentSize = 0xffff;

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagStrongEncryption = 0x0040;

// Deflate cannot expand data by more than about 1032:1; a larger claim is a damaged header,
// and believing it would mean a huge allocation.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint32_t kMaxEntrySize = 256u << 20;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

// True when [offset, offset + length) lies inside [0, limit).
bool InBounds(uint64_t offset, uint64_t length, uint64_t limit) {
  return offset <= limit && length <= limit - offset;
}

bool Inflate(const uint8_t* in, uint32_t inSize, uint32_t outSize, std::string* out,
             std::string* error) {
  out->assign(outSize, '\0');
  z_stream stream{};
  // Negative window bits: a raw deflate stream, as zip stores it (no zlib header).
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return Fail(error, "cannot start inflate");
  stream.next_in = const_cast<Bytef*>(in);
  stream.avail_in = inSize;
  // One spare byte lets a stream that is longer than declared show itself.
  char spare = 0;
  stream.next_out = outSize ? reinterpret_cast<Bytef*>(&(*out)[0]) : reinterpret_cast<Bytef*>(&spare);
  stream.avail_out = outSize ? outSize : 1;
  int result = inflate(&stream, Z_FINISH);
  if (result == Z_BUF_ERROR && outSize && stream.avail_out == 0) {
    stream.next_out = reinterpret_cast<Bytef*>(&spare);
    stream.avail_out = 1;
    result = inflate(&stream, Z_FINISH);
  }
  const uLong produced = stream.total_out;
  inflateEnd(&stream);
  if (result != Z_STREAM_END) {
    if (result == Z_DATA_ERROR) return Fail(error, "compressed data is corrupt");
    return Fail(error, "compressed data ends early or is too long");
  }
  if (produced != outSize) return Fail(error, "uncompressed size does not match the header");
  return true;
}

}  // namespace

std::string NormalizeEntryPath(std::string_view path) {
  std::string key(path);
  for (char& c : key) {
    if (c == '\\') c = '/';
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

std::unique_ptr<ZipArchive> ZipArchive::Open(const void* data, size_t size, std::string* error) {
  if (!data && size) {
    Fail(error, "no archive data");
    return nullptr;
  }
  std::unique_ptr<ZipArchive> archive(new ZipArchive(static_cast<const uint8_t*>(data), size));
  if (!archive->ParseCentralDirectory(error)) return nullptr;
  return archive;
}

bool ZipArchive::ParseCentralDirectory(std::string* error) {
  if (size_ < kEndOfCentralDirectorySize)
    return Fail(error, "not a zip archive: too short for an end-of-central-directory record");

  // The end record sits at the very end, followed only by the archive comment; search backwards
  // so that a comment containing the signature does not mislead.
  const size_t last = size_ - kEndOfCentralDirectorySize;
  const size_t first = last > kMaxCommentSize ? last - kMaxCommentSize : 0;
  size_t eocd = SIZE_MAX;
  for (size_t pos = last + 1; pos-- > first;) {
    const uint8_t* p = data_ + pos;
    if (Le32(p) == kEndOfCentralDirectorySignature &&
        pos + kEndOfCentralDirectorySize + Le16(p + 20) == size_) {
      eocd = pos;
      break;
    }
  }
  if (eocd == SIZE_MAX) return Fail(error, "not a zip archive: no end-of-central-directory record");

  const uint8_t* end = data_ + eocd;
  const uint16_t disk = Le16(end + 4);
  const uint16_t directoryDisk = Le16(end + 6);
  const uint16_t entriesOnDisk = Le16(end + 8);
  const uint16_t entryCount = Le16(end + 10);
  const uint32_t directorySize = Le32(end + 12);
  const uint32_t directoryOffset = Le32(end + 16);
  if (disk != 0 || directoryDisk != 0 || entriesOnDisk != entryCount)
    return Fail(error, "multi-volume zip archives are not supported");
  if (entryCount == 0xffff || directorySize == 0xffffffff || directoryOffset == 0xffffffff)
    return Fail(error, "zip64 archives are not supported");
  if (!InBounds(directoryOffset, directorySize, eocd))
    return Fail(error, "central directory lies outside the archive");

  centralDirectoryOffset_ = directoryOffset;
  entries_.reserve(entryCount);
  size_t pos = directoryOffset;
  const size_t directoryEnd = static_cast<size_t>(directoryOffset) + directorySize;
  for (uint32_t i = 0; i < entryCount; ++i) {
    if (!InBounds(pos, kCentralEntrySize, directoryEnd))
      return Fail(error, "central directory is truncated at entry " + std::to_string(i));
    const uint8_t* p = data_ + pos;
    if (Le32(p) != kCentralEntrySignature)
      return Fail(error, "central directory entry " + std::to_string(i) + " has a bad signature");
    Entry entry;
    entry.flags = Le16(p + 8);
    entry.method = Le16(p + 10);
    entry.crc = Le32(p + 16);
    entry.compressedSize = Le32(p + 20);
    entry.size = Le32(p + 24);
    const uint16_t nameLength = Le16(p + 28);
    const uint16_t extraLength = Le16(p + 30);
    const uint16_t commentLength = Le16(p + 32);
    entry.localHeaderOffset = Le32(p + 42);
    const size_t recordSize = kCentralEntrySize + nameLength + extraLength + commentLength;
    if (!InBounds(pos, recordSize, directoryEnd))
      return Fail(error, "central directory is truncated at entry " + std::to_string(i));
    entry.name.assign(reinterpret_cast<const char*>(p + kCentralEntrySize), nameLength);
    if (entry.name.empty() || entry.name.find('\0') != std::string::npos)
      return Fail(error, "central directory entry " + std::to_string(i) + " has a bad name");
    if (!InBounds(entry.localHeaderOffset, kLocalHeaderSize, directoryOffset))
      return Fail(error, "entry " + entry.name + " starts outside the archive");
    // The first of two entries with the same name wins, as in most readers.
    index_.emplace(NormalizeEntryPath(entry.name), entries_.size());
    entries_.push_back(std::move(entry));
    pos += recordSize;
  }
  return true;
}

const ZipArchive::Entry* ZipArchive::Find(std::string_view path) const {
  auto it = index_.find(NormalizeEntryPath(path));
  return it == index_.end() ? nullptr : &entries_[it->second];
}

bool ZipArchive::Contains(std::string_view path) const { return Find(path) != nullptr; }

std::vector<std::string> ZipArchive::EntryNames() const {
  std::vector<std::string> names;
  names.reserve(entries_.size());
  for (const Entry& entry : entries_) names.push_back(entry.name);
  return names;
}

bool ZipArchive::LocateData(const Entry& entry, const uint8_t** begin, std::string* error) const {
  const uint8_t* p = data_ + entry.localHeaderOffset;  // bounds checked when parsed
  if (Le32(p) != kLocalHeaderSignature)
    return Fail(error, "entry " + entry.name + " has a bad local header");
  const uint64_t dataOffset =
      uint64_t{entry.localHeaderOffset} + kLocalHeaderSize + Le16(p + 26) + Le16(p + 28);
  // Sizes come from the central directory: the local copy may be zero when a data descriptor
  // follows the data.
  if (!InBounds(dataOffset, entry.compressedSize, centralDirectoryOffset_))
    return Fail(error, "entry " + entry.name + " extends past its archive");
  *begin = data_ + dataOffset;
  return true;
}

bool ZipArchive::Read(std::string_view path, std::string* out, std::string* error) const {
  const Entry* entry = Find(path);
  if (!entry) return Fail(error, "no entry " + std::string(path) + " in the archive");
  if (entry->flags & (kFlagEncrypted | kFlagStrongEncryption))
    return Fail(error, "entry " + entry->name + " is encrypted; only unencrypted entries are read");
  if (entry->size > kMaxEntrySize)
    return Fail(error, "entry " + entry->name + " is too large");

  const uint8_t* compressed = nullptr;
  if (!LocateData(*entry, &compressed, error)) return false;

  std::string bytes;
  if (entry->method == kMethodStored) {
    if (entry->compressedSize != entry->size)
      return Fail(error, "stored entry " + entry->name + " has differing sizes");
    bytes.assign(reinterpret_cast<const char*>(compressed), entry->size);
  } else if (entry->method == kMethodDeflate) {
    if (entry->size > uint64_t{entry->compressedSize} * kMaxDeflateRatio + 64)
      return Fail(error, "entry " + entry->name + " claims an impossible size");
    std::string inflateError;
    if (!Inflate(compressed, entry->compressedSize, entry->size, &bytes, &inflateError))
      return Fail(error, "entry " + entry->name + ": " + inflateError);
  } else {
    return Fail(error, "entry " + entry->name + " uses unsupported compression method " +
                           std::to_string(entry->method));
  }

  const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()),
                          static_cast<uInt>(bytes.size()));
  if (crc != entry->crc) return Fail(error, "entry " + entry->name + " fails its CRC-32 check");
  *out = std::move(bytes);
  return true;
}

}  // namespace ui
