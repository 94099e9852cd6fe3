// What a vendor wants to know from the reports of a period: how many stubs started, how
// many got to each step, where the others were lost and why, how long the download and
// the setup took, and what leavers answered in the exit survey.
//
//   FunnelSummary summary;
//   store->Scan(filter, [&](const Report& r) { AddToSummary(r, &summary); }, &error);
//   FinishSummary(&summary);
//   summary.steps[0].count;   // distinct identifiers that sent "AppStart"
//
// Plain functions; any thread.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "report_intake.h"

struct FunnelStep {
  std::string name;    // "started", "install clicked", ...
  int64_t count = 0;   // distinct identifiers
};

struct TimeFigures {
  int64_t count = 0;
  int64_t p50 = 0, p90 = 0, p99 = 0, max = 0;  // seconds
};

struct FunnelSummary {
  std::vector<FunnelStep> steps;                 // in funnel order
  std::map<std::string, int64_t> reasons;        // failure reason -> reports
  TimeFigures downloadTimes, setupTimes;         // of the successful runs
  std::map<std::string, int64_t> downloadRetries, setupRetries;  // retryTime -> reports
  std::map<std::string, int64_t> surveyReasons;  // survey label -> answers
  std::vector<std::string> surveyTexts;          // the free texts, oldest first
  std::map<std::string, std::pair<int64_t, int64_t>> byChannel, byVersion;  // started, installed
  std::map<std::string, int64_t> refusals;       // refusal reason -> requests
  int64_t reports = 0;

  // Working sets, emptied by FinishSummary.
  std::vector<std::set<std::string>> stepIds;
  std::vector<int64_t> downloadCosts, setupCosts;
  std::map<std::string, std::set<std::string>> channelStarted, channelInstalled;
  std::map<std::string, std::set<std::string>> versionStarted, versionInstalled;
};

void AddToSummary(const Report& report, FunnelSummary* summary);
void FinishSummary(FunnelSummary* summary);

// The reason a failure page's message stands for: "download hr=0x800c0005",
// "package signature refused: signature not valid", "setup exit code -5".
std::string FailureReason(const std::string& errorMsg);
