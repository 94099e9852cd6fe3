#include "install/download_progress.h"

std::atomic<int> downloadProgress{0};

void OnDownloadProgress(uint32_t received, uint32_t total) {
  if (total == 0) {
    downloadProgress = 1;
    return;
  }
  downloadProgress = static_cast<int>(static_cast<double>(received) * kDownloadProgressComplete /
                                      static_cast<double>(total));
}
