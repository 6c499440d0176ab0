// A job's progress handed from the thread that runs it to the window: the job writes the
// latest figures, the window reads them when it redraws. Figures the window never saw are
// simply superseded; the file waited for, a string, is handed over under a lock that is
// held only to copy it.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>

#include "job/job_observer.h"

namespace torvane {

class JobProgress : public JobObserver {
 public:
  struct Snapshot {
    JobStage stage = JobStage::kChecking;
    std::size_t done = 0;
    std::size_t total = 0;
    std::u16string waitingFor;  // the file another program holds; empty while none is
    bool operator==(const Snapshot&) const = default;
  };

  void OnStage(JobStage stage) override {
    total_.store(0, std::memory_order_relaxed);
    done_.store(0, std::memory_order_relaxed);
    stage_.store(stage, std::memory_order_relaxed);
  }
  void OnFiles(std::size_t done, std::size_t total) override {
    done_.store(done, std::memory_order_relaxed);
    total_.store(total, std::memory_order_relaxed);
  }
  void OnWaiting(const std::u16string& path) override {
    const std::lock_guard<std::mutex> hold(waitingLock_);
    waitingFor_ = path;
  }
  Snapshot Read() const {
    Snapshot now{stage_.load(std::memory_order_relaxed),
                 done_.load(std::memory_order_relaxed),
                 total_.load(std::memory_order_relaxed),
                 {}};
    const std::lock_guard<std::mutex> hold(waitingLock_);
    now.waitingFor = waitingFor_;
    return now;
  }

 private:
  std::atomic<JobStage> stage_{JobStage::kChecking};
  std::atomic<std::size_t> done_{0};
  std::atomic<std::size_t> total_{0};
  mutable std::mutex waitingLock_;
  std::u16string waitingFor_;
};

}  // namespace torvane
