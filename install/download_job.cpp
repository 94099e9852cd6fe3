#include "install/download_job.h"

#include <algorithm>
#include <cstdio>

#include "build_settings.h"
#include "install/abort_relay.h"
#include "install/bind_status_callback.h"
#include "install/download_engine.h"
#include "install/download_progress.h"
#include "install/package_check.h"
#include "install/package_trust.h"
#include "install/package_version.h"
#include "install/stall_watchdog.h"
#include "toolkit/base/scoped_com.h"

namespace {

int64_t NowMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

long RunAttempt(const std::wstring& url, const std::wstring& path,
                std::chrono::milliseconds stallLimit, CBSCallbackImpl* callback,
                AbortRelay* relay) {
  DeleteFileW(path.c_str());  // no std::filesystem: see PackageFileSize
  DeleteUrlCacheEntryFor(url);
  const int attempt = callback->BeginAttempt(MinBytesPerStallLimit(stallLimit));
  // A stall is judged on the watchdog's thread but acted on here, on the engine's thread
  // (abort_relay.h says why); the E_ABORT answers stop an engine that still reports.
  StallWatchdog watchdog(
      stallLimit, [callback] { return callback->LastActivity(); },
      [callback, relay, attempt] {
        callback->GiveUp();
        relay->Request(static_cast<uintptr_t>(attempt));
      });
  return DownloadUrlToFile(url, path, callback);
}

}  // namespace

uint32_t MinBytesPerStallLimit(std::chrono::milliseconds stallLimit) {
  const int64_t bytes = int64_t{kMinDownloadBytesPerSecond} * stallLimit.count() / 1000;
  return static_cast<uint32_t>(std::max<int64_t>(bytes, 1));
}

std::wstring FallbackPackageUrl() {
  return build::kFallbackUrl;
}

std::wstring FormatDownloadError(long hr, int size, int windowRequestCount) {
  wchar_t text[128];
  swprintf(text, sizeof(text) / sizeof(text[0]),
           L"URLDownloadToFile hr = %08x size %d windows pop time = %d",
           static_cast<unsigned>(hr), size, windowRequestCount);
  return text;
}

DownloadResult RunDownloadJob(const DownloadRequest& request, const DownloadReportFunc& report) {
  const int64_t start = NowMilliseconds();
  base::ScopedCom com;  // for the engine, on this worker, while the job runs
  CBSCallbackImpl callback(&OnDownloadProgress);
  AbortRelay relay(
      [&callback](uintptr_t attempt) { callback.AbortBinding(static_cast<int>(attempt)); });

  DownloadResult result;
  int attempt = 0;
  for (; attempt < kDownloadAttempts; ++attempt) {
    const std::wstring& url = attempt % 2 == 0 ? request.downloadUrl : request.fallbackUrl;
    result.downloadErrorText.clear();
    result.downloadErrorCode =
        RunAttempt(url, request.packagePath, request.stallLimit, &callback, &relay);
    const int size = static_cast<int>(PackageFileSize(request.packagePath));
    if (result.downloadErrorCode == 0 && IsPackageValid(request.packagePath)) {
      // Checked through the handle that then keeps the file as checked until the setup runs.
      auto lock = std::make_unique<PackageLock>(request.packagePath);
      TrustResult trust = VerifyPackageSigner(*lock, request.expectedSigner);
      if (!lock->IsHeld())
        trust = TrustResult{false, HRESULT_FROM_WIN32(lock->Error()), L"package: cannot hold it"};
      if (trust.trusted)
        trust = CheckPackageVersion(lock->Path(), request.minPackageVersion);
      if (trust.trusted) {
        result.package = std::move(lock);
        break;
      }
      result.downloadErrorCode = trust.code;
      result.downloadErrorText = trust.text;
      continue;
    }
    result.downloadErrorText =
        FormatDownloadError(result.downloadErrorCode, size, callback.windowRequestCount());
    // The engine reports success for any file it saved: an error page, a short file, and
    // under Wine even a 404. The text above keeps the engine's result (the report's readers
    // parse it); the code shown to the user must say what went wrong, not "success".
    if (result.downloadErrorCode == 0)
      result.downloadErrorCode = ERROR_INVALID_DATA;
  }

  const int64_t cost = (NowMilliseconds() - start) / 1000;
  const bool ok = result.Succeeded();
  report(cost, ok ? 0 : 1, attempt, ok ? PackageFileSize(request.packagePath) : -1);
  return result;
}
