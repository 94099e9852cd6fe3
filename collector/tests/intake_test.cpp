// The upload bodies the installer sends, and the malformed ones, read by ReadReport.
#include <gtest/gtest.h>

#include "report/base64.h"
#include <algorithm>

#include "report_intake.h"
#include "test_support.h"
#include "toolkit/base/utf8.h"

namespace {

struct CatalogueCase {
  const wchar_t* event;
  ReportParams params;
};

// Every row of the report catalogue as the installer builds it.
const CatalogueCase kCatalogue[] = {
    {L"AppStart", {{L"Dpi", L"96"}, {L"FirstStart", L"true"}, {L"Scale", L"100"}}},
    {L"OnClick", {{L"ClickSrc", L"Install"}}},
    {L"OnClick", {{L"ClickSrc", L"ReInstall"}}},
    {L"OnClick", {{L"ClickSrc", L"DownloadOffline"}}},
    {L"OnClick", {{L"btn_exit", L"Start a\u201db \u5df2\u5b89\u88c5\u4e0b\u8f7d\u9519"}}},
    {L"offline", {{L"result", L"success"}}},
    {L"OnClick", {{L"btn_exit", L"Failed \u5df2\u5b89\u88c5"}}},
    {L"DownloadTimeCost", {{L"cost", L"42"}, {L"fileSize", L"5000000000"}, {L"ret", L"0"}, {L"retryTime", L"1"}}},
    {L"DownloadTimeCost", {{L"cost", L"95"}, {L"ret", L"1"}, {L"retryTime", L"6"}}},
    {L"InstallTimeCost", {{L"cost", L"40"}, {L"ret", L"-10002"}, {L"retryTime", L"3"}}},
    {L"InstallResultReport", {{L"result", L"success"}}},
    {L"InstallResultReport",
     {{L"errorMsg", L"Download Faild :package signature: signed by \"Mallory\\x\" (0x800b0004)"},
      {L"result", L"faild"}}},
    {L"InstallResultReport", {{L"errorMsg", L"Install Faild errorCode:-5"}, {L"result", L"faild"}}},
};

TEST(IntakeTest, EveryCatalogueReportIsReadWithItsIdentity) {
  const ReportIdentity identity = TestIdentity();
  for (const auto& c : kCatalogue) {
    Report report;
    ASSERT_EQ(ReadReport(InstallerBody(c.event, c.params, identity),
                         InstallerCookieHeader(identity), "203.0.113.7", 1234, &report),
              Refusal::kNone)
        << base::WideToUtf8(c.event);
    EXPECT_EQ(report.event, base::WideToUtf8(c.event));
    EXPECT_EQ(report.imei, "0123456789abcdef0123456789abcdef");
    EXPECT_EQ(report.stubVersion, "2.1.0.7");
    EXPECT_EQ(report.channel, "default");
    EXPECT_EQ(report.os, "Windows 10");
    EXPECT_EQ(report.bitness, "64");
    EXPECT_EQ(report.addressClass, "public");
    EXPECT_EQ(report.receivedMs, 1234);
    ASSERT_EQ(report.data.size(), c.params.size());
    for (const auto& [key, value] : c.params)
      EXPECT_EQ(report.data[base::WideToUtf8(key)], base::WideToUtf8(value));
  }
}

TEST(IntakeTest, PlusAndSlashInTheBodyAreKept) {
  // Found by trying survey texts: this one's Base64 has both "+" and "/".
  const ReportParams params = {{L"btn_exit", L"Start ~~~?>?> \u4e0d\u559c\u6b22\u65e0\u7406\u7531"}};
  const std::string body = InstallerBody(L"OnClick", params, TestIdentity());
  ASSERT_NE(body.find('+'), std::string::npos);
  ASSERT_NE(body.find('/'), std::string::npos);
  Report report;
  ASSERT_EQ(ReadReport(body, "", "127.0.0.1", 0, &report), Refusal::kNone);
  EXPECT_EQ(report.data["btn_exit"], base::WideToUtf8(params.begin()->second));
  // What a form parser would have made of it is not a report.
  std::string formDecoded = body;
  std::replace(formDecoded.begin(), formDecoded.end(), '+', ' ');
  EXPECT_EQ(ReadReport(formDecoded, "", "127.0.0.1", 0, &report), Refusal::kBadBase64);
}

TEST(IntakeTest, MalformedBodiesAreRefusedWithTheirReason) {
  const std::string good = InstallerBody(L"AppStart", {}, TestIdentity());
  auto log = [](const std::string& text) { return "log=" + Base64Encode(text); };
  const struct {
    std::string body;
    Refusal expected;
  } cases[] = {
      {"", Refusal::kEmpty},
      {"log=", Refusal::kBadBase64},
      {"data=" + good.substr(4), Refusal::kNotLogField},
      {good.substr(0, good.size() - 1), Refusal::kBadBase64},
      {good + "A===", Refusal::kBadBase64},
      {good.substr(0, 10) + "%2B" + good.substr(13), Refusal::kBadBase64},
      {log("\xff\xfe{}"), Refusal::kBadUtf8},
      {log("{\"eventId\":\"AppStart\""), Refusal::kBadJson},
      {log("[1,2]"), Refusal::kBadJson},
      {log("{\"eventId\":\"AppStart\",\"imei\":\"x\",\"appver\":\"1\"}"), Refusal::kBadJson},
      {log("{\"eventId\":\"AppStart\",\"imei\":\"x\",\"appver\":\"1\",\"appName\":\"a\",\"x\":\"1\"}"), Refusal::kBadJson},
      {log("{\"eventId\":\"AppStart\",\"imei\":\"x\",\"appver\":\"1\",\"appName\":\"a\",\"data\":{\"n\":1}}"), Refusal::kBadJson},
      {log("{\"eventId\":\"AppStart\",\"imei\":\"x\",\"appver\":\"1\",\"appName\":\"a\"} x"), Refusal::kBadJson},
      {log("{\"eventId\":\"Hello\",\"imei\":\"x\",\"appver\":\"1\",\"appName\":\"a\"}"), Refusal::kUnknownEvent},
      {log("{\"eventId\":\"appstart\",\"imei\":\"x\",\"appver\":\"1\",\"appName\":\"a\"}"), Refusal::kUnknownEvent},
  };
  for (const auto& c : cases) {
    Report report;
    EXPECT_EQ(ReadReport(c.body, "", "127.0.0.1", 0, &report), c.expected) << c.body;
  }
}

TEST(IntakeTest, CookiesAndAddressClasses) {
  Report report;
  ASSERT_EQ(ReadReport(InstallerBody(L"AppStart", {}, TestIdentity()),
                       "appver=3.0; channel=\xe6\xb8\xa0\xe9\x81\x93;system=Windows 7 32bit;",
                       "::1", 0, &report),
            Refusal::kNone);
  EXPECT_EQ(report.channel, "\xe6\xb8\xa0\xe9\x81\x93");
  EXPECT_EQ(report.stubVersion, "3.0");
  EXPECT_EQ(report.os, "Windows 7");
  EXPECT_EQ(report.bitness, "32");
  const std::pair<const char*, const char*> addresses[] = {
      {"127.0.0.1", "loopback"}, {"::1", "loopback"},       {"10.1.2.3", "private"},
      {"172.20.0.1", "private"}, {"172.32.0.1", "public"},  {"192.168.1.1", "private"},
      {"fd00::1", "private"},    {"::ffff:10.0.0.1", "private"}, {"8.8.8.8", "public"},
      {"2001:db8::1", "public"}, {"not an address", "unknown"}};
  for (const auto& [address, expected] : addresses) EXPECT_EQ(AddressClass(address), expected) << address;
}

}  // namespace
