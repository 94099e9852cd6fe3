// The same tests against both stores: an SQLite file and a real PostgreSQL server.
#include <gtest/gtest.h>

#include <thread>

#include "collector_service.h"
#include "report_store.h"
#include "test_support.h"

namespace {

constexpr int64_t kDay = 86400000;
constexpr int64_t kDay0 = 20430 * kDay;  // 2025-12-08

class StoreTest : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (std::string(GetParam()) == "sqlite") {
      database_ = "sqlite:" + folder_.path + "/reports.db";
    } else {
      database_ = SharedPostgres()->Database();
      // A clean database for each test.
      std::string error;
      auto store = OpenReportStore(database_, &error);
      ASSERT_TRUE(store) << error;
      ASSERT_GE(store->DeleteBefore(INT64_MAX / 2, &error), 0) << error;
    }
    std::string error;
    store_ = OpenReportStore(database_, &error);
    ASSERT_TRUE(store_) << error;
  }

  // The known installs as stored reports, received one second apart from `start`.
  std::vector<Report> KnownReports(int64_t start) {
    std::vector<Report> reports;
    for (const auto& sent : KnownInstalls()) {
      Report r;
      EXPECT_EQ(ReadReport(InstallerBody(sent.event, sent.params, sent.identity),
                           InstallerCookieHeader(sent.identity), "10.0.0.1",
                           start + 1000 * static_cast<int64_t>(reports.size()), &r),
                Refusal::kNone);
      reports.push_back(r);
    }
    return reports;
  }

  int64_t Count(const ReportFilter& filter) {
    int64_t n = 0;
    std::string error;
    EXPECT_TRUE(store_->Scan(filter, [&](const Report&) { ++n; }, &error)) << error;
    return n;
  }

  TempFolder folder_;
  std::string database_;
  std::unique_ptr<ReportStore> store_;
};

TEST_P(StoreTest, KeepsEveryFieldAndFilters) {
  std::string error;
  const auto reports = KnownReports(kDay0);
  ASSERT_TRUE(store_->Append(reports, {{kDay0, "bad_json"}}, &error)) << error;
  std::vector<Report> back;
  ASSERT_TRUE(store_->Scan({}, [&](const Report& r) { back.push_back(r); }, &error)) << error;
  ASSERT_EQ(back.size(), reports.size());
  for (size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].receivedMs, reports[i].receivedMs);
    EXPECT_EQ(back[i].event, reports[i].event);
    EXPECT_EQ(back[i].imei, reports[i].imei);
    EXPECT_EQ(back[i].channel, reports[i].channel);
    EXPECT_EQ(back[i].stubVersion, "2.1.0.7");
    EXPECT_EQ(back[i].os, "Windows 10");
    EXPECT_EQ(back[i].bitness, "64");
    EXPECT_EQ(back[i].addressClass, "private");
    EXPECT_EQ(back[i].data, reports[i].data);
  }
  const struct {
    ReportFilter filter;
    int64_t expected;
  } filters[] = {
      {{0, INT64_MAX, "partner", ""}, 1},
      {{0, INT64_MAX, "default", ""}, static_cast<int64_t>(reports.size()) - 1},
      {{0, INT64_MAX, "", "2.1.0.7"}, static_cast<int64_t>(reports.size())},
      {{0, INT64_MAX, "", "9.9"}, 0},
      {{kDay0 + 1000, kDay0 + 3000, "", ""}, 2},
  };
  for (const auto& f : filters) EXPECT_EQ(Count(f.filter), f.expected) << DescribeFilter(f.filter);
}

TEST_P(StoreTest, SummaryOfTheKnownInstalls) {
  std::string error;
  ASSERT_TRUE(store_->Append(KnownReports(kDay0), {{kDay0, "bad_json"}, {kDay0, "bad_json"}}, &error));
  FunnelSummary s;
  ASSERT_TRUE(BuildSummary(store_.get(), {}, &s, &error)) << error;
  ASSERT_EQ(s.steps.size(), 5u);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(s.steps[i].count, kKnownFunnel[i]) << s.steps[i].name;
  EXPECT_EQ(s.reasons, (std::map<std::string, int64_t>{
                           {"download hr=0x800c0005", 1},
                           {"package signature refused: signature not valid", 1},
                           {"setup exit code -5", 1}}));
  EXPECT_EQ(s.downloadTimes.count, 3);
  EXPECT_EQ(s.downloadTimes.p50, 12);
  EXPECT_EQ(s.downloadTimes.max, 30);
  EXPECT_EQ(s.setupTimes.p50, 20);
  EXPECT_EQ(s.downloadRetries, (std::map<std::string, int64_t>{{"0", 2}, {"1", 1}, {"6", 1}}));
  EXPECT_EQ(s.surveyReasons, (std::map<std::string, int64_t>{{"\xe4\xb8\x8b\xe8\xbd\xbd\xe9\x94\x99", 1},
                                                             {"\xe4\xb8\x8d\xe5\x96\x9c\xe6\xac\xa2", 1}}));
  EXPECT_EQ(s.surveyTexts, std::vector<std::string>{"too slow"});
  using StartedInstalled = std::pair<int64_t, int64_t>;
  EXPECT_EQ(s.byChannel["partner"], StartedInstalled(1, 0));
  EXPECT_EQ(s.byChannel["default"], StartedInstalled(6, 2));
  EXPECT_EQ(s.refusals["bad_json"], 2);
}

TEST_P(StoreTest, RetentionAndDeletingOneIdentifier) {
  std::string error;
  for (int day = 0; day < 3; ++day)
    ASSERT_TRUE(store_->Append(KnownReports(kDay0 + day * kDay + 5000), {{kDay0 + day * kDay, "empty"}}, &error)) << error;
  const int64_t perDay = static_cast<int64_t>(KnownInstalls().size());
  // Mid-day 1: day 0 goes whole, day 1 loses its first reports (one each second from 5 s).
  EXPECT_EQ(store_->DeleteBefore(kDay0 + kDay + 7000, &error), perDay + 2) << error;
  EXPECT_EQ(Count({}), 2 * perDay - 2);
  int64_t refusals = 0;
  ASSERT_TRUE(store_->ScanRefusals(0, INT64_MAX, [&](const RefusalRecord&) { ++refusals; }, &error));
  EXPECT_EQ(refusals, 1);
  // The first stub has five reports a day; two days remain.
  EXPECT_EQ(store_->DeleteIdentifier("aaaa0000000000000000000000000001", &error), 8);
  EXPECT_EQ(Count({}), 2 * perDay - 10);
}

TEST_P(StoreTest, SeveralWritersOnNewDaysAtOnce) {
  // Collectors sharing one database create the day's partition at the same moment.
  std::vector<std::thread> writers;
  std::atomic<int> failures{0};
  for (int w = 0; w < 4; ++w) {
    writers.emplace_back([&, w] {
      std::string error;
      auto store = OpenReportStore(database_, &error);
      for (int day = 0; day < 5 && store; ++day)
        if (!store->Append(KnownReports(kDay0 + day * kDay + w), {}, &error)) ++failures;
      if (!store) ++failures;
    });
  }
  for (auto& t : writers) t.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(Count({}), 4 * 5 * static_cast<int64_t>(KnownInstalls().size()));
}

INSTANTIATE_TEST_SUITE_P(Stores, StoreTest, testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
