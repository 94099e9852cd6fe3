#include "batch_writer.h"

#include <cstdio>

namespace {
constexpr size_t kMaxBatch = 2000;
constexpr size_t kMaxQueued = 20000;         // beyond this, answer "unavailable"
constexpr size_t kMaxRefusalsKept = 100000;  // counted refusals waiting for a working store
constexpr auto kPauseAfterFailure = std::chrono::milliseconds(200);
}  // namespace

BatchWriter::BatchWriter(std::unique_ptr<ReportStore> store)
    : store_(std::move(store)), thread_([this] { Run(); }) {}

BatchWriter::~BatchWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  queued_.notify_all();
  thread_.join();
}

StoreOutcome BatchWriter::Store(Report report, std::chrono::milliseconds wait) {
  auto pending = std::make_shared<Pending>();
  pending->report = std::move(report);
  std::unique_lock<std::mutex> lock(mutex_);
  if (stopping_ || queue_.size() >= kMaxQueued ||
      std::chrono::steady_clock::now() < unavailableUntil_)
    return StoreOutcome::kUnavailable;
  queue_.push_back(pending);
  queued_.notify_one();
  pending->finished.wait_for(lock, wait, [&] { return pending->done; });
  return pending->done && pending->stored ? StoreOutcome::kStored : StoreOutcome::kUnavailable;
}

void BatchWriter::CountRefusal(RefusalRecord refusal) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (refusals_.size() < kMaxRefusalsKept) refusals_.push_back(std::move(refusal));
  queued_.notify_one();
}

void BatchWriter::Run() {
  std::vector<std::shared_ptr<Pending>> batch;
  std::vector<Report> reports;
  std::vector<RefusalRecord> refusals;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    queued_.wait(lock, [&] { return stopping_ || !queue_.empty() || !refusals_.empty(); });
    if (queue_.empty() && refusals_.empty()) return;  // stopping, and everything is written
    batch.clear();
    while (!queue_.empty() && batch.size() < kMaxBatch) {
      batch.push_back(std::move(queue_.front()));
      queue_.pop_front();
    }
    refusals.swap(refusals_);
    lock.unlock();

    reports.clear();
    for (const auto& p : batch) reports.push_back(std::move(p->report));  // the waiter needs only the outcome
    std::string error;
    const bool stored = store_->Append(reports, refusals, &error);
    if (!stored) std::fprintf(stderr, "collector: cannot store %zu reports: %s\n", reports.size(), error.c_str());

    lock.lock();
    if (stored) {
      refusals.clear();
    } else {
      unavailableUntil_ = std::chrono::steady_clock::now() + kPauseAfterFailure;
      // The refusal counts wait for the next batch.
      refusals_.insert(refusals_.end(), refusals.begin(), refusals.end());
      refusals.clear();
      if (refusals_.size() > kMaxRefusalsKept) refusals_.resize(kMaxRefusalsKept);
    }
    for (const auto& p : batch) {
      p->done = true;
      p->stored = stored;
      p->finished.notify_one();
    }
    if (!stored && stopping_) {
      // Stopping while the database is away: what still waits is not confirmed.
      for (const auto& p : queue_) {
        p->done = true;
        p->finished.notify_one();
      }
      return;
    }
    if (!stored) {
      // Gives the database a moment before the next try.
      lock.unlock();
      std::this_thread::sleep_for(kPauseAfterFailure);
      lock.lock();
    }
  }
}
