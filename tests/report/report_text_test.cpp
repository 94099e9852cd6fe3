#include "report/report_text.h"

#include <gtest/gtest.h>

namespace {

ReportIdentity SampleIdentity() {
  ReportIdentity identity;
  identity.imei = std::wstring(32, L'0');
  identity.appver = L"1.0.0.0";
  return identity;
}

TEST(ComposeReportTest, StartReportMatchesTheDocumentedText) {
  ReportParams params{{L"FirstStart", L"true"}, {L"Dpi", L"96"}, {L"Scale", L"100"}};
  EXPECT_EQ(ComposeReport(L"AppStart", BuildDataObject(params), SampleIdentity()),
            L"{\"eventId\":\"AppStart\",\"imei\":\"00000000000000000000000000000000\","
            L"\"appver\":\"1.0.0.0\",\"appName\":\"DOVizorivev\","
            L"\"data\":{\"Dpi\":\"96\",\"FirstStart\":\"true\",\"Scale\":\"100\"}}");
}

TEST(ComposeReportTest, EmptyDataObjectTextLeavesTheDataMemberOut) {
  EXPECT_EQ(ComposeReport(L"offline", L"", SampleIdentity()),
            L"{\"eventId\":\"offline\",\"imei\":\"00000000000000000000000000000000\","
            L"\"appver\":\"1.0.0.0\",\"appName\":\"DOVizorivev\"}");
}

TEST(ComposeReportTest, IdentityFieldsAreEscapedToo) {
  ReportIdentity identity;
  identity.imei = L"a\\b";
  identity.appver = L"1\t2";
  EXPECT_EQ(ComposeReport(L"E", L"{}", identity),
            L"{\"eventId\":\"E\",\"imei\":\"a\\\\b\",\"appver\":\"1\\t2\","
            L"\"appName\":\"DOVizorivev\",\"data\":{}}");
}

TEST(BuildDataObjectTest, EmptyTableGivesAnEmptyObject) {
  EXPECT_EQ(BuildDataObject({}), L"{}");
}

TEST(BuildDataObjectTest, KeysComeInCodeUnitOrderUpperCaseFirst) {
  ReportParams params{{L"retryTime", L"0"}, {L"ret", L"1"}, {L"cost", L"12"},
                      {L"Scale", L"100"}};
  EXPECT_EQ(BuildDataObject(params),
            L"{\"Scale\":\"100\",\"cost\":\"12\",\"ret\":\"1\",\"retryTime\":\"0\"}");
}

TEST(BuildDataObjectTest, BackslashInAValueIsEscaped) {
  ReportParams params{{L"btn_exit", L"Start C:\\Program Files\\x "}};
  EXPECT_EQ(BuildDataObject(params),
            L"{\"btn_exit\":\"Start C:\\\\Program Files\\\\x \"}");
}

TEST(BuildDataObjectTest, ControlCharacterInAKeyIsEscaped) {
  ReportParams params{{L"a\nb", L"v"}};
  EXPECT_EQ(BuildDataObject(params), L"{\"a\\nb\":\"v\"}");
}

TEST(EscapeJsonTextTest, NamedEscapesForCommonControlCharacters) {
  EXPECT_EQ(EscapeJsonText(L"\\ \n \r \t \b \f"), L"\\\\ \\n \\r \\t \\b \\f");
}

TEST(EscapeJsonTextTest, OtherControlCharactersAsUnicodeEscapes) {
  EXPECT_EQ(EscapeJsonText(std::wstring(L"\0\x01\x1F", 3)), L"\\u0000\\u0001\\u001f");
}

TEST(EscapeJsonTextTest, EverythingElseIsUnchanged) {
  const std::wstring text = L"Start ”quoted” 太慢 / \x7F \x20 已安装 '";
  EXPECT_EQ(EscapeJsonText(text), text);
}

// A signer's name reaches the failure report: it must stay inside its string.
TEST(BuildDataObjectTest, QuoteInAValueCannotAddMembers) {
  ReportParams params{{L"errorMsg", L"signed by \"x\",\"result\":\"success\""}};
  EXPECT_EQ(BuildDataObject(params),
            L"{\"errorMsg\":\"signed by \\\"x\\\",\\\"result\\\":\\\"success\\\"\"}");
}

TEST(CookieSafeTest, LineBreaksAndSemicolonsAreDropped) {
  const struct {
    std::string value;
    std::string expected;
  } cases[] = {
      {"Windows 10 64bit", "Windows 10 64bit"},
      {"a\r\nX-Injected: 1", "aX-Injected: 1"},
      {"brand;imei=0", "brandimei=0"},
      {";\r\n", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CookieSafe(c.value), c.expected) << c.value;
}

TEST(BuildUploadBodyTest, StartReportBodyIsLogAndBase64OfTheUtf8Text) {
  ReportParams params{{L"FirstStart", L"true"}, {L"Dpi", L"96"}, {L"Scale", L"100"}};
  EXPECT_EQ(BuildUploadBody(ComposeReport(L"AppStart", BuildDataObject(params),
                                          SampleIdentity())),
            "log=eyJldmVudElkIjoiQXBwU3RhcnQiLCJpbWVpIjoiMDAwMDAwMDAwMDAwMDAwMDAwMDAwMDAwMD"
            "AwMDAwMDAiLCJhcHB2ZXIiOiIxLjAuMC4wIiwiYXBwTmFtZSI6IkRPVml6b3JpdmV2IiwiZGF0YSI6"
            "eyJEcGkiOiI5NiIsIkZpcnN0U3RhcnQiOiJ0cnVlIiwiU2NhbGUiOiIxMDAifX0=");
}

TEST(BuildUploadBodyTest, ChineseSurveyTextIsUtf8BeforeBase64) {
  ReportIdentity identity;
  identity.imei = L"I";
  identity.appver = L"V";
  ReportParams params{{L"btn_exit", L"Start 太慢 已安装"}};
  EXPECT_EQ(BuildUploadBody(ComposeReport(L"OnClick", BuildDataObject(params), identity)),
            "log=eyJldmVudElkIjoiT25DbGljayIsImltZWkiOiJJIiwiYXBwdmVyIjoiViIsImFwcE5hbWUiOiJE"
            "T1Zpem9yaXZldiIsImRhdGEiOnsiYnRuX2V4aXQiOiJTdGFydCDlpKrmhaIg5bey5a6J6KOFIn19");
}

TEST(BuildUploadBodyTest, PlusSlashAndPaddingAreNotPercentEncoded) {
  EXPECT_EQ(BuildUploadBody(L">>>"), "log=Pj4+");
  EXPECT_EQ(BuildUploadBody(L"???"), "log=Pz8/");
  EXPECT_EQ(BuildUploadBody(L"{}"), "log=e30=");
}

TEST(IdentityCookiesTest, SixCookiesInStartUpOrder) {
  ReportIdentity identity;
  identity.appver = L"2.1.0.7";
  identity.imei = L"ABC";
  identity.osName = L"Microsoft Windows 10";
  identity.is64BitWindows = true;
  identity.hasChannelTag = true;
  identity.channelTag = L"brand_online_10001";
  std::vector<std::pair<std::string, std::string>> expected{
      {"appver", "2.1.0.7"},
      {"os", "windows"},
      {"imei", "ABC"},
      {"appname", "DOVizorivev"},
      {"system", "Microsoft Windows 10 64bit"},
      {"channel", "brand_online_10001"}};
  EXPECT_EQ(IdentityCookies(identity), expected);
}

TEST(IdentityCookiesTest, ThirtyTwoBitSystem) {
  ReportIdentity identity;
  identity.osName = L"Microsoft Windows 7";
  EXPECT_EQ(IdentityCookies(identity)[4].second, "Microsoft Windows 7 32bit");
}

TEST(IdentityCookiesTest, MissingChannelTagReadsDefault) {
  ReportIdentity identity;
  identity.hasChannelTag = false;
  EXPECT_EQ(IdentityCookies(identity)[5].second, "default");
}

TEST(IdentityCookiesTest, EmptyChannelTagStaysEmpty) {
  ReportIdentity identity;
  identity.hasChannelTag = true;
  EXPECT_EQ(IdentityCookies(identity)[5].second, "");
}

TEST(IdentityCookiesTest, NonAsciiValuesAreUtf8) {
  ReportIdentity identity;
  identity.hasChannelTag = true;
  identity.channelTag = L"渠道";
  EXPECT_EQ(IdentityCookies(identity)[5].second, "\xE6\xB8\xA0\xE9\x81\x93");
}

}  // namespace
