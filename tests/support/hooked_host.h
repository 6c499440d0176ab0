// A host for the engine's tests: hooks on the stages as they begin and on what the engine
// tells; every question is answered as set.
#pragma once

#include <functional>

#include "job/job_host.h"

namespace torvane::testing {

class HookedHost : public JobHost {
 public:
  std::function<void(JobStage)> onStage;
  std::function<void(const Report&)> onTell;
  bool answer = false;

  void OnStage(JobStage stage) override {
    if (onStage) onStage(stage);
  }
  void OnFiles(std::size_t, std::size_t) override {}
  void Tell(const Report& report) override {
    if (onTell) onTell(report);
  }
  bool Ask(const Report&) override { return answer; }
};

}  // namespace torvane::testing
