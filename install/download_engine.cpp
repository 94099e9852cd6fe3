#include "install/download_engine.h"

#include <windows.h>
#include <urlmon.h>

#include "toolkit/base/system_library.h"

namespace {

using UrlDownloadToFileFn = HRESULT(WINAPI*)(IUnknown*, const wchar_t*, const wchar_t*, DWORD,
                                            IBindStatusCallback*);
using DeleteUrlCacheEntryFn = BOOL(WINAPI*)(const wchar_t*);

UrlDownloadToFileFn DownloadFunction() {
  static const UrlDownloadToFileFn download =
      base::GetSystemFunction<UrlDownloadToFileFn>(L"urlmon.dll", "URLDownloadToFileW");
  return download;
}

DeleteUrlCacheEntryFn DeleteEntryFunction() {
  static const DeleteUrlCacheEntryFn deleteEntry =
      base::GetSystemFunction<DeleteUrlCacheEntryFn>(L"wininet.dll", "DeleteUrlCacheEntryW");
  return deleteEntry;
}

}  // namespace

long DownloadUrlToFile(const std::wstring& url, const std::wstring& path,
                       IBindStatusCallback* callback) {
  const UrlDownloadToFileFn download = DownloadFunction();
  if (!download)
    return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  return download(nullptr, url.c_str(), path.c_str(), 0, callback);
}

void DeleteUrlCacheEntryFor(const std::wstring& url) {
  if (const DeleteUrlCacheEntryFn deleteEntry = DeleteEntryFunction())
    deleteEntry(url.c_str());
}

bool PreloadDownloadEngine() {
  const bool cache = DeleteEntryFunction() != nullptr;
  return DownloadFunction() != nullptr && cache;
}
