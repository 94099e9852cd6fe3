// Group commit: request threads hand their report over and wait; one writer thread stores
// everything that waits in one transaction and wakes them with the outcome. A report is
// answered "stored" only after its transaction committed, so a process killed at any
// moment has kept every report it confirmed.
//
//   BatchWriter writer(std::move(store));
//   switch (writer.Store(report)) {
//     case StoreOutcome::kStored: /* 200 */ break;
//     default: /* 503: the database cannot take it now */ break;
//   }
//   writer.CountRefusal({nowMs, "bad_base64"});   // kept with the next batch
//
// Threading: Store and CountRefusal from any thread; the store is used only by the writer
// thread. The destructor stores what is queued, then stops the thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "report_store.h"

enum class StoreOutcome { kStored, kUnavailable };

class BatchWriter {
 public:
  explicit BatchWriter(std::unique_ptr<ReportStore> store);
  ~BatchWriter();
  BatchWriter(const BatchWriter&) = delete;
  BatchWriter& operator=(const BatchWriter&) = delete;

  // Blocks until the report is committed or the store failed (or `wait` passed: the report
  // may then still be stored, but it is not confirmed).
  StoreOutcome Store(Report report,
                     std::chrono::milliseconds wait = std::chrono::milliseconds(10000));
  void CountRefusal(RefusalRecord refusal);

 private:
  struct Pending {
    Report report;
    bool done = false;
    bool stored = false;
    // Its own, so that a finished batch wakes only its own requests, not every waiting one.
    std::condition_variable finished;
  };

  void Run();

  std::unique_ptr<ReportStore> store_;  // writer thread only
  std::mutex mutex_;
  std::condition_variable queued_;
  std::deque<std::shared_ptr<Pending>> queue_;
  std::vector<RefusalRecord> refusals_;
  // After a failed write, new reports are refused at once for a short while instead of
  // piling up behind a database that is down.
  std::chrono::steady_clock::time_point unavailableUntil_;
  bool stopping_ = false;
  std::thread thread_;  // last: starts after the members it uses
};
