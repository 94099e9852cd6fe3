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

// This test program has no version and no CHANNEL resource, and runs in a 64-bit prefix.
TEST_F(InitReportBaseFieldsTest, KeepsTheIdentityOfThisInstallation) {
  const ReportIdentity identity = GetReportIdentity();
  EXPECT_EQ(identity.appver, L"1.0.0.0");
  EXPECT_FALSE(identity.hasChannelTag);
  EXPECT_EQ(identity.channelTag, L"");
  EXPECT_TRUE(identity.is64BitWindows);
  EXPECT_FALSE(identity.osName.empty());
  ASSERT_EQ(identity.imei.size(), 32u);
  EXPECT_EQ(identity.imei.find_first_not_of(L"0123456789ABCDEF"), std::wstring::npos)
      << "not 32 upper-case hex digits";
  InitReportBaseFields();
  EXPECT_EQ(GetReportIdentity().imei, identity.imei) << "the identifier changed between runs";
}

TEST_F(InitReportBaseFieldsTest, CookiesCarryTheFactsInNameOrder) {
  // The test program has no CHANNEL resource, and the test prefix is a 64-bit Windows.
  EXPECT_EQ(SentCookieLine(),
            "appname=DOVizorivev;appver=1.0.0.0;channel=default;imei=" +
                base::WideToUtf8(GetUniqueId()) + ";os=windows;system=" +
                base::WideToUtf8(GetOsDisplayName()) + " 64bit;");
}

}  // namespace
