#include "tests/report/report_test_environment.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/thread_ids.h"
#include "report/http_client.h"
#include "report/report.h"
#include "toolkit/base/framework_thread.h"
#include "toolkit/base/thread_directory.h"

const char kTestImei[] = "0123456789ABCDEF0123456789ABCDEF";
const char kTestAppver[] = "2.1.0.7";

std::string ExpectedReportText(const std::string& eventName, const std::string& dataObject) {
  std::string text = std::string("{\"eventId\":\"") + eventName + "\",\"imei\":\"" + kTestImei +
                     "\",\"appver\":\"" + kTestAppver + "\",\"appName\":\"DOVizorivev\"";
  if (!dataObject.empty())
    text += ",\"data\":" + dataObject;
  return text + "}";
}

namespace {

// The installer's "http Thread", as start-up creates it.
class HttpThread : public base::FrameworkThread {
 public:
  HttpThread() : base::FrameworkThread(L"http Thread") {}
  ~HttpThread() override { Stop(); }

 protected:
  void OnThreadStart() override { enrolled = base::ThreadDirectory::Enroll(kHttpThreadId); }
  void OnThreadStop() override { base::ThreadDirectory::Withdraw(); }

 public:
  bool enrolled = false;
};

class ReportEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    CollectorClient collector;
    ASSERT_TRUE(collector.available())
        << "BRIGHTMERE_COLLECTOR_PORT is not set: run through tools/run-with-collector";
    ReportIdentity identity;
    identity.imei = L"0123456789ABCDEF0123456789ABCDEF";
    identity.appver = L"2.1.0.7";
    identity.osName = L"Microsoft Windows 10";
    identity.is64BitWindows = true;
    identity.hasChannelTag = false;
    InitReportBaseFieldsFrom(identity);
    SetReportEndpointForTesting(collector.ReportUrl());
    http_ = std::make_unique<HttpThread>();
    ASSERT_TRUE(http_->Start());
    ASSERT_TRUE(http_->enrolled);
  }

  void TearDown() override { http_.reset(); }

 private:
  std::unique_ptr<HttpThread> http_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ReportEnvironment);

}  // namespace
