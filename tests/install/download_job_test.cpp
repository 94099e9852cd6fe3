#include "install/download_job.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <string>
#include <thread>

#include "install/download_engine.h"
#include "install/download_progress.h"
#include "install/package_check.h"
#include "install/previous_download.h"
#include "tests/install/install_test_support.h"

namespace {

using install_test::PackageServer;
using Clock = std::chrono::steady_clock;

struct DownloadReport {
  int calls = 0;
  int64_t cost = -1;
  int ret = -1;
  int retryTime = -1;
  int64_t fileSize = -2;
};

class DownloadJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(PackageServer::HttpPort(), 0) << "run through with_package_server.sh";
    ASSERT_TRUE(PackageServer::Reset());
    dir_ = install_test::MakeScratchDir(L"download");
    request_.downloadUrl = PackageServer::PackageUrl();
    request_.fallbackUrl = PackageServer::FallbackUrl();
    request_.packagePath = dir_ + L"\\brightmereInstaller.exe";
    packageSize_ = PackageFileSize(install_test::DemoPackagePath());
    ASSERT_GE(packageSize_, kLeastPackageSize);
  }
  void TearDown() override { install_test::RemoveTree(dir_); }

  int Run() {
    result_ = RunDownloadJob(request_, [this](int64_t cost, int ret, int retryTime,
                                              int64_t fileSize) {
      ++report_.calls;
      report_.cost = cost;
      report_.ret = ret;
      report_.retryTime = retryTime;
      report_.fileSize = fileSize;
    });
    return result_.Succeeded() ? 0 : 1;
  }

  std::wstring dir_;
  DownloadRequest request_;
  DownloadResult result_;
  DownloadReport report_;
  int64_t packageSize_ = 0;
};

TEST_F(DownloadJobTest, FirstAttemptSucceeds) {
  downloadProgress = 0;
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.calls, 1);
  EXPECT_EQ(report_.ret, 0);
  EXPECT_EQ(report_.retryTime, 0);
  EXPECT_EQ(report_.fileSize, packageSize_);
  EXPECT_GE(report_.cost, 0);
  EXPECT_EQ(result_.downloadErrorCode, 0);
  EXPECT_EQ(result_.downloadErrorText, L"");
  EXPECT_TRUE(IsPackageValid(request_.packagePath));
  EXPECT_EQ(downloadProgress.load(), 900);
  auto counts = PackageServer::Counts();
  EXPECT_EQ(counts["package"], 1);
  EXPECT_EQ(counts["fallback"], 0);
}

TEST_F(DownloadJobTest, FallbackServesWhenThePackageEndpointIsDown) {
  ASSERT_TRUE(PackageServer::Set("package", "status", "404"));
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.ret, 0);
  EXPECT_EQ(report_.retryTime, 1);
  EXPECT_EQ(report_.fileSize, packageSize_);
  EXPECT_EQ(result_.downloadErrorText, L"");
  auto counts = PackageServer::Counts();
  EXPECT_EQ(counts["package"], 1);
  EXPECT_EQ(counts["fallback"], 1);
}

TEST_F(DownloadJobTest, SixFailedAttemptsAlternateAndReportTheLast) {
  // The package endpoint answers with an error page (the engine saves it and reports
  // success); the fallback's certificate is not trusted, which fails inside the engine.
  ASSERT_TRUE(PackageServer::Set("package", "status", "500"));
  request_.fallbackUrl = PackageServer::UntrustedFallbackUrl();
  EXPECT_EQ(Run(), 1);

  EXPECT_EQ(report_.calls, 1);
  EXPECT_EQ(report_.ret, 1);
  EXPECT_EQ(report_.retryTime, 6);
  EXPECT_EQ(report_.fileSize, -1);
  EXPECT_EQ(PackageServer::Counts()["package"], 3);
  // Only the last attempt, the fallback's, is described: its result and its missing file.
  EXPECT_EQ(result_.downloadErrorCode, E_ABORT);
  EXPECT_EQ(result_.downloadErrorText,
            L"URLDownloadToFile hr = 80004004 size -1 windows pop time = 0");
}

TEST_F(DownloadJobTest, UnsignedPackageFailsEveryAttemptWhenASignerIsExpected) {
  request_.expectedSigner = L"Test Package Signer";
  EXPECT_EQ(Run(), 1);

  EXPECT_EQ(report_.ret, 1);
  EXPECT_EQ(report_.retryTime, 6);
  EXPECT_EQ(PackageServer::Counts()["package"], 3);
  EXPECT_EQ(static_cast<unsigned>(result_.downloadErrorCode), 0x800B0100u);
  EXPECT_EQ(result_.downloadErrorText, L"package signature: not signed (0x800b0100)");
}

TEST_F(DownloadJobTest, FileOneByteShortOfTenMebibytesIsRejected) {
  ASSERT_TRUE(PackageServer::Set("package", "size", "10485759"));
  ASSERT_TRUE(PackageServer::Set("fallback", "size", "10485759"));
  EXPECT_EQ(Run(), 1);

  EXPECT_EQ(report_.retryTime, 6);
  // The engine succeeded; the page must still give a reason that is not "success".
  EXPECT_EQ(result_.downloadErrorCode, ERROR_INVALID_DATA);
  EXPECT_EQ(result_.downloadErrorText,
            L"URLDownloadToFile hr = 00000000 size 10485759 windows pop time = 0");
}

TEST_F(DownloadJobTest, FileOfExactlyTenMebibytesIsAccepted) {
  ASSERT_TRUE(PackageServer::Set("package", "size", "10485760"));
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.retryTime, 0);
  EXPECT_EQ(report_.fileSize, 10485760);
}

TEST_F(DownloadJobTest, HtmlPageWithStatus200FailsTheAttempt) {
  ASSERT_TRUE(PackageServer::Set("package", "html"));
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.retryTime, 1);
  auto counts = PackageServer::Counts();
  EXPECT_EQ(counts["package"], 1);
}

TEST_F(DownloadJobTest, LargeFileNotStartingWithMZIsRejected) {
  ASSERT_TRUE(PackageServer::Set("package", "notmz"));
  ASSERT_TRUE(PackageServer::Set("fallback", "notmz"));
  EXPECT_EQ(Run(), 1);

  EXPECT_EQ(result_.downloadErrorCode, ERROR_INVALID_DATA);
  EXPECT_EQ(result_.downloadErrorText,
            L"URLDownloadToFile hr = 00000000 size " + std::to_wstring(packageSize_) +
                L" windows pop time = 0");
}

TEST_F(DownloadJobTest, ConnectionResetMidTransferFailsOnlyThatAttempt) {
  ASSERT_TRUE(PackageServer::Set("package", "reset", "1048576"));
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.retryTime, 1);
}

TEST_F(DownloadJobTest, RedirectFromHttpToHttpsIsFollowed) {
  const std::wstring target = PackageServer::FallbackUrl();
  ASSERT_TRUE(PackageServer::Set("package", "redirect", std::string(target.begin(), target.end())));
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.retryTime, 0);
  auto counts = PackageServer::Counts();
  EXPECT_EQ(counts["package"], 1);
  EXPECT_EQ(counts["fallback"], 1);
}

TEST_F(DownloadJobTest, SlowTransferStillCompletes) {
  ASSERT_TRUE(PackageServer::Set("package", "slow", "4194304"));
  downloadProgress = 0;
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.retryTime, 0);
  EXPECT_EQ(downloadProgress.load(), 900);
}

TEST_F(DownloadJobTest, UnknownLengthShowsOneTenthOfAPercent) {
  ASSERT_TRUE(PackageServer::Set("package", "nolength"));
  downloadProgress = 0;
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.fileSize, packageSize_);
  EXPECT_EQ(downloadProgress.load(), 1);
}

TEST_F(DownloadJobTest, StalledTransferIsAbortedAndRetried) {
  request_.stallLimit = std::chrono::seconds(3);
  ASSERT_TRUE(PackageServer::Set("package", "stall", "1048576"));
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(Run(), 0);
  const auto elapsed = Clock::now() - start;

  EXPECT_EQ(report_.retryTime, 1);
  EXPECT_GE(elapsed, std::chrono::seconds(3));
  EXPECT_LT(elapsed, std::chrono::seconds(20));
}

TEST_F(DownloadJobTest, SlowButMovingTransferIsNotTakenForAStall) {
  // A chunk every second, well within the limit.
  request_.stallLimit = std::chrono::seconds(3);
  ASSERT_TRUE(PackageServer::Set("package", "slow", "4194304"));
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.retryTime, 0);
}

TEST_F(DownloadJobTest, TrickleBelowTheFloorIsTakenForAStall) {
  // 512 bytes a second: moving, but under 1 KiB/s over the 3 s limit.
  request_.stallLimit = std::chrono::seconds(3);
  ASSERT_TRUE(PackageServer::Set("package", "slow", "512"));
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.retryTime, 1);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
}

TEST_F(DownloadJobTest, StallBeforeTheFirstByteIsAbortedToo) {
  request_.stallLimit = std::chrono::seconds(3);
  ASSERT_TRUE(PackageServer::Set("package", "stall", "0"));
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.retryTime, 1);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
}

TEST_F(DownloadJobTest, UntrustedCertificateOnTheFallbackFailsThatAttempt) {
  ASSERT_TRUE(PackageServer::Set("package", "status", "404"));
  request_.fallbackUrl = PackageServer::UntrustedFallbackUrl();
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(Run(), 1);

  EXPECT_EQ(report_.retryTime, 6);
  EXPECT_NE(result_.downloadErrorCode, 0);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(60));
}

TEST_F(DownloadJobTest, PackageFolderWithASpace) {
  std::wstring sub = dir_ + L"\\My Downloads";
  ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
  request_.packagePath = sub + L"\\brightmereInstaller.exe";
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.retryTime, 0);
  EXPECT_TRUE(IsPackageValid(request_.packagePath));
}

TEST_F(DownloadJobTest, PackageFolderWithChineseCharacters) {
  std::wstring sub = dir_ + L"\\下载目录";
  ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
  request_.packagePath = sub + L"\\brightmereInstaller.exe";
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(report_.retryTime, 0);
  EXPECT_EQ(report_.fileSize, packageSize_);
}

// An earlier file at the package path, larger than the package: what the job leaves is the
// package exactly (not the old file, nor the package with the old file's tail after it).
TEST_F(DownloadJobTest, EarlierFileIsReplaced) {
  FILE* stale = _wfopen(request_.packagePath.c_str(), L"wb");
  ASSERT_NE(stale, nullptr);
  const std::string filler(static_cast<size_t>(packageSize_) + 4096, 'x');
  fputs("MZ stale", stale);
  fwrite(filler.data(), 1, filler.size(), stale);
  fclose(stale);

  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(PackageFileSize(request_.packagePath), packageSize_);
  EXPECT_TRUE(IsPackageValid(request_.packagePath));
  EXPECT_EQ(PackageServer::Counts()["package"], 1) << "the earlier file was taken for the package";
}

// The preload runs while the welcome page waits for the user: it must leave an earlier
// package where it is and send nothing to the server.
TEST_F(DownloadJobTest, PreloadTouchesNeitherThePackageNorTheServer) {
  FILE* earlier = _wfopen(request_.packagePath.c_str(), L"wb");
  ASSERT_NE(earlier, nullptr);
  fputs("earlier", earlier);
  fclose(earlier);

  EXPECT_TRUE(PreloadDownloadEngine());

  EXPECT_EQ(PackageFileSize(request_.packagePath), 7);
  auto counts = PackageServer::Counts();
  EXPECT_EQ(counts["package"], 0);
  EXPECT_EQ(counts["fallback"], 0);
}

// A click right after the window appears starts the download while the preload may still run.
TEST_F(DownloadJobTest, DownloadStartedDuringThePreloadSucceeds) {
  std::thread preload([] { PreloadDownloadEngine(); });
  int failed = Run();
  preload.join();

  EXPECT_EQ(failed, 0);
  EXPECT_TRUE(IsPackageValid(request_.packagePath));
  EXPECT_EQ(PackageServer::Counts()["package"], 1);
}

// The welcome page removes the engine's cached copy the last install left, so that the
// download's own deletion finds nothing left.
TEST_F(DownloadJobTest, PreviousDownloadsCachedCopyIsRemoved) {
  ASSERT_EQ(Run(), 0);
  DWORD size = 0;
  GetUrlCacheEntryInfoW(request_.downloadUrl.c_str(), nullptr, &size);
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER))
      << "the engine kept no cached copy: nothing to remove";

  RemovePreviousDownload({request_.downloadUrl, request_.fallbackUrl});

  size = 0;
  EXPECT_FALSE(GetUrlCacheEntryInfoW(request_.downloadUrl.c_str(), nullptr, &size));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(FallbackPackageUrlTest, IsHttpsOnTheFallbackHost) {
  EXPECT_EQ(FallbackPackageUrl().rfind(L"https://", 0), 0u);
  EXPECT_NE(FallbackPackageUrl().find(L"/brightmere/brightmereSetup.exe"), std::wstring::npos);
}

TEST(FormatDownloadErrorTest, WritesTheResultInEightHexDigits) {
  EXPECT_EQ(FormatDownloadError(static_cast<long>(0x800C0005), -1, 2),
            L"URLDownloadToFile hr = 800c0005 size -1 windows pop time = 2");
}

}  // namespace
