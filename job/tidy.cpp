#include "job/tidy.h"

#include <set>

#include "job/safe_move.h"
#include "job/steps.h"
#include "runtime/text.h"

namespace torvane {
namespace {

// What the report says of a folder the plan does not enter.
Shortfall NotEntered(const FolderPlan& plan) {
  switch (*plan.closed) {
    case Closed::kLinkedVTemp:
      return {plan.VTemp(), Why::kLinkedVTemp};
    case Closed::kLinked:
      return {plan.folder, Why::kLinkedFolder};
    case Closed::kUnprobed:
    case Closed::kUnlisted:
      break;
  }
  return {plan.folder, plan.error};
}

class Pass {
 public:
  Pass(Runtime& rt, Journal& journal, JobObserver* observer, TidyReport& report)
      : rt_(rt), journal_(journal), observer_(observer), report_(report) {}

  void Run(const FolderPlan& plan) {
    // A pass that runs makes its vTemp whether or not its listing can be read.
    if (!plan.closed || plan.closed == Closed::kUnlisted) PrepareVTemp(plan);
    if (plan.closed) {
      report_.notListed.push_back(NotEntered(plan));
      return;
    }
    for (const StayingFile& file : plan.stays) {
      if (file.why == Stay::kUnplainName)
        report_.notMoved.push_back({file.path, Why::kUnplainName});
    }
    total_ += plan.moves.size();
    // Not made (or made and found to be a link): nothing is moved towards it.
    if (unmade_) {
      for (const PlannedMove& file : plan.moves) report_.notMoved.push_back({file.path, *unmade_});
      return;
    }
    MoveAll(plan.moves);
  }

 private:
  void PrepareVTemp(const FolderPlan& plan) {
    vTemp_ = plan.VTemp();
    unmade_.reset();
    if (plan.vTempMissing) {
      Step mkdir = MakeStep(StepKind::kMkDir, vTemp_);
      if (const Status made = Execute(rt_, journal_, mkdir); !made.ok()) unmade_ = made.error();
    }
    // Names already taken in vTemp; the moves below promise theirs here too.
    taken_.clear();
    const Result<std::vector<DirEntry>> inside = rt_.List(vTemp_ + u"\\", kDirEverything);
    for (const DirEntry& entry : inside.value_or(std::vector<DirEntry>())) {
      taken_.insert(LowerCase(entry.name));
    }
  }

  void MoveAll(const std::vector<PlannedMove>& files) {
    for (std::size_t start = 0; start < files.size(); start += kStepsPerWrite) {
      const std::size_t end = std::min(files.size(), start + kStepsPerWrite);
      if (!MoveBatch({files.begin() + start, files.begin() + end})) {
        for (std::size_t i = end; i < files.size(); ++i) {
          report_.notMoved.push_back({files[i].path, journalError_});
        }
        return;
      }
    }
  }

  // False when the journal cannot be written: nothing more is moved without its record.
  bool MoveBatch(const std::vector<PlannedMove>& files) {
    std::vector<Step> steps;
    for (const PlannedMove& file : files) {
      Step step = MakeStep(StepKind::kMove, file.path, vTemp_ + u"\\" + FreeName(file.path));
      step.attributes = file.attributes;
      step.size = file.size;
      step.clearsAttributes = true;
      steps.push_back(std::move(step));
    }
    const Status written =
        ExecuteBatch(rt_, journal_, steps, [&](const Step& step, const Status& moved) {
          if (!moved.ok()) report_.notMoved.push_back({step.from, moved.error()});
          if (observer_) observer_->OnFiles(++moved_, total_);
        });
    if (written.ok()) return true;
    journalError_ = written.error();
    for (const Step& step : steps) report_.notMoved.push_back({step.from, written.error()});
    return false;
  }

  // The name the file gets in vTemp: its own, or the first free copy name.
  std::u16string FreeName(const std::u16string& path) {
    return FirstFreeName(NameOf(path),
                         [&](const std::u16string& candidate) -> Result<bool> {
                           return taken_.insert(LowerCase(candidate)).second;
                         })
        .value_or(NameOf(path));
  }

  Runtime& rt_;
  Journal& journal_;
  JobObserver* observer_;
  TidyReport& report_;
  std::u16string vTemp_;
  std::set<std::u16string> taken_;
  std::optional<Error> unmade_;  // why vTemp could not be made
  std::size_t moved_ = 0;
  std::size_t total_ = 0;
  Error journalError_;
};

}  // namespace

TidyReport ClearRedundantFiles(std::u16string_view path, Runtime& rt, Journal& journal,
                               JobObserver* observer) {
  TidyReport report;
  Pass pass(rt, journal, observer, report);
  for (const FolderPlan& folder : PlanTidy(path, rt).folders) pass.Run(folder);
  return report;
}

}  // namespace torvane
