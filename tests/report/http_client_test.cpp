// HttpClient against the local report collector over loopback, through the real libcurl.
#include "report/http_client.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>

#include "tests/report/collector_client.h"

namespace {

const char kBody[] = "log=eyJldmVudElkIjoiT25DbGljayJ9+/==";

class HttpClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { curl_global_init(CURL_GLOBAL_ALL); }

  void SetUp() override {
    ASSERT_TRUE(collector.available())
        << "BRIGHTMERE_COLLECTOR_PORT is not set: run through tools/run-with-collector";
    ASSERT_TRUE(collector.Reset());
    ClearGlobalCookiesForTesting();
  }

  void TearDown() override {
    ClearGlobalCookiesForTesting();
    collector.Reset();  // lets go of anything a "hang" still holds
  }

  // A client set up as the report upload sets it up, aimed at the collector.
  void Prepare(HttpClient* client) {
    client->url = collector.ReportUrl();
    client->SetDefaultHeaders();
  }

  // Posts kBody through such a client: libcurl's code, the answer in *response and the
  // number of attempts in *attempts.
  int PostBody(std::string* response, int* attempts = nullptr) {
    HttpClient client;
    Prepare(&client);
    const int code = client.Post(kBody, response);
    if (attempts) *attempts = client.attemptsMade();
    return code;
  }

  // The one request the collector received (an empty one, and a failure, for another count).
  CollectedRequest OnlyRequest() {
    std::vector<CollectedRequest> got = collector.Records();
    EXPECT_EQ(got.size(), 1u);
    return got.size() == 1 ? got[0] : CollectedRequest();
  }

  static void SetStartUpCookies() {
    SetGlobalCookie("appver", "2.1.0.7");
    SetGlobalCookie("os", "windows");
    SetGlobalCookie("imei", "0123456789ABCDEF0123456789ABCDEF");
    SetGlobalCookie("appname", "DOVizorivev");
    SetGlobalCookie("system", "Microsoft Windows 10 64bit");
    SetGlobalCookie("channel", "brand_online_10001");
  }

  CollectorClient collector;
};

TEST_F(HttpClientTest, SendsTheFixedHeaderLinesInByteOrder) {
  SetStartUpCookies();
  std::string response;
  ASSERT_EQ(PostBody(&response), 0);
  const CollectedRequest got = OnlyRequest();
  EXPECT_EQ(got.requestLine, "POST /caller?c=site&a=writelog HTTP/1.1");
  std::vector<std::string> expected{
      "Host: 127.0.0.1:" + std::to_string(collector.port()),
      "Accept: */*",
      "Accept-Charset: utf-8;q=0.7,*;q=0.3",
      "Accept-Encoding: deflate",
      "Accept-Language: en-US,en;q=0.9",
      "Cache-Control: no-cache",
      "Connection: close",
      "Cookie: appname=DOVizorivev;appver=2.1.0.7;channel=brand_online_10001;"
      "imei=0123456789ABCDEF0123456789ABCDEF;os=windows;system=Microsoft Windows 10 64bit;",
      "User-Agent: Mozilla/5.0 (Windows NT 6.1) AppleWebKit/537.36 (KHTML, like Gecko) "
      "Chrome/56.0.2924.90 Safari/537.36",
      "Content-Length: " + std::to_string(sizeof(kBody) - 1),
      "Content-Type: application/x-www-form-urlencoded"};
  EXPECT_EQ(got.headers, expected);
}

TEST_F(HttpClientTest, BodyGoesOutUnchanged) {
  std::string response;
  ASSERT_EQ(PostBody(&response), 0);
  const CollectedRequest got = OnlyRequest();
  EXPECT_EQ(got.body, kBody);
  EXPECT_EQ(response, "ok");
}

TEST_F(HttpClientTest, SecondAttemptCarriesTheSameHeaderLinesEachOnce) {
  SetStartUpCookies();
  ASSERT_TRUE(collector.SetMode("close", 1));
  std::string response;
  int attempts = 0;
  EXPECT_EQ(PostBody(&response, &attempts), 0);
  EXPECT_EQ(attempts, 2);

  std::vector<CollectedRequest> got = collector.Records();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].answer, "close");
  EXPECT_EQ(got[1].answer, "ok");
  EXPECT_EQ(got[1].headers, got[0].headers);
  EXPECT_EQ(got[1].HeaderValues("Cookie").size(), 1u);
  EXPECT_EQ(got[1].HeaderValues("User-Agent").size(), 1u);
  EXPECT_EQ(got[1].body, kBody);
}

TEST_F(HttpClientTest, NoCookieLineWhenTheTableIsEmpty) {
  std::string response;
  ASSERT_EQ(PostBody(&response), 0);
  const CollectedRequest got = OnlyRequest();
  EXPECT_TRUE(got.HeaderValues("Cookie").empty());
  EXPECT_EQ(got.headers.size(), 10u);
}

TEST_F(HttpClientTest, CookieValueWithASpaceStaysInsideTheOneCookieLine) {
  SetGlobalCookie("system", "Microsoft Windows 7 32bit");
  SetGlobalCookie("os", "windows");
  std::string response;
  ASSERT_EQ(PostBody(&response), 0);
  const CollectedRequest got = OnlyRequest();
  EXPECT_EQ(got.HeaderValues("Cookie"),
            std::vector<std::string>{"os=windows;system=Microsoft Windows 7 32bit;"});
}

// The channel can come from a command line; it must not add a header line or a cookie.
TEST_F(HttpClientTest, CookieValueCannotEndTheLineOrAddACookie) {
  SetGlobalCookie("channel", "x\r\nX-Injected: 1;imei=0");
  HttpClient client;
  Prepare(&client);
  std::string response;
  ASSERT_EQ(client.Post(kBody, &response), 0);
  std::vector<CollectedRequest> got = collector.Records();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_TRUE(got[0].HeaderValues("X-Injected").empty());
  EXPECT_EQ(got[0].HeaderValues("Cookie"),
            std::vector<std::string>{"channel=xX-Injected: 1imei=0;"});
}

TEST_F(HttpClientTest, SecondGlobalCookieOfTheSameNameReplacesTheFirst) {
  SetGlobalCookie("channel", "first");
  SetGlobalCookie("channel", "second");
  std::string response;
  ASSERT_EQ(PostBody(&response), 0);
  const CollectedRequest got = OnlyRequest();
  EXPECT_EQ(got.HeaderValues("Cookie"), std::vector<std::string>{"channel=second;"});
}

TEST_F(HttpClientTest, HeaderAddedFirstKeepsItsValue) {
  SetStartUpCookies();
  HttpClient client;
  client.url = collector.ReportUrl();
  client.AddHeader("Cookie", "mine=1;");
  client.AddHeader("Connection", "keep-alive");
  client.SetDefaultHeaders();
  std::string response;
  ASSERT_EQ(client.Post(kBody, &response), 0);
  std::vector<CollectedRequest> got = collector.Records();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].HeaderValues("Cookie"), std::vector<std::string>{"mine=1;"});
  EXPECT_EQ(got[0].HeaderValues("Connection"), std::vector<std::string>{"keep-alive"});
}

TEST_F(HttpClientTest, HugeAnswerIsReadButOnlyItsStartKept) {
  ASSERT_TRUE(collector.SetMode("flood"));
  std::string response;
  int attempts = 0;
  EXPECT_EQ(PostBody(&response, &attempts), 0);
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(response, std::string(HttpClient::kMaxResponseBytes, 'x'));
}

// A server error and a redirect count as done (the redirect is not followed); a connection
// closed without an answer is tried exactly twice.
TEST_F(HttpClientTest, EachFailedAnswerGivesItsCodeAndAttempts) {
  struct Case {
    const char* mode;
    int code;
    int attempts;
    const char* response;
  };
  const Case cases[] = {
      {"500", 0, 1, "failure"},
      {"redirect", 0, 1, ""},
      {"close", CURLE_GOT_NOTHING, 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    ASSERT_TRUE(collector.Reset());
    ASSERT_TRUE(collector.SetMode(c.mode));
    std::string response;
    int attempts = 0;
    EXPECT_EQ(PostBody(&response, &attempts), c.code);
    EXPECT_EQ(attempts, c.attempts);
    EXPECT_EQ(response, c.response);
    const std::vector<CollectedRequest> got = collector.Records();
    ASSERT_EQ(got.size(), static_cast<size_t>(c.attempts));  // nothing for a Location target
    EXPECT_EQ(got.back().answer, c.mode);
  }
}

TEST_F(HttpClientTest, ClosedPortGivesTwoAttemptsAndTheConnectError) {
  HttpClient client;
  client.url = "http://127.0.0.1:1/caller?c=site&a=writelog";
  client.SetDefaultHeaders();
  std::string response;
  EXPECT_EQ(client.Post(kBody, &response), CURLE_COULDNT_CONNECT);
  EXPECT_EQ(client.attemptsMade(), 2);
  EXPECT_TRUE(response.empty());
}

TEST_F(HttpClientTest, HangingServerIsBoundedByTheTransferTimeout) {
  ASSERT_TRUE(collector.SetMode("hang"));
  HttpClient client;
  Prepare(&client);
  client.connectTimeout = 2;
  client.timeout = 2;
  std::string response;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(client.Post(kBody, &response), CURLE_OPERATION_TIMEDOUT);
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(seconds, 3.5);  // two attempts of about 2 s each
  EXPECT_LT(seconds, 10.0);
  EXPECT_EQ(collector.Records().size(), 2u);
}

// The test build's reporting host is the loopback collector (cmake/loopback-hosts.cmake).
TEST(ReportEndpointTest, DefaultsToTheReportingHost) {
  SetReportEndpointForTesting("");
  EXPECT_EQ(ReportEndpointUrl(), "http://127.0.0.1:18482/caller?c=site&a=writelog");
  EXPECT_EQ(HttpClient().url, ReportEndpointUrl());
}

TEST(ReportEndpointTest, TestsCanPointItElsewhere) {
  SetReportEndpointForTesting("http://127.0.0.1:9/caller?c=site&a=writelog");
  EXPECT_EQ(HttpClient().url, "http://127.0.0.1:9/caller?c=site&a=writelog");
  SetReportEndpointForTesting("");
}

}  // namespace
