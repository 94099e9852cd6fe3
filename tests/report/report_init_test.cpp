// InitReportBaseFields with the real machine facts: the cookies every upload carries.
#include <gtest/gtest.h>

#include "app/machine_facts.h"
#include "report/http_client.h"
#include "report/report.h"
#include "tests/report/collector_client.h"
#include "toolkit/base/utf8.h"

namespace {

class InitReportBaseFieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(collector.available());
    ASSERT_TRUE(collector.Reset());
    InitReportBaseFields();
  }

  // The Cookie line of one upload.
  std::string SentCookieLine() {
    HttpClient client;
    client.url = collector.ReportUrl();
    client.SetDefaultHeaders();
    std::string response;
    if (client.Post("log=e30=", &response) != 0)
      return "(upload failed)";
    std::vector<CollectedRequest> got = collector.Records();
    if (got.size() != 1 || got[0].HeaderValues("Cookie").size() != 1)
      return "(no single Cookie line)";
    return got[0].HeaderValues("Cookie")[0];
  }

  CollectorClient collector;
};

TEST_F(InitReportBaseFieldsTest, KeepsTheIdentityOfThisInstallation) {
  EXPECT_EQ(GetReportIdentity().imei, GetUniqueId());
  EXPECT_EQ(GetReportIdentity().appver, GetFileVersionString());
  EXPECT_EQ(GetReportIdentity().imei.size(), 32u);
}

TEST_F(InitReportBaseFieldsTest, CookiesCarryTheFactsInNameOrder) {
  // The test program has no CHANNEL resource, and the test prefix is a 64-bit Windows.
  EXPECT_EQ(SentCookieLine(),
            "appname=DOVizorivev;appver=" + Utf16ToUtf8(GetFileVersionString()) +
                ";channel=default;imei=" + Utf16ToUtf8(GetUniqueId()) +
                ";os=windows;system=" + Utf16ToUtf8(GetOsDisplayName()) + " 64bit;");
}

}  // namespace
