#include "job/recovery.h"

#include "job/steps.h"
#include "job/undo.h"
#include "job/version_set.h"
#include "resources/texts.h"

namespace torvane {
namespace {

bool SameBytes(Runtime& rt, const std::u16string& a, const std::u16string& b) {
  const Result<bool> same = rt.SameContent(a, b);
  return same.ok() && same.value();
}

// What a step left behind: made, not made, or (for a move) neither end there.
void Settle(Runtime& rt, Journal& journal, Step& step, std::vector<Shortfall>& problems) {
  const Result<bool> from = Exists(rt, step.from);
  const Result<bool> to = step.to.empty() ? Result<bool>(false) : Exists(rt, step.to);
  if (!from.ok() || !to.ok()) {
    problems.push_back({step.from, from.ok() ? to.error() : from.error()});
    return;
  }
  bool happened = false;
  switch (step.kind) {
    case StepKind::kMove:
      happened = to.value();
      if (from.value() && to.value() && SameBytes(rt, step.from, step.to)) {
        // A move across volumes stopped between its copy and its delete: the copy goes,
        // its twin stays. Both there and different: the move happened and its old name
        // has been taken since (a replacement put in place).
        Step cleanup = MakeStep(StepKind::kDelete, step.to);
        happened = !Execute(rt, journal, cleanup).ok();
      } else if (!from.value() && !to.value()) {
        problems.push_back({step.from, Why::kGoneSince});
      } else if (from.value() && step.clearsAttributes) {
        SkipOnFailure(rt.SetAttr(step.from, step.attributes & kKeptAttributes));
      }
      break;
    case StepKind::kCopy:
      // Whole or not, a copy without its confirmation is not trusted: it goes.
      if (to.value()) {
        Step cleanup = MakeStep(StepKind::kDelete, step.to);
        SkipOnFailure(Execute(rt, journal, cleanup));
      }
      break;
    case StepKind::kDelete:
    case StepKind::kRmDir:
      happened = !from.value();
      break;
    case StepKind::kMkDir:
      happened = from.value();
      break;
    case StepKind::kSetAttr: {
      const Result<std::uint32_t> now = rt.GetAttr(step.from);
      happened =
          now.ok() && (now.value() & kKeptAttributes) == (step.newAttributes & kKeptAttributes);
      break;
    }
  }
  step.state = happened ? StepState::kDone : StepState::kFailed;
  if (!happened) step.error = texts::kMsgInterrupted;
  SkipOnFailure(journal.Record(step));
}

// The section that was cut short: the last job or restore before any recovery.
std::size_t Interrupted(const JournalDoc& doc) {
  for (std::size_t i = doc.sections.size(); i-- > 0;) {
    if (doc.sections[i].kind != SectionKind::kRecovery) return i;
  }
  return doc.sections.size() - 1;
}

// Makes one journal whole.
Result<Recovery> Recover(Runtime& rt, const std::u16string& path, JournalDoc doc) {
  Result<std::unique_ptr<Journal>> opened = Journal::Reopen(rt, path, doc);
  if (!opened.ok()) return opened.error();
  Journal& journal = *opened.value();
  const std::size_t cutIndex = Interrupted(doc);
  const Section cut = doc.sections[cutIndex];
  if (Status s = journal.BeginSection(SectionKind::kRecovery, cut.subject); !s.ok()) {
    return s.error();
  }
  Recovery recovery{cut.time, cut.kind == SectionKind::kRestore, cut.setBegun && !cut.setCommitted,
                    SettlePending(rt, journal, doc)};
  // A set caught half-changed, either way, goes back to how it was before that section.
  UndoReport undone;
  if (recovery.setPutBack) {
    undone = Undo(rt, journal, doc.ActiveSetSteps(cutIndex));
  } else if (recovery.restore && cut.setCommitted) {
    undone = RemoveSetAsideReplacements(rt, journal, doc);
  }
  recovery.problems.insert(recovery.problems.end(), undone.problems.begin(), undone.problems.end());
  SkipOnFailure(
      journal.End(recovery.problems.empty() ? SectionEnd::kRecovered : SectionEnd::kPartial));
  return recovery;
}

Report Unreadable(const std::u16string& path, const Error& error) {
  Report report{Finding::kJournalUnreadable};
  report.path = path;
  report.error = error;
  return report;
}

}  // namespace

std::vector<Shortfall> SettlePending(Runtime& rt, Journal& journal, JournalDoc& doc) {
  std::vector<Shortfall> problems;
  for (Step& step : doc.steps) {
    if (step.state == StepState::kPending) Settle(rt, journal, step, problems);
  }
  return problems;
}

RecoveryOutcome RecoverInterrupted(Runtime& rt, const std::u16string& gameFolder, JobHost& host) {
  RecoveryOutcome outcome;
  const Result<std::vector<std::u16string>> journals = ListJournals(rt, gameFolder + u"vTemp");
  if (!journals.ok()) return outcome;  // no vTemp yet, or unreadable: nothing of ours to find
  Report told{Finding::kRecovered};
  for (const std::u16string& path : journals.value()) {
    const Result<JournalDoc> doc = ReadJournal(rt, path);
    if (!doc.ok()) {
      outcome.stop = Unreadable(path, doc.error());
      return outcome;
    }
    if (!doc.value().Unfinished() || !doc.value().Concerns(gameFolder)) continue;
    host.OnStage(JobStage::kRecovering);
    outcome.changed = true;
    Result<Recovery> recovered = Recover(rt, path, doc.value());
    if (!recovered.ok()) {
      outcome.stop = Unreadable(path, recovered.error());
      return outcome;
    }
    told.recovered.push_back(std::move(recovered.value()));
  }
  if (!told.recovered.empty()) host.Tell(told);
  return outcome;
}

}  // namespace torvane
