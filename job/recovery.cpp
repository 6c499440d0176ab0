#include "job/recovery.h"

#include <algorithm>

#include "job/confinement.h"
#include "job/steps.h"
#include "job/undo.h"
#include "job/version_set.h"
#include "runtime/text.h"

namespace torvane {
namespace {

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

// What a move without an outcome left at its two ends.
enum class MoveFound {
  kNeither,
  kDestinationOnly,
  kSourceOnly,
  // Both, holding the same bytes: a move across volumes cut between its copy and its
  // delete.
  kBothAlike,
  // Both, different, and a later step put a file under the source's name (a replacement
  // put in place): the move was made.
  kBothRetaken,
  // Both, different, and nothing took the source's name since: the move was never made,
  // its destination still held by a file that a move announced with it was to take away
  // first.
  kBothUnmoved,
};

// The move case of Settle, one row per finding: source there or not, destination there or
// not, and where both are, their bytes alike or not and what came after; the source's size
// then decides its attributes. `made`: the step is recorded as done.
// `dropCopy`: the destination is deleted where it is the source's twin with the recorded
// bytes (rule 6); when that proof holds and the delete fails, the move counts as made
// after all, so that a restore finds both and says so. `attributesBack`: where the move
// counts as not made, the attributes it cleared are set back on the source, and only when
// the source is still the file moved: one name, its recorded size (rule 11).
struct MoveRow {
  MoveFound found;
  bool made;
  bool dropCopy;
  bool attributesBack;
  bool gone;  // reported as gone since
};
// clang-format off
constexpr MoveRow kMoveTable[] = {
    // found                        made   dropCopy  attributesBack  gone
    {MoveFound::kNeither,           false, false,    false,          true},
    {MoveFound::kDestinationOnly,   true,  false,    false,          false},
    {MoveFound::kSourceOnly,        false, false,    true,           false},
    {MoveFound::kBothAlike,         false, true,     true,           false},
    {MoveFound::kBothRetaken,       true,  false,    false,          false},
    {MoveFound::kBothUnmoved,       false, false,    true,           false},
};
// clang-format on

MoveFound FindMove(Runtime& rt, const JournalDoc& doc, std::size_t index, bool from, bool to) {
  if (!from) return to ? MoveFound::kDestinationOnly : MoveFound::kNeither;
  if (!to) return MoveFound::kSourceOnly;
  const Step& step = doc.steps[index];
  if (SameBytes(rt, step.from, step.to)) return MoveFound::kBothAlike;
  return RetakenSince(doc, index) ? MoveFound::kBothRetaken : MoveFound::kBothUnmoved;
}

// Whether the move was made, after doing what its row of kMoveTable says.
bool SettleMove(Runtime& rt, Journal& journal, const JournalDoc& doc, std::size_t index, bool from,
                bool to, std::vector<Shortfall>& problems) {
  const Step& step = doc.steps[index];
  const MoveFound found = FindMove(rt, doc, index, from, to);
  const MoveRow& row = *std::find_if(std::begin(kMoveTable), std::end(kMoveTable),
                                     [&](const MoveRow& r) { return r.found == found; });
  bool made = row.made;
  if (row.gone) problems.push_back({step.from, Why::kGoneSince});
  if (row.dropCopy) {
    const Result<Deletion> dropped =
        DeleteWithProof(rt, journal, step.to, Twin{{step.size, step.sha256}, step.from}, 0);
    made = dropped.ok() && dropped.value().proven && !dropped.value().removed.ok();
  }
  if (!made && row.attributesBack && step.clearsAttributes &&
      IsMovedFile(rt, step.from, step.size)) {
    SkipOnFailure(rt.SetAttr(step.from, step.attributes & kKeptAttributes));
  }
  return made;
}

// What step `index` of `doc` left behind: made, not made, or (for a move) neither end
// there. The steps after it are settled already.
void Settle(Runtime& rt, Journal& journal, JournalDoc& doc, std::size_t index,
            std::vector<Shortfall>& problems) {
  Step& step = doc.steps[index];
  // rule 1: looked up, never assumed; a look that fails leaves it for the next recovery.
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
      happened = SettleMove(rt, journal, doc, index, from.value(), to.value(), problems);
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

// The section that was cut short: the last job or restore before any recovery (rule 7).
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
  // one whose every replacement was placed is whole, though its commit mark is missing
  // (rule 7).
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
  // rules 8, 4 and 5, in that order.
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
  const Result<std::vector<std::u16string>> journals = ListJournals(rt, g.vTemp);
  if (!journals.ok()) {
    outcome.stop = Report(Finding::kJournalUnreadable, g.vTemp, journals.error());
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
