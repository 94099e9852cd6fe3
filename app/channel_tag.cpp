#include <windows.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "app/channel_stamp.h"
#include "app/machine_facts.h"
#include "app/scoped_handle.h"
#include "toolkit/base/utf8.h"

namespace {

constexpr int kChannelResourceId = 138;
constexpr DWORD kMaxChannelBytes = 260;

// Reads `size` bytes at `offset`; false unless all of them were there.
bool ReadExactly(HANDLE file, uint32_t offset, void* buffer, DWORD size) {
  OVERLAPPED at = {};
  at.Offset = offset;
  DWORD got = 0;
  return ReadFile(file, buffer, size, &got, &at) && got == size;
}

bool ReadResourceTag(std::wstring* tag) {
  HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(kChannelResourceId), L"CHANNEL");
  if (!info) return false;
  const DWORD size = SizeofResource(nullptr, info);
  HGLOBAL loaded = LoadResource(nullptr, info);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return false;

  // The build refuses longer tags; the cap only keeps a foreign resource from overrunning.
  char buffer[kMaxChannelBytes] = {};
  const DWORD copied = std::min(size, kMaxChannelBytes);
  std::copy_n(static_cast<const char*>(bytes), copied, buffer);
  std::string_view text(buffer, copied);
  // A NUL ends the tag: the channel goes into URLs and the registry as C strings.
  text = text.substr(0, text.find('\0'));
  *tag = base::Utf8ToWide(text);
  return true;
}

}  // namespace

bool ReadChannelStampFromFile(const std::wstring& path, std::string* stamp) {
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  // Only the headers and the certificate table at the end are read: a few KB, not the file.
  std::vector<uint8_t> headers(kPeHeaderBytes);
  OVERLAPPED start = {};
  DWORD got = 0;
  if (!ReadFile(file.Get(), headers.data(), kPeHeaderBytes, &got, &start)) return false;
  uint32_t offset = 0, size = 0;
  if (!FindCertificateTable(headers.data(), got, &offset, &size) || size > kMaxCertificateTable)
    return false;
  std::vector<uint8_t> table(size);
  if (!ReadExactly(file.Get(), offset, table.data(), size)) return false;
  return FindChannelStamp(table.data(), table.size(), stamp);
}

bool ReadChannelTag(std::wstring* tag) {
  // Read once: the settings and the reports both ask at start, on different threads.
  static const std::optional<std::wstring> kTag = []() -> std::optional<std::wstring> {
    wchar_t path[1024] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, 1024);
    std::string stamp;
    if (length > 0 && length < 1024 && ReadChannelStampFromFile(path, &stamp))
      return base::Utf8ToWide(stamp);  // printable ASCII, so never empty
    std::wstring resourceTag;
    if (ReadResourceTag(&resourceTag))
      return resourceTag;
    return std::nullopt;
  }();
  if (!kTag)
    return false;
  *tag = *kTag;
  return true;
}
