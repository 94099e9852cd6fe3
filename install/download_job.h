// The package download: up to six attempts, alternating the package URL and the fallback
// URL, each through the system's download engine into the package path. A file is accepted
// only when IsPackageValid says so. The job ends with one "DownloadTimeCost" report.
//
// The window posts it to the general worker and posts the result back:
//
//   void CMainWindow::RunDownload(const std::wstring& downloadUrl,      // kMiscThreadId
//                                 const std::wstring& packageDir) {
//     std::unique_ptr<PackageFolder> folder = PackageFolder::Create(packageDir, &error);
//     DownloadRequest request;
//     request.downloadUrl = downloadUrl;
//     request.fallbackUrl = FallbackPackageUrl();
//     request.packagePath = folder->Path() + L"\\" + kPackageFileName;
//     request.expectedSigner = BuildPackageSigner();
//     request.minPackageVersion = build::kMinPackageVersion;
//     request.stallLimit = std::chrono::seconds(build::kDownloadStallSeconds);
//     DownloadResult result = RunDownloadJob(request, &ReportDownloadTimeCost);
//     base::PostToThread(kUiThreadId, MakeWeak([this, result = std::move(result),
//                                               folder = std::move(folder)]() mutable {
//       OnDownloadDone(std::move(result), std::move(folder));  // stores the error text and code
//     }));
//   }
//
// Progress goes to downloadProgress (download_progress.h) while the job runs.
// Threading: RunDownloadJob blocks for the whole download; call it on a worker only.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "install/package_lock.h"
#include "install/package_trust.h"

constexpr int kDownloadAttempts = 6;
// An attempt that receives nothing for this long is aborted and counts as failed.
constexpr std::chrono::milliseconds kDownloadStallLimit{60000};
// An attempt slower than this over a whole stall limit is a stall too: a trickle would
// otherwise hold the installer for days.
constexpr uint32_t kMinDownloadBytesPerSecond = 1024;

// The bytes an attempt must receive within one stall limit to count as moving.
uint32_t MinBytesPerStallLimit(std::chrono::milliseconds stallLimit);

struct DownloadRequest {
  std::wstring downloadUrl;  // attempts 0, 2, 4
  std::wstring fallbackUrl;  // attempts 1, 3, 5
  std::wstring packagePath;  // replaced by each attempt; inside a PackageFolder
  std::chrono::milliseconds stallLimit = kDownloadStallLimit;
  // The signer the package must carry (package_trust.h); empty: not checked.
  ExpectedSigner expectedSigner;
  // The lowest package file version accepted (package_version.h); empty: not checked.
  std::wstring minPackageVersion;
};

struct DownloadResult {
  bool Succeeded() const { return package != nullptr; }

  // "" after a success; else "URLDownloadToFile hr = %08x size %d windows pop time = %d"
  // describing the last attempt.
  std::wstring downloadErrorText;
  // What failed the last attempt, for the failure page: the engine's HRESULT, the signature
  // check's code, or ERROR_INVALID_DATA when the engine saved a file that is no package.
  int downloadErrorCode = 0;
  // After a success: the package, held against writers and deleters since its signature was
  // checked through this very handle. The setup runs it from this lock (setup_job.h).
  std::unique_ptr<PackageLock> package;
};

// Receives the "DownloadTimeCost" values: whole seconds, 0/1 failed, the number of the
// successful attempt (6 when all failed), the package size or -1 after a failure.
using DownloadReportFunc =
    std::function<void(int64_t cost, int ret, int retryTime, int64_t fileSize)>;

// Succeeds when the package is at packagePath, valid, signed by the expected signer and not
// older than the lowest version accepted, and locked in the result's `package`; fails after
// six failed attempts. A package with a bad signature or an old version fails its attempt
// with that check's code and text, so the next attempt tries the other URL. Both are checked
// once, here.
DownloadResult RunDownloadJob(const DownloadRequest& request, const DownloadReportFunc& report);

// The product's fallback URL (https).
std::wstring FallbackPackageUrl();

// The failure text of one attempt.
std::wstring FormatDownloadError(long hr, int size, int windowRequestCount);
