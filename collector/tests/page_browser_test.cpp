// The funnel page in a real browser: headless Chromium opens it against a collector filled
// with the known installs and must find the funnel's numbers in what it rendered. A
// screenshot is saved beside the test (COLLECTOR_PAGE_SCREENSHOT) to be looked at.
#include <gtest/gtest.h>

#include <regex>

#include "test_support.h"

namespace {

const char kToken[] = "page-token-77c2";

std::vector<std::string> Chromium(const TempFolder& profile) {
  return {"chromium", "--headless", "--no-sandbox", "--disable-gpu",
          "--disable-background-networking", "--disable-component-update", "--disable-sync",
          "--no-first-run", "--user-data-dir=" + profile.path};
}

TEST(PageBrowserTest, ChromiumShowsTheFunnelOfTheKnownInstalls) {
  TempFolder folder;
  const std::string database = "sqlite:" + folder.path + "/reports.db";
  setenv("COLLECTOR_TOKEN", kToken, 1);
  CollectorProcess collector;
  ASSERT_TRUE(collector.Start(database));
  httplib::Client http("127.0.0.1", collector.port);
  for (const auto& sent : KnownInstalls())
    ASSERT_EQ(PostReport(http, InstallerBody(sent.event, sent.params, sent.identity),
                         InstallerCookieHeader(sent.identity)), 200);
  EXPECT_EQ(PostReport(http, "log=%%%", ""), 400);

  const std::string url = "http://127.0.0.1:" + std::to_string(collector.port) +
                          "/report?since=1d&token=" + kToken;
  TempFolder profile;
  auto args = Chromium(profile);
  args.push_back("--dump-dom");
  args.push_back(url);
  std::string dom;
  ASSERT_EQ(RunProgram(args, &dom), 0) << dom;

  // The bars as the browser's DOM has them, in order.
  const std::regex bar("data-step=\"([a-z ]+)\" data-count=\"([0-9]+)\"");
  std::vector<int64_t> counts;
  for (std::sregex_iterator it(dom.begin(), dom.end(), bar), end; it != end; ++it)
    counts.push_back(std::stoll((*it)[2]));
  EXPECT_EQ(counts, std::vector<int64_t>(std::begin(kKnownFunnel), std::end(kKnownFunnel))) << dom;
  for (const char* text : {"setup exit code -5", "download hr=0x800c0005",
                           "package signature refused: signature not valid", "too slow",
                           "bad_base64", "partner"})
    EXPECT_NE(dom.find(text), std::string::npos) << text;

  // Without the token the browser gets no figures.
  TempFolder profile2;
  args = Chromium(profile2);
  args.push_back("--dump-dom");
  args.push_back(url.substr(0, url.find("&token=")));
  ASSERT_EQ(RunProgram(args, &dom), 0);
  EXPECT_EQ(dom.find("data-count"), std::string::npos);

  TempFolder profile3;
  args = Chromium(profile3);
  args.insert(args.end(), {"--hide-scrollbars", "--window-size=900,1160",
                           std::string("--screenshot=") + COLLECTOR_PAGE_SCREENSHOT, url});
  EXPECT_EQ(RunProgram(args), 0);
}

}  // namespace
