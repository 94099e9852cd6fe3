#include <objbase.h>
#include <windows.h>

#include <cstdio>

#include "app/machine_facts.h"
#include "app/md5_digest.h"
#include "app/platform_md5.h"
#include "app/registry.h"
#include "app/unique_id.h"
#include "toolkit/base/utf8.h"

namespace {

std::wstring& UniqueIdCache() {
  static std::wstring* cache = new std::wstring;  // lives until the process ends
  return *cache;
}

}  // namespace

std::wstring FormatGuidText(const GUID& guid) {
  wchar_t text[40] = {};
  std::swprintf(text, 40, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
}

bool IsWellFormedUniqueId(const std::wstring& text) {
  if (text.size() != 32) return false;
  for (wchar_t c : text) {
    if (!((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f')))
      return false;
  }
  return true;
}

std::wstring Md5HexUpper(const std::wstring& text) {
  std::string bytes = base::WideToUtf8(text);
  bytes.resize(bytes.find('\0') == std::string::npos ? bytes.size() : bytes.find('\0'));
  Md5Bytes digest;
  if (!PlatformMd5(bytes, &digest)) digest = ComputeMd5(bytes.data(), bytes.size());
  return DigestToHexUpper(digest);
}

std::wstring GetUniqueId() {
  std::wstring& cache = UniqueIdCache();
  if (!cache.empty()) return cache;
  cache = ReadUserRegString(kAppInfoKey, L"UniqueId");
  if (IsWellFormedUniqueId(cache)) return cache;

  GUID guid = {};
  CoCreateGuid(&guid);  // on failure the zero GUID still yields a well-formed identifier
  cache = Md5HexUpper(FormatGuidText(guid));
  WriteUserRegString(kAppInfoKey, L"UniqueId", cache);
  return cache;
}
