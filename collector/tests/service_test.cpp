// The real collector executable over HTTP on 127.0.0.1, against both stores: what it
// answers, what it keeps, and what survives a kill or a database outage.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "report_store.h"
#include "test_support.h"

namespace {

const char kToken[] = "test-token-5b1f";

class ServiceTest : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (postgres()) {
      database_ = SharedPostgres()->Database();
      std::string error;
      auto store = OpenReportStore(database_, &error);
      ASSERT_TRUE(store) << error;
      ASSERT_GE(store->DeleteBefore(INT64_MAX / 2, &error), 0) << error;
    } else {
      database_ = "sqlite:" + folder_.path + "/reports.db";
    }
    setenv("COLLECTOR_TOKEN", kToken, 1);
    ASSERT_TRUE(collector_.Start(database_, {"--max-body", "4096"}));
  }

  bool postgres() const { return std::string(GetParam()) == "postgresql"; }

  // Posts unique reports from `threads` clients until `stop`; the identifiers answered 200
  // and the statuses seen.
  struct Load {
    std::mutex mutex;
    std::set<std::string> confirmed;
    std::map<int, int> statuses;
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
  };
  void StartLoad(Load* load, int threads) {
    for (int t = 0; t < threads; ++t) {
      load->threads.emplace_back([this, load, t] {
        httplib::Client http("127.0.0.1", collector_.port);
        http.set_connection_timeout(2);
        http.set_read_timeout(15);
        for (int i = 0; !load->stop; ++i) {
          char imei[33];
          std::snprintf(imei, sizeof imei, "%08d%024d", t, i);
          const ReportIdentity identity = TestIdentity(imei);
          const int status = PostReport(http, InstallerBody(L"AppStart", {{L"Dpi", L"96"}}, identity),
                                        InstallerCookieHeader(identity));
          std::lock_guard<std::mutex> lock(load->mutex);
          ++load->statuses[status];
          if (status == 200) load->confirmed.insert(imei);
          if (status == -1) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
      });
    }
  }
  void StopLoad(Load* load) {
    load->stop = true;
    for (auto& t : load->threads) t.join();
  }
  int Seen(Load* load, int status) {
    std::lock_guard<std::mutex> lock(load->mutex);
    return load->statuses[status];
  }

  // Every confirmed identifier is in the database.
  void ExpectAllStored(Load* load) {
    std::set<std::string> stored;
    std::string error;
    auto store = OpenReportStore(database_, &error);
    ASSERT_TRUE(store) << error;
    ASSERT_TRUE(store->Scan({}, [&](const Report& r) { stored.insert(r.imei); }, &error)) << error;
    size_t missing = 0;
    for (const auto& id : load->confirmed) missing += !stored.count(id);
    EXPECT_EQ(missing, 0u) << "of " << load->confirmed.size() << " confirmed";
    EXPECT_GT(load->confirmed.size(), 0u);
  }

  TempFolder folder_;
  std::string database_;
  CollectorProcess collector_;
};

TEST_P(ServiceTest, StoresWhatTheInstallerSendsAndRefusesTheRest) {
  httplib::Client http("127.0.0.1", collector_.port);
  int stored = 0;
  for (const auto& sent : KnownInstalls()) {
    ASSERT_EQ(PostReport(http, InstallerBody(sent.event, sent.params, sent.identity),
                         InstallerCookieHeader(sent.identity)), 200);
    ++stored;
  }
  const std::string good = InstallerBody(L"AppStart", {}, TestIdentity());
  std::string plusAsSpace = InstallerBody(L"OnClick", {{L"btn_exit", L"Start ~~~?>?> \u4e0d\u559c\u6b22"}}, TestIdentity());
  ASSERT_NE(plusAsSpace.find('+'), std::string::npos);
  std::replace(plusAsSpace.begin(), plusAsSpace.end(), '+', ' ');
  const struct {
    std::string body;
    int status;
  } refused[] = {
      {"", 400},
      {"log=!!!!", 400},
      {plusAsSpace, 400},
      {"log=" + std::string("eyJldmVudElkIjoiQXBwU3RhcnQifQ=="), 400},  // {"eventId":"AppStart"}
      {"log=eyJldmVudElkIjoiTm9wZSIsImltZWkiOiJ4IiwiYXBwdmVyIjoiMSIsImFwcE5hbWUiOiJhIn0=", 400},
      {good + std::string(5000, 'A'), 413},
  };
  for (const auto& r : refused)
    EXPECT_EQ(PostReport(http, r.body, InstallerCookieHeader(TestIdentity())), r.status) << r.body.substr(0, 60);
  // Not the report path.
  EXPECT_EQ(http.Post("/caller?c=site&a=other", good, "text/plain")->status, 404);

  EXPECT_EQ(CountReports(database_), stored);
  // The page and the figures need the token; the refusals were counted.
  EXPECT_EQ(http.Get("/api/report")->status, 401);
  EXPECT_EQ(http.Get("/report?token=wrong")->status, 401);
  // Refusals are written by the writer thread after their answer: the last one, the oversized
  // body, may reach the figures a moment later.
  std::string body;
  EXPECT_TRUE(WaitUntil([&] {
    auto figures = http.Get("/api/report?since=1d", {{"Authorization", std::string("Bearer ") + kToken}});
    body = figures && figures->status == 200 ? figures->body : std::string();
    return body.find("\"oversized\":1") != std::string::npos;
  }, 10000)) << body;
  for (const char* expected : {"\"bad_base64\":2", "\"bad_json\":1", "\"unknown_event\":1",
                               "\"empty\":1", "\"oversized\":1", "{\"step\":\"installed\",\"count\":2"})
    EXPECT_NE(body.find(expected), std::string::npos) << expected << " in " << body;
}

TEST_P(ServiceTest, KilledDuringLoadKeepsEveryConfirmedReport) {
  Load load;
  StartLoad(&load, 16);
  ASSERT_TRUE(WaitUntil([&] { return Seen(&load, 200) > 300; }, 30000));
  collector_.Kill();
  StopLoad(&load);
  ExpectAllStored(&load);
  // It starts again on the same database.
  ASSERT_TRUE(collector_.Start(database_));
  httplib::Client http("127.0.0.1", collector_.port);
  EXPECT_EQ(PostReport(http, InstallerBody(L"AppStart", {}, TestIdentity()), ""), 200);
}

// Only a database server can go away while the collector runs.
class DatabaseOutageTest : public ServiceTest {};

TEST_P(DatabaseOutageTest, DatabaseDownAnswers503AndRecoversByItself) {
  Load load;
  StartLoad(&load, 4);
  ASSERT_TRUE(WaitUntil([&] { return Seen(&load, 200) > 100; }, 30000));
  ASSERT_TRUE(SharedPostgres()->Stop()) << SharedPostgres()->error;
  EXPECT_TRUE(WaitUntil([&] { return Seen(&load, 503) > 20; }, 20000));
  const int confirmedWhileDown = Seen(&load, 200);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_LE(Seen(&load, 200), confirmedWhileDown + 4);  // at most those in flight
  ASSERT_TRUE(SharedPostgres()->Start()) << SharedPostgres()->error;
  EXPECT_TRUE(WaitUntil([&] { return Seen(&load, 200) > confirmedWhileDown + 100; }, 30000));
  StopLoad(&load);
  ExpectAllStored(&load);
  EXPECT_TRUE(collector_.Stop());
}

INSTANTIATE_TEST_SUITE_P(Stores, DatabaseOutageTest, testing::Values("postgresql"),
                         [](const auto& info) { return std::string(info.param); });
INSTANTIATE_TEST_SUITE_P(Stores, ServiceTest, testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
