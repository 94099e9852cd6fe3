#include "install/previous_download.h"

#include <windows.h>

#include "install/download_engine.h"

void RemovePreviousDownload(const std::wstring& packagePath,
                            const std::vector<std::wstring>& urls) {
  DeleteFileW(packagePath.c_str());
  for (const std::wstring& url : urls)
    DeleteUrlCacheEntryFor(url);
}
