// The download's progress as one number for the window: 0 to 900 tenths of a percent, 900
// meaning the package is complete. The download's progress hook writes it; the window's
// 200 ms tick reads it. It starts at 0 and is never reset: a new download overwrites it with
// its first progress report.
//
//   OnDownloadProgress(received, total);          // inside the download call
//   int tenths = downloadProgress.load();          // on the window's tick
//
// Threading: OnDownloadProgress on the download worker; downloadProgress read on any thread.
#pragma once

#include <atomic>
#include <cstdint>

// The value that stands for a complete download.
constexpr int kDownloadProgressComplete = 900;

extern std::atomic<int> downloadProgress;

// received * 900 / total, truncated and at most 900 (more received than announced); a total
// of 0 (size not known yet) gives 1, so the bar shows that something is happening.
void OnDownloadProgress(uint32_t received, uint32_t total);
