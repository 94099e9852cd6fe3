// Usage reports: an event name plus a small table of text parameters, turned into one JSON
// text with the installer's identity and handed, encoded, to the http thread, which posts it
// to the reporting endpoint. Fire and forget: the caller never waits for the network and
// learns nothing of the outcome. report_catalogue.h has one function per report.
//
//   InitReportBaseFields();                 // main thread, once, before any report
//   SendReport(L"OnClick", {{L"ClickSrc", L"Install"}});
//   ...
//   FlushReports(base::TimeDelta::FromSeconds(2));  // on the way out
//
// Threading: InitReportBaseFields on the main thread during start-up, after the http thread
// (kHttpThreadId) is registered. SendReport, ComposeReport and UploadReport on any thread;
// they only build text and post. Uploads run on the http thread, one at a time, in hand-off
// order. FlushReports on any thread except the http thread.
#pragma once

#include <string>

#include "report/report_text.h"
#include "toolkit/base/time_delta.h"

// Reads the machine and build facts and calls InitReportBaseFieldsFrom with them.
void InitReportBaseFields();
// Sets the six identity cookies and keeps `identity` for every report. Once, before the
// first report. libcurl is initialised later, by the first upload on the http thread.
void InitReportBaseFieldsFrom(const ReportIdentity& identity);
// The identity kept by InitReportBaseFieldsFrom (empty fields before it ran).
const ReportIdentity& GetReportIdentity();

// Builds the report on the calling thread and hands it to the http thread. Never blocks on
// the network. A report handed off while no http thread is registered is dropped.
void SendReport(const std::wstring& eventName, ReportParams params);
// The report text of `eventName` with `dataObject`, using the kept identity.
std::wstring ComposeReport(const std::wstring& eventName, const std::wstring& dataObject);
// Encodes the report text and posts its upload to the http thread.
void UploadReport(const std::wstring& reportText);

// Waits until every report handed off before the call has been uploaded, has failed, or
// was dropped, but never longer than `timeout`. True when they all have. Reports are
// otherwise lost when the process ends with uploads still queued, and the last ones (the
// survey answer, the exit buttons) say why a user left.
bool FlushReports(base::TimeDelta timeout);

// The task that runs one upload on the http thread. It owns the body and is move-only; the
// upload counts as finished once the task has run or has been destroyed unrun.
class ReportUploadTask {
 public:
  explicit ReportUploadTask(std::string body);
  ReportUploadTask(ReportUploadTask&& other) noexcept;
  ReportUploadTask& operator=(ReportUploadTask&&) = delete;
  ~ReportUploadTask();
  void operator()();

 private:
  std::string body_;
  bool pending_ = true;  // false once run or moved from: only one instance counts the upload
};
