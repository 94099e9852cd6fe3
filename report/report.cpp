#include "report/report.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <utility>

#include "app/thread_ids.h"
#include "report/http_client.h"
#include "toolkit/base/thread_directory.h"

namespace {

ReportIdentity& StoredIdentity() {
  static auto* identity = new ReportIdentity();
  return *identity;
}

// How many uploads were handed off and how many have finished. The http thread runs (or, once
// it has ended, drops) uploads one at a time in posting order, so the first `n` handed off
// have all finished once `finished` reaches `n`. (Two threads that hand off at the same moment
// may post in the other order; a flush can then take the later upload for the earlier. The
// flush on the way out follows the UI thread's last reports, which it posted itself.)
struct UploadCounts {
  std::mutex lock;
  std::condition_variable changed;
  uint64_t handedOff = 0;
  uint64_t finished = 0;
};

UploadCounts& Counts() {
  static auto* counts = new UploadCounts();
  return *counts;
}

void CountHandOff() {
  UploadCounts& c = Counts();
  std::lock_guard<std::mutex> hold(c.lock);
  ++c.handedOff;
}

void CountFinished() {
  UploadCounts& c = Counts();
  {
    std::lock_guard<std::mutex> hold(c.lock);
    ++c.finished;
  }
  c.changed.notify_all();
}

}  // namespace

ReportUploadTask::ReportUploadTask(std::string body) : body_(std::move(body)) {
  CountHandOff();
}

ReportUploadTask::ReportUploadTask(ReportUploadTask&& other) noexcept
    : body_(std::move(other.body_)), pending_(other.pending_) {
  other.pending_ = false;
}

ReportUploadTask::~ReportUploadTask() {
  if (pending_) CountFinished();  // dropped unrun
}

void ReportUploadTask::operator()() {
  if (!pending_)
    return;
  {
    HttpClient client;
    client.SetDefaultHeaders();
    std::string response;
    client.Post(body_, &response);  // the answer and the code are not used
  }
  pending_ = false;
  CountFinished();
}

void InitReportBaseFieldsFrom(const ReportIdentity& identity) {
  for (const auto& [name, value] : IdentityCookies(identity))
    SetGlobalCookie(name, value);
  StoredIdentity() = identity;
}

const ReportIdentity& GetReportIdentity() { return StoredIdentity(); }

std::wstring ComposeReport(const std::wstring& eventName, const std::wstring& dataObject) {
  return ComposeReport(eventName, dataObject, StoredIdentity());
}

void SendReport(const std::wstring& eventName, ReportParams params) {
  UploadReport(ComposeReport(eventName, BuildDataObject(params)));
}

void UploadReport(const std::wstring& reportText) {
  base::PostToThread(kHttpThreadId, ReportUploadTask(BuildUploadBody(reportText)));
}

bool FlushReports(base::TimeDelta timeout) {
  UploadCounts& c = Counts();
  std::unique_lock<std::mutex> hold(c.lock);
  const uint64_t horizon = c.handedOff;
  return c.changed.wait_for(hold, std::chrono::microseconds(timeout.InMicroseconds()),
                            [&] { return c.finished >= horizon; });
}
