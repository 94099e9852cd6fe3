#include "install/download_progress.h"

#include <gtest/gtest.h>

namespace {

TEST(DownloadProgressTest, UnknownTotalShowsOneTenthOfAPercent) {
  downloadProgress = 500;
  OnDownloadProgress(123456, 0);
  EXPECT_EQ(downloadProgress.load(), 1);
}

TEST(DownloadProgressTest, CompleteTransferReaches900) {
  OnDownloadProgress(11218704, 11218704);
  EXPECT_EQ(downloadProgress.load(), 900);
}

TEST(DownloadProgressTest, PartialTransferIsTruncated) {
  OnDownloadProgress(1, 3);  // 300.0 exactly
  EXPECT_EQ(downloadProgress.load(), 300);
  OnDownloadProgress(2, 3);  // 600.0
  EXPECT_EQ(downloadProgress.load(), 600);
  OnDownloadProgress(999, 1000);  // 899.1
  EXPECT_EQ(downloadProgress.load(), 899);
}

TEST(DownloadProgressTest, SizesAboveTwoGibibytesDoNotOverflow) {
  OnDownloadProgress(4000000000u, 4000000000u);
  EXPECT_EQ(downloadProgress.load(), 900);
  OnDownloadProgress(3000000000u, 4000000000u);
  EXPECT_EQ(downloadProgress.load(), 675);
}

TEST(DownloadProgressTest, MoreReceivedThanAnnouncedStopsAt900) {
  struct Case {
    uint32_t received, total;
  };
  for (const Case& c : {Case{1001, 1000}, Case{11218705, 11218704}, Case{4294967295u, 1}}) {
    OnDownloadProgress(c.received, c.total);
    EXPECT_EQ(downloadProgress.load(), 900) << c.received << " of " << c.total;
  }
}

}  // namespace
