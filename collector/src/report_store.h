// Where reports are kept: one narrow interface with two implementations, an SQLite file
// (the default: nothing to set up) and PostgreSQL (several collectors sharing one database;
// reports partitioned by day).
//
//   std::string error;
//   auto store = OpenReportStore("sqlite:/var/lib/collector/reports.db", &error);
//   auto shared = OpenReportStore("postgresql:host=db dbname=reports", &error);
//   store->Append({report1, report2}, {}, &error);   // all or nothing
//   store->Scan({sinceMs, untilMs, "default", ""}, [](const Report& r) { ... }, &error);
//
// Threading: one object is used by one thread at a time; open one per thread. Several
// objects (and processes) may use the same database at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "report_intake.h"

struct RefusalRecord {
  int64_t receivedMs = 0;
  std::string reason;  // RefusalName()
};

struct ReportFilter {
  int64_t sinceMs = 0;
  int64_t untilMs = INT64_MAX;  // exclusive
  std::string channel;          // "" for every channel
  std::string stubVersion;      // "" for every version
};

class ReportStore {
 public:
  virtual ~ReportStore() = default;
  // Stores every report and refusal in one transaction: either all are kept or none.
  // False with `error` when the database cannot take them now (the caller may try again).
  virtual bool Append(const std::vector<Report>& reports,
                      const std::vector<RefusalRecord>& refusals, std::string* error) = 0;
  // Calls `each` for every report matching `filter`, oldest first.
  virtual bool Scan(const ReportFilter& filter, const std::function<void(const Report&)>& each,
                    std::string* error) = 0;
  // Calls `each` for every refusal in [sinceMs, untilMs).
  virtual bool ScanRefusals(int64_t sinceMs, int64_t untilMs,
                            const std::function<void(const RefusalRecord&)>& each,
                            std::string* error) = 0;
  // Deletes the reports and refusals received before `cutoffMs`; the number of reports
  // deleted, or -1.
  virtual int64_t DeleteBefore(int64_t cutoffMs, std::string* error) = 0;
  // Deletes every report of one identifier; the number deleted, or -1.
  virtual int64_t DeleteIdentifier(const std::string& imei, std::string* error) = 0;
};

// "sqlite:<path>" or "postgresql:<libpq connection string or URL>". Creates the tables when
// they are missing. Null with `error` when it cannot be opened.
std::unique_ptr<ReportStore> OpenReportStore(const std::string& where, std::string* error);

std::unique_ptr<ReportStore> OpenSqliteStore(const std::string& path, std::string* error);
std::unique_ptr<ReportStore> OpenPostgresStore(const std::string& conninfo, std::string* error);
