#include "install/download_progress.h"

#include <algorithm>

std::atomic<int> downloadProgress{0};

void OnDownloadProgress(uint32_t received, uint32_t total) {
  if (total == 0) {
    downloadProgress = 1;
    return;
  }
  // A server may send more than it announced: bound the figure before it becomes an int,
  // since converting a double out of int's range is undefined.
  const double tenths =
      static_cast<double>(received) * kDownloadProgressComplete / static_cast<double>(total);
  downloadProgress = static_cast<int>(std::clamp(tenths, 0.0, double{kDownloadProgressComplete}));
}
