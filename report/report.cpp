#include "report/report.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <utility>

#include "app/thread_ids.h"
#include "report/http_client.h"
#include "toolkit/base/thread_directory.h"

namespace {

ReportIdentity& StoredIdentity() {
  static auto* identity = new ReportIdentity();
  return *identity;
}

// Uploads handed off and not yet finished, by hand-off number, so that a flush can wait
// for the ones before it without waiting for later ones.
struct PendingUploads {
  std::mutex lock;
  std::condition_variable changed;
  uint64_t nextTicket = 0;
  std::set<uint64_t> pending;
};

PendingUploads& Pending() {
  static auto* pending = new PendingUploads();
  return *pending;
}

uint64_t OpenTicket() {
  PendingUploads& p = Pending();
  std::lock_guard<std::mutex> hold(p.lock);
  uint64_t ticket = p.nextTicket++;
  p.pending.insert(ticket);
  return ticket;
}

void CloseTicket(uint64_t ticket) {
  PendingUploads& p = Pending();
  {
    std::lock_guard<std::mutex> hold(p.lock);
    p.pending.erase(ticket);
  }
  p.changed.notify_all();
}

}  // namespace

struct ReportUploadTask::Shared {
  explicit Shared(std::string b) : body(std::move(b)), ticket(OpenTicket()) {}
  ~Shared() { CloseTicket(ticket); }
  std::string body;
  uint64_t ticket;
};

ReportUploadTask::ReportUploadTask(std::string body)
    : shared_(std::make_shared<Shared>(std::move(body))) {}

void ReportUploadTask::operator()() {
  if (!shared_)
    return;
  {
    HttpClient client;
    client.SetDefaultHeaders();
    std::string response;
    client.Post(shared_->body, &response);  // the answer and the code are not used
  }
  shared_.reset();  // finishes the upload unless a copy of the task is still around
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
  PendingUploads& p = Pending();
  std::unique_lock<std::mutex> hold(p.lock);
  const uint64_t horizon = p.nextTicket;
  auto settled = [&] { return p.pending.empty() || *p.pending.begin() >= horizon; };
  return p.changed.wait_for(hold, std::chrono::microseconds(timeout.InMicroseconds()),
                            settled);
}
