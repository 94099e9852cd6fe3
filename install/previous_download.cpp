#include "install/previous_download.h"

#include <windows.h>

#include "install/download_engine.h"

void RemovePreviousDownload(const std::vector<std::wstring>& urls) {
  for (const std::wstring& url : urls)
    DeleteUrlCacheEntryFor(url);
}
