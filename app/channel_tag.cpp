#include <windows.h>

#include <algorithm>
#include <string_view>

#include "app/machine_facts.h"
#include "toolkit/base/utf8.h"

namespace {

constexpr int kChannelResourceId = 138;
constexpr DWORD kMaxChannelBytes = 260;

}  // namespace

bool ReadChannelTag(std::wstring* tag) {
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
