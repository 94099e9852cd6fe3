// Each report of the catalogue as the reporting server receives it.
#include "report/report_catalogue.h"

#include <gtest/gtest.h>

#include <functional>

#include "report/report.h"
#include "tests/report/collector_client.h"
#include "tests/report/report_test_environment.h"

namespace {

class ReportCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(collector.available());
    ASSERT_TRUE(collector.Reset());
  }

  // Sends one report and returns its text as the server decoded it.
  std::string Received(const std::function<void()>& send) {
    send();
    if (!FlushReports(base::TimeDelta::FromSeconds(20)))
      return "(upload did not finish)";
    std::vector<CollectedRequest> got = collector.Records();
    if (got.size() != 1)
      return "(" + std::to_string(got.size()) + " reports)";
    if (!got[0].reportJsonValid)
      return "(not JSON) " + got[0].reportText;
    return got[0].reportText;
  }

  CollectorClient collector;
};

TEST_F(ReportCatalogueTest, AppStartCarriesDpiAndScale) {
  EXPECT_EQ(Received([] { ReportAppStart(120, 125); }),
            ExpectedReportText("AppStart",
                               "{\"Dpi\":\"120\",\"FirstStart\":\"true\",\"Scale\":\"125\"}"));
}

TEST_F(ReportCatalogueTest, InstallClick) {
  EXPECT_EQ(Received([] { ReportClick(kClickInstall); }),
            ExpectedReportText("OnClick", "{\"ClickSrc\":\"Install\"}"));
}

TEST_F(ReportCatalogueTest, ReInstallClick) {
  EXPECT_EQ(Received([] { ReportClick(kClickReInstall); }),
            ExpectedReportText("OnClick", "{\"ClickSrc\":\"ReInstall\"}"));
}

TEST_F(ReportCatalogueTest, DownloadOfflineClick) {
  EXPECT_EQ(Received([] { ReportClick(kClickDownloadOffline); }),
            ExpectedReportText("OnClick", "{\"ClickSrc\":\"DownloadOffline\"}"));
}

TEST_F(ReportCatalogueTest, SurveyAnswerIsStartFollowedByTheAnswer) {
  // Empty free text and the first reason ticked: the survey hands over " 已安装".
  EXPECT_EQ(Received([] { ReportSurveyAnswer(L" 已安装"); }),
            ExpectedReportText("OnClick", "{\"btn_exit\":\"Start  \xE5\xB7\xB2\xE5\xAE\x89"
                                          "\xE8\xA3\x85\"}"));
}

TEST_F(ReportCatalogueTest, ExitValuesOfTheCloseButton) {
  EXPECT_EQ(Received([] { ReportExit(kExitFailedInstalled); }),
            ExpectedReportText("OnClick", "{\"btn_exit\":\"Failed \xE5\xB7\xB2\xE5\xAE\x89"
                                          "\xE8\xA3\x85\"}"));
  ASSERT_TRUE(collector.Reset());
  EXPECT_EQ(Received([] { ReportExit(kExitStartInstalled); }),
            ExpectedReportText("OnClick", "{\"btn_exit\":\"Start \xE5\xB7\xB2\xE5\xAE\x89"
                                          "\xE8\xA3\x85\"}"));
  ASSERT_TRUE(collector.Reset());
  EXPECT_EQ(Received([] { ReportExit(kExitFailedNotInstalled); }),
            ExpectedReportText("OnClick", "{\"btn_exit\":\"Failed \xE6\x9C\xAA\xE5\xAE\x89"
                                          "\xE8\xA3\x85\"}"));
}

TEST_F(ReportCatalogueTest, Offline) {
  EXPECT_EQ(Received([] { ReportOffline(); }),
            ExpectedReportText("offline", "{\"result\":\"success\"}"));
}

TEST_F(ReportCatalogueTest, SuccessfulDownloadCarriesTheFullSize) {
  EXPECT_EQ(Received([] { ReportDownloadTimeCost(42, 0, 1, 5000000000LL); }),
            ExpectedReportText("DownloadTimeCost",
                               "{\"cost\":\"42\",\"fileSize\":\"5000000000\",\"ret\":\"0\","
                               "\"retryTime\":\"1\"}"));
}

TEST_F(ReportCatalogueTest, FailedDownloadHasNoFileSize) {
  EXPECT_EQ(Received([] { ReportDownloadTimeCost(95, 1, 6, -1); }),
            ExpectedReportText("DownloadTimeCost",
                               "{\"cost\":\"95\",\"ret\":\"1\",\"retryTime\":\"6\"}"));
}

TEST_F(ReportCatalogueTest, InstallTimeCostWithNegativeExitCode) {
  EXPECT_EQ(Received([] { ReportInstallTimeCost(40, -10002, 3); }),
            ExpectedReportText("InstallTimeCost",
                               "{\"cost\":\"40\",\"ret\":\"-10002\",\"retryTime\":\"3\"}"));
}

TEST_F(ReportCatalogueTest, InstallSuccess) {
  EXPECT_EQ(Received([] { ReportInstallSuccess(); }),
            ExpectedReportText("InstallResultReport", "{\"result\":\"success\"}"));
}

TEST_F(ReportCatalogueTest, InstallFailureCarriesTheMessage) {
  EXPECT_EQ(Received([] { ReportInstallFailure(L"Install Faild errorCode:-5"); }),
            ExpectedReportText("InstallResultReport",
                               "{\"errorMsg\":\"Install Faild errorCode:-5\","
                               "\"result\":\"faild\"}"));
}

}  // namespace
