#include "tests/archive/zip_builder.h"

#include <zlib.h>

#include <stdexcept>

namespace {

void Put16(std::string* out, uint32_t v) {
  out->push_back(static_cast<char>(v & 0xff));
  out->push_back(static_cast<char>((v >> 8) & 0xff));
}
void Put32(std::string* out, uint32_t v) {
  Put16(out, v & 0xffff);
  Put16(out, v >> 16);
}

uint32_t Crc(std::string_view content) {
  return crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(content.data()),
               static_cast<uInt>(content.size()));
}

}  // namespace

std::string DeflateRaw(std::string_view content) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  std::string out(deflateBound(&stream, static_cast<uLong>(content.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
  stream.avail_in = static_cast<uInt>(content.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

ZipBuilder::Placed ZipBuilder::Add(std::string_view name, uint16_t method, uint16_t flags,
                                   std::string_view content, std::string_view stored) {
  Central entry{std::string(name), flags, method, Crc(content),
                static_cast<uint32_t>(stored.size()), static_cast<uint32_t>(content.size()),
                static_cast<uint32_t>(bytes_.size())};
  Placed placed;
  placed.localHeaderOffset = bytes_.size();
  Put32(&bytes_, 0x04034b50);
  Put16(&bytes_, 20);
  Put16(&bytes_, flags);
  Put16(&bytes_, method);
  Put16(&bytes_, 0);       // time
  Put16(&bytes_, 0x21);    // date: 1980-01-01
  Put32(&bytes_, entry.crc);
  Put32(&bytes_, entry.compressedSize);
  Put32(&bytes_, entry.size);
  Put16(&bytes_, static_cast<uint32_t>(name.size()));
  Put16(&bytes_, 0);
  bytes_.append(name);
  placed.dataOffset = bytes_.size();
  placed.dataSize = stored.size();
  bytes_.append(stored);
  central_.push_back(std::move(entry));
  return placed;
}

ZipBuilder::Placed ZipBuilder::AddStored(std::string_view name, std::string_view content,
                                         uint16_t flags) {
  return Add(name, 0, flags, content, content);
}

ZipBuilder::Placed ZipBuilder::AddDeflated(std::string_view name, std::string_view content,
                                           uint16_t flags) {
  return Add(name, 8, flags, content, DeflateRaw(content));
}

ZipBuilder::Placed ZipBuilder::AddDirectory(std::string_view name) {
  return Add(name, 0, 0, {}, {});
}

std::string ZipBuilder::Finish(std::string_view comment) {
  centralDirectoryOffset_ = bytes_.size();
  for (const Central& e : central_) {
    Put32(&bytes_, 0x02014b50);
    Put16(&bytes_, 20);
    Put16(&bytes_, 20);
    Put16(&bytes_, e.flags);
    Put16(&bytes_, e.method);
    Put16(&bytes_, 0);
    Put16(&bytes_, 0x21);
    Put32(&bytes_, e.crc);
    Put32(&bytes_, e.compressedSize);
    Put32(&bytes_, e.size);
    Put16(&bytes_, static_cast<uint32_t>(e.name.size()));
    Put16(&bytes_, 0);  // extra
    Put16(&bytes_, 0);  // comment
    Put16(&bytes_, 0);  // disk
    Put16(&bytes_, 0);  // internal attributes
    Put32(&bytes_, e.name.back() == '/' ? 0x10 : 0);
    Put32(&bytes_, e.localHeaderOffset);
    bytes_.append(e.name);
  }
  const size_t directorySize = bytes_.size() - centralDirectoryOffset_;
  endRecordOffset_ = bytes_.size();
  Put32(&bytes_, 0x06054b50);
  Put16(&bytes_, 0);
  Put16(&bytes_, 0);
  Put16(&bytes_, static_cast<uint32_t>(central_.size()));
  Put16(&bytes_, static_cast<uint32_t>(central_.size()));
  Put32(&bytes_, static_cast<uint32_t>(directorySize));
  Put32(&bytes_, static_cast<uint32_t>(centralDirectoryOffset_));
  Put16(&bytes_, static_cast<uint32_t>(comment.size()));
  bytes_.append(comment);
  return bytes_;
}
