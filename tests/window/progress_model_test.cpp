#include "window/progress_model.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressModelTest, StartShowsOnePercentOfDownload) {
  ProgressModel model;
  auto step = model.Update(Downloading, kProgressStart, 0, 5000);
  EXPECT_TRUE(step.redraw);
  EXPECT_EQ(model.progress(), 10);
  EXPECT_EQ(FormatProgressText(model.progress()), L"正在下载，请不要关闭：1.0%");
}

TEST(ProgressModelTest, TickFollowsDownloadCappedAtNinety) {
  ProgressModel model;
  model.Update(Downloading, kProgressStart, 0, 0);
  model.Update(Downloading, kProgressOnTick, 455, 200);
  EXPECT_EQ(model.progress(), 455);
  EXPECT_EQ(FormatProgressText(model.progress()), L"正在下载，请不要关闭：45.5%");
  // A download figure past the end never shows past 90 %.
  model.Update(Downloading, kProgressOnTick, 1200, 400);
  EXPECT_EQ(model.progress(), 900);
  EXPECT_EQ(FormatProgressText(model.progress()), L"正在下载，请不要关闭：90.0%");
}

TEST(ProgressModelTest, SetupPhaseCreepsAndStopsAtNinetyNinePointNine) {
  ProgressModel model;
  model.Update(Downloading, kProgressStart, 0, 0);
  model.Update(Downloading, kProgressDownloaded, 900, 100);
  model.Update(Installing, kProgressOnTick, 900, 200);
  EXPECT_EQ(model.progress(), 903);
  EXPECT_EQ(FormatProgressText(model.progress()), L"下载完成，正在安装，请不要关闭：90.3%");
  while (model.progress() <= 950)
    model.Update(Installing, kProgressOnTick, 900, 0);
  EXPECT_EQ(model.progress(), 951);  // 903 + 16 * 3
  model.Update(Installing, kProgressOnTick, 900, 0);
  EXPECT_EQ(model.progress(), 953);  // +2 above 95 %
  for (int i = 0; i < 100; ++i)
    model.Update(Installing, kProgressOnTick, 900, 0);
  EXPECT_EQ(model.progress(), 999);
  EXPECT_EQ(FormatProgressText(model.progress()), L"下载完成，正在安装，请不要关闭：99.9%");
}

TEST(ProgressModelTest, StatesWithoutProgressIgnoreEveryUpdate) {
  for (InstallerState state : {Welcome, Installed, DownloadFailed, AppRunningPrompt, InstallFailed}) {
    ProgressModel model;
    auto step = model.Update(state, kProgressStart, 500, 0);
    EXPECT_FALSE(step.redraw) << state;
    EXPECT_EQ(model.progress(), 0) << state;
  }
}

TEST(ProgressModelTest, SlowDownloadHintAfterTenSecondsOnce) {
  ProgressModel model;
  const uint32_t start = 0xFFFFF000u;  // the tick count wraps during this download
  model.Update(Downloading, kProgressStart, 0, start);
  EXPECT_FALSE(model.Update(Downloading, kProgressOnTick, 5, start + 10000).showDownloadAlert);
  EXPECT_TRUE(model.Update(Downloading, kProgressOnTick, 5, start + 10001).showDownloadAlert);
  EXPECT_FALSE(model.Update(Downloading, kProgressOnTick, 5, start + 20000).showDownloadAlert);
  // A retry restarts the clock.
  model.Update(Downloading, kProgressStart, 0, 50000);
  EXPECT_FALSE(model.Update(Downloading, kProgressOnTick, 5, 55000).showDownloadAlert);
  EXPECT_TRUE(model.Update(Downloading, kProgressOnTick, 5, 60001).showDownloadAlert);
}

TEST(ProgressModelTest, NoHintWhileInstalling) {
  ProgressModel model;
  model.Update(Downloading, kProgressStart, 0, 0);
  EXPECT_FALSE(model.Update(Installing, kProgressOnTick, 900, 60000).showDownloadAlert);
}

}  // namespace
