#include "job/recovery.h"

#include <algorithm>

#include "job/confinement.h"
#include "job/proof.h"
#include "job/steps.h"
#include "job/undo.h"
#include "job/version_set.h"
#include "runtime/text.h"

namespace torvane {
namespace {

bool SameBytes(Runtime& rt, const std::u16string& a, const std::u16string& b) {
  const Result<bool> same = rt.SameContent(a, b);
  return same.ok() && same.value();
}

// Deletes a leftover of a half-made step, announced; false when it stays.
bool Remove(Runtime& rt, Journal& journal, const std::u16string& path) {
  Step cleanup = MakeStep(StepKind::kDelete, path);
  return Execute(rt, journal, cleanup).ok();
}

// The file at `path` is the one a move found there: the size it recorded. A file that has
// taken the name since keeps the attributes it has.
bool IsMovedFile(Runtime& rt, const std::u16string& path, std::uint64_t size) {
  const Result<std::vector<DirEntry>> listed = rt.List(path, kDirAllFiles);
  return listed.ok() && listed.value().size() == 1 && listed.value().front().size == size;
}

// Whether a step after `index` put a file under the name that step `index` moves away.
bool RetakenSince(const JournalDoc& doc, std::size_t index) {
  const std::u16string from = LowerCase(doc.steps[index].from);
  return std::any_of(doc.steps.begin() + static_cast<std::ptrdiff_t>(index) + 1, doc.steps.end(),
                     [&](const Step& s) {
                       return s.kind == StepKind::kMove && s.state == StepState::kDone &&
                              LowerCase(s.to) == from;
                     });
}

// What step `index` of `doc` left behind: made, not made, or (for a move) neither end
// there. The steps after it are settled already.
void Settle(Runtime& rt, Journal& journal, JournalDoc& doc, std::size_t index,
            std::vector<Shortfall>& problems) {
  Step& step = doc.steps[index];
  // A copy's source the tool may not read is empty (confinement.h): never looked up.
  const Result<bool> from = step.from.empty() ? Result<bool>(false) : Exists(rt, step.from);
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
        // A move across volumes stopped between its copy and its delete: the copy goes
        // where the journal proves its twin (a recorded digest), else both stay.
        happened = false;
        if (HasTwin(rt, step.to, {step.size, step.sha256}, step.from).value_or(false)) {
          happened = !Remove(rt, journal, step.to);
        }
      } else if (from.value() && to.value()) {
        // Both there and different: the move happened and a later step put a file under
        // its old name (a replacement put in place); or it never did, its destination
        // still held by a file that a move announced with it was to take away first.
        happened = RetakenSince(doc, index);
      } else if (!from.value() && !to.value()) {
        problems.push_back({step.from, Why::kGoneSince});
      }
      if (!happened && from.value() && step.clearsAttributes &&
          IsMovedFile(rt, step.from, step.size)) {
        SkipOnFailure(rt.SetAttr(step.from, step.attributes & kKeptAttributes));
      }
      break;
    case StepKind::kCopy:
      // Whole or not, a copy without its confirmation is not trusted: it goes, as long as
      // it is the tool's own copy in the making.
      if (to.value()) {
        const Result<CopyFate> fate = TakeAwayCopy(rt, journal, step, 0);
        if (!fate.ok()) {
          problems.push_back({step.to, fate.error()});
        } else if (fate.value() == CopyFate::kLeft) {
          problems.push_back({step.to, Why::kChangedSince});
        }
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
  // Not made, and no system message to say why: the failed line carries none.
  step.state = happened ? StepState::kDone : StepState::kFailed;
  SkipOnFailure(journal.Record(step));
}

// The section that was cut short: the last job or restore before any recovery.
std::size_t Interrupted(const JournalDoc& doc) {
  for (std::size_t i = doc.sections.size(); i-- > 0;) {
    if (doc.sections[i].kind != SectionKind::kRecovery) return i;
  }
  return doc.sections.size() - 1;
}

// Makes one journal whole; its paths are confined to the game folder already.
Result<Recovery> Recover(Runtime& rt, const GamePath& g, const std::u16string& path,
                         JournalDoc doc) {
  Result<std::unique_ptr<Journal>> opened = Journal::Reopen(rt, path, doc);
  if (!opened.ok()) return opened.error();
  Journal& journal = *opened.value();
  const std::size_t cutIndex = Interrupted(doc);
  const Section cut = doc.sections[cutIndex];
  // Under the spelling its steps use, which may not be the one the work cut short used.
  if (Status s = journal.BeginSection(SectionKind::kRecovery, g.working, g.identity); !s.ok()) {
    return s.error();
  }
  Recovery recovery;
  recovery.when = cut.time;
  recovery.restore = cut.kind == SectionKind::kRestore;
  recovery.problems = SettlePending(rt, journal, doc);
  // A set caught half-changed, either way, goes back to how it was before that section;
  // one whose every replacement was placed is whole, though its commit mark is missing.
  recovery.setPutBack = cut.setBegun && !cut.setCommitted && !doc.SetPlaced(cutIndex);
  UndoReport undone;
  if (recovery.setPutBack) {
    undone = Undo(rt, journal, doc.ActiveSetSteps(cutIndex), doc.steps);
  } else if (recovery.restore && cut.setCommitted) {
    undone = RemoveSetAsideReplacements(rt, journal, doc);
  }
  recovery.problems.insert(recovery.problems.end(), undone.problems.begin(), undone.problems.end());
  SkipOnFailure(
      journal.End(recovery.problems.empty() ? SectionEnd::kRecovered : SectionEnd::kPartial));
  return recovery;
}

// Why an unfinished journal may not be acted on; nothing when it may. Its paths are
// rewritten onto the game folder as spelled now.
std::optional<Report> Refusal(GameFolderScope& scope, const std::u16string& path, JournalDoc& doc) {
  if (doc.bad) return Report(Finding::kJournalDamaged, path, {}, *doc.bad);
  if (scope.BelongingOf(doc) != GameFolderScope::Belonging::kHere) {
    return Report(Finding::kForeignJournal, path);
  }
  if (const std::optional<BadLine> outside = scope.Confine(doc)) {
    return Report(Finding::kJournalRefused, path, {}, *outside);
  }
  return std::nullopt;
}

}  // namespace

std::vector<Shortfall> SettlePending(Runtime& rt, Journal& journal, JournalDoc& doc) {
  std::vector<Shortfall> problems;
  // Newest first: whether a move happened can depend on what came after it.
  for (std::size_t i = doc.steps.size(); i-- > 0;) {
    if (doc.steps[i].state == StepState::kPending) Settle(rt, journal, doc, i, problems);
  }
  return problems;
}

RecoveryOutcome RecoverInterrupted(Runtime& rt, const GamePath& g, const Reach& reach,
                                   JobHost& host) {
  RecoveryOutcome outcome;
  const Result<std::vector<std::u16string>> journals = ListJournals(rt, g.quarantine);
  if (!journals.ok()) {
    outcome.stop = Report(Finding::kJournalUnreadable, g.quarantine, journals.error());
    return outcome;
  }
  GameFolderScope scope(rt, g, reach);
  Report told{Finding::kRecovered};
  for (const std::u16string& path : journals.value()) {
    Result<JournalDoc> doc = ReadJournal(rt, path);
    if (!doc.ok()) {
      outcome.stop = Report(Finding::kJournalUnreadable, path, doc.error());
      return outcome;
    }
    // A finished journal, readable or not, is history: nothing to make whole.
    if (!doc.value().Unfinished()) continue;
    if ((outcome.stop = Refusal(scope, path, doc.value()))) return outcome;
    host.OnStage(JobStage::kRecovering);
    outcome.changed = true;
    Result<Recovery> recovered = Recover(rt, g, path, std::move(doc.value()));
    if (!recovered.ok()) {
      outcome.stop = Report(Finding::kJournalUnreadable, path, recovered.error());
      return outcome;
    }
    told.recovered.push_back(std::move(recovered.value()));
  }
  if (!told.recovered.empty()) host.Tell(told);
  return outcome;
}

}  // namespace torvane
