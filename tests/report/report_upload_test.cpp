// SendReport and FlushReports through a real http thread and the local report collector.
#include "report/report.h"

#include <gtest/gtest.h>

#include <chrono>

#include "report/report_catalogue.h"
#include "tests/report/collector_client.h"
#include "tests/report/report_test_environment.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class ReportUploadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(collector.available());
    ASSERT_TRUE(collector.Reset());
  }

  // Lets go of anything the collector still holds and waits until the queue is empty, so
  // that no upload of this test reaches the next one.
  void TearDown() override {
    collector.Reset();
    EXPECT_TRUE(FlushReports(base::TimeDelta::FromSeconds(30)));
  }

  CollectorClient collector;
};

TEST_F(ReportUploadTest, StartReportArrivesByteForByte) {
  ReportAppStart(96, 100);
  ASSERT_TRUE(FlushReports(base::TimeDelta::FromSeconds(20)));
  std::vector<CollectedRequest> got = collector.Records();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].reportText,
            "{\"eventId\":\"AppStart\",\"imei\":\"0123456789ABCDEF0123456789ABCDEF\","
            "\"appver\":\"2.1.0.7\",\"appName\":\"DOVizorivev\","
            "\"data\":{\"Dpi\":\"96\",\"FirstStart\":\"true\",\"Scale\":\"100\"}}");
  EXPECT_TRUE(got[0].reportJsonValid);
}

TEST_F(ReportUploadTest, UploadCarriesTheIdentityCookies) {
  ReportOffline();
  ASSERT_TRUE(FlushReports(base::TimeDelta::FromSeconds(20)));
  std::vector<CollectedRequest> got = collector.Records();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].HeaderValues("Cookie"),
            std::vector<std::string>{
                "appname=DOVizorivev;appver=2.1.0.7;channel=default;"
                "imei=0123456789ABCDEF0123456789ABCDEF;os=windows;"
                "system=Microsoft Windows 10 64bit;"});
}

TEST_F(ReportUploadTest, BackslashTypedIntoTheSurveyStillGivesReadableJson) {
  ReportSurveyAnswer(L"C:\\Program Files\\ is full 已安装");
  ASSERT_TRUE(FlushReports(base::TimeDelta::FromSeconds(20)));
  std::vector<CollectedRequest> got = collector.Records();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_TRUE(got[0].reportJsonValid) << got[0].reportText;
  ASSERT_EQ(got[0].data.size(), 1u);
  EXPECT_EQ(got[0].data[0].first, "btn_exit");
  EXPECT_EQ(got[0].data[0].second,
            "Start C:\\Program Files\\ is full \xE5\xB7\xB2\xE5\xAE\x89\xE8\xA3\x85");
}

TEST_F(ReportUploadTest, FlushReturnsOnceQueuedUploadsHaveArrived) {
  ReportClick(kClickInstall);
  ReportDownloadTimeCost(3, 0, 0, 31457280);
  ReportInstallTimeCost(5, 0, 0);
  ReportInstallSuccess();
  ASSERT_TRUE(FlushReports(base::TimeDelta::FromSeconds(20)));

  // Read right after the flush: nothing may still be on its way.
  std::vector<CollectedRequest> got = collector.Records();
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].reportText, ExpectedReportText("OnClick", "{\"ClickSrc\":\"Install\"}"));
  EXPECT_EQ(got[1].reportText,
            ExpectedReportText("DownloadTimeCost", "{\"cost\":\"3\",\"fileSize\":\"31457280\","
                                                   "\"ret\":\"0\",\"retryTime\":\"0\"}"));
  EXPECT_EQ(got[2].reportText,
            ExpectedReportText("InstallTimeCost",
                               "{\"cost\":\"5\",\"ret\":\"0\",\"retryTime\":\"0\"}"));
  EXPECT_EQ(got[3].reportText,
            ExpectedReportText("InstallResultReport", "{\"result\":\"success\"}"));
}

TEST_F(ReportUploadTest, FlushWithNothingQueuedReturnsTrueAtOnce) {
  auto start = Clock::now();
  EXPECT_TRUE(FlushReports(base::TimeDelta::FromSeconds(10)));
  EXPECT_LT(SecondsSince(start), 1.0);
}

TEST_F(ReportUploadTest, FlushIsBoundedWhileTheServerHangs) {
  ASSERT_TRUE(collector.SetMode("hang"));
  ReportExit(kExitFailedNotInstalled);
  auto start = Clock::now();
  EXPECT_FALSE(FlushReports(base::TimeDelta::FromMilliseconds(1500)));
  double waited = SecondsSince(start);
  EXPECT_GE(waited, 1.4);
  EXPECT_LT(waited, 5.0);

  // Released, the held attempt fails and the second one is answered.
  ASSERT_TRUE(collector.SetMode("ok"));
  ASSERT_TRUE(FlushReports(base::TimeDelta::FromSeconds(20)));
  std::vector<CollectedRequest> got = collector.Records();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1].answer, "ok");
  EXPECT_EQ(got[1].reportText, got[0].reportText);
}

TEST_F(ReportUploadTest, SendReportReturnsAtOnceWhileUploadsHang) {
  ASSERT_TRUE(collector.SetMode("hang"));
  auto start = Clock::now();
  for (int i = 0; i < 20; ++i)
    ReportClick(kClickReInstall);
  EXPECT_LT(SecondsSince(start), 0.5);
  EXPECT_FALSE(FlushReports(base::TimeDelta()));  // still queued or held
}

}  // namespace
