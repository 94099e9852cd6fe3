// The report service: ingests the installers' uploads, stores them through a BatchWriter,
// serves the funnel page and its JSON behind a token, and applies the retention.
//
//   ServiceOptions options;
//   options.database = "sqlite:reports.db";
//   options.token = "s3cret";
//   return RunService(options);   // until SIGINT or SIGTERM
//
// Routes:
//   POST /caller?c=site&a=writelog   open; 200 "ok" stored, 400 malformed, 413 too large,
//                                    503 the database cannot store it now
//   GET  /report                     the funnel page   } token: "Authorization: Bearer T",
//   GET  /api/report                 the same as JSON  } a "token" query parameter or
//                                                      } the cookie "collector_token"
//     both take since, until (date "2026-12-01", time "2026-12-01T10:00" UTC, or "7d", "12h"
//     before now), channel and version.
//   GET  /healthz                    200 "ok"
//
// Threading: RunService blocks the calling thread; requests run on the server's pool.
#pragma once

#include <cstdint>
#include <string>

#include "funnel.h"
#include "report_store.h"

struct ServiceOptions {
  std::string host = "127.0.0.1";
  int port = 18482;               // 0: any free port
  std::string portFile;           // where the bound port is written, when set
  std::string database;           // see OpenReportStore
  std::string token;              // empty: the page and the API are closed
  size_t maxBody = 16384;         // a report is a few hundred bytes
  int retentionDays = 0;          // 0: keep everything
  bool trustForwardedFor = false; // behind a load balancer: the client is in X-Forwarded-For
  int threads = 64;
};

int RunService(const ServiceOptions& options);

// "2026-12-01", "2026-12-01T10:00[:00]" (UTC), "7d", "12h", "30m" before `nowMs`, or digits
// (milliseconds since 1970). False when it is none of these.
bool ParseTime(const std::string& text, int64_t nowMs, int64_t* ms);

int64_t NowMs();

// The summary of `filter`'s reports (and of the refusals of its period).
bool BuildSummary(ReportStore* store, const ReportFilter& filter, FunnelSummary* summary,
                  std::string* error);

// "since 2026-12-01 00:00 UTC, channel default, every version"
std::string DescribeFilter(const ReportFilter& filter);
