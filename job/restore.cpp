#include "job/restore.h"

#include <functional>
#include <optional>

#include "job/confinement.h"
#include "job/game_path.h"
#include "job/journal.h"
#include "job/patch_job.h"
#include "job/patient_runtime.h"
#include "job/recovery.h"
#include "job/roots.h"
#include "job/undo.h"
#include "job/version_set.h"

namespace torvane {
namespace {

struct LastJob {
  std::u16string path;
  JournalDoc doc;
  std::vector<Step> inEffect;
};

// The journals of the game folder newest first, as one restore after another takes them:
// `visit` hears of each job a restore would undo, its paths confined to the game folder,
// and says whether to go on. A journal on the way that cannot be read, or that names
// anything outside the folder, stops the walk: its report comes back.
std::optional<Report> VisitRestorableJobs(Runtime& rt, const GamePath& g, const Reach& reach,
                                          const std::function<bool(LastJob&)>& visit) {
  const Result<std::vector<std::u16string>> journals = ListJournals(rt, g.vTemp);
  if (!journals.ok()) return Report(Finding::kJournalUnreadable, g.vTemp, journals.error());
  GameFolderScope scope(rt, g, reach);
  for (auto path = journals.value().rbegin(); path != journals.value().rend(); ++path) {
    Result<JournalDoc> doc = ReadJournal(rt, *path);
    if (!doc.ok()) return Report(Finding::kJournalUnreadable, *path, doc.error());
    // rules 8, 4 and 5
    if (doc.value().bad) return Report(Finding::kJournalDamaged, *path, {}, *doc.value().bad);
    if (doc.value().Restored()) continue;
    if (scope.BelongingOf(doc.value()) != GameFolderScope::Belonging::kHere) continue;
    if (const std::optional<BadLine> outside = scope.Confine(doc.value())) {
      return Report(Finding::kJournalRefused, *path, {}, *outside);
    }
    std::vector<Step> inEffect = doc.value().InEffect();
    if (inEffect.empty()) continue;
    LastJob job{*path, std::move(doc.value()), std::move(inEffect)};
    if (!visit(job)) return std::nullopt;
  }
  return std::nullopt;
}

// The newest job that is not restored yet and still shows in the folder; nothing when
// there is none.
Checked<std::optional<LastJob>> FindLastJob(Runtime& rt, const GamePath& g, const Reach& reach) {
  std::optional<LastJob> last;
  const std::optional<Report> stop = VisitRestorableJobs(rt, g, reach, [&](LastJob& job) {
    last = std::move(job);
    return false;
  });
  if (stop) return *stop;
  return last;
}

// Without a vTemp there is no journal, so nothing to make whole or to restore. A vTemp
// that cannot be looked at may hold journals: the work goes on to find out why.
bool NoVTemp(Runtime& rt, const GamePath& g) {
  const Result<std::uint32_t> vTemp = rt.GetAttr(g.vTemp);
  return vTemp.Is(ErrorKind::kNotFound) || IsFile(vTemp);
}

// What a restore may read besides the game folder: the replacements' twins in the patch
// folder beside the program only.
Reach ReachOf(HeldRoots& roots) {
  return Reach{roots.linked(), PatchFolderOf(roots, {}).value_or(u"")};
}

Report Question(const LastJob& job) {
  Report question{Finding::kRestoreQuestion};
  for (const Step& s : job.inEffect) {
    if (s.kind != StepKind::kMove) continue;
    ++(s.placesReplacement ? question.removed : question.returned);
  }
  question.when = job.doc.sections.empty() ? u"" : job.doc.sections.front().time;
  return question;
}

// The tidied files first, one by one; then the version set as a whole; then whatever
// temporary copies of the set are left.
UndoReport RestoreAll(Runtime& rt, Journal& journal, const JournalDoc& doc, JobObserver& observer) {
  std::vector<Step> files, setMoves, setCopies;
  for (const Step& s : doc.InEffect()) {
    if (!s.inVersionSet) {
      files.push_back(s);
    } else {
      (s.kind == StepKind::kMove ? setMoves : setCopies).push_back(s);
    }
  }
  UndoReport report = RemoveSetAsideReplacements(rt, journal, doc);
  report.Add(Undo(rt, journal, files, doc.steps, &observer));
  const UndoReport set = RestoreVersionSet(rt, journal, setMoves, doc.steps);
  report.Add(set);
  if (set.complete()) report.Add(Undo(rt, journal, setCopies, doc.steps));
  return report;
}

Report Restore(Runtime& rt, const GamePath& g, const Reach& reach, JobHost& host) {
  const Checked<std::optional<LastJob>> found = FindLastJob(rt, g, reach);
  if (const Report* refused = std::get_if<Report>(&found)) return *refused;
  const std::optional<LastJob>& job = std::get<std::optional<LastJob>>(found);
  if (!job) return Report{Finding::kNothingToRestore};
  if (!host.Ask(Question(*job))) return Report{Finding::kRestoreDeclined};
  Result<std::unique_ptr<Journal>> journal = Journal::Reopen(rt, job->path, job->doc);
  const Status begun =
      journal.ok() ? journal.value()->BeginSection(SectionKind::kRestore, g.working, g.identity)
                   : journal.status();
  if (!begun.ok()) return Report(Finding::kJournalUnreadable, job->path, begun.error());
  host.OnStage(JobStage::kRestoring);
  // A step whose outcome never reached the journal is looked up in the folder first.
  JournalDoc doc = job->doc;
  UndoReport undone;
  undone.problems = SettlePending(rt, *journal.value(), doc);
  undone.Add(RestoreAll(rt, *journal.value(), doc, host));
  SkipOnFailure(journal.value()->End(undone.complete() ? SectionEnd::kRestored
                                                       : SectionEnd::kRestoredPartly));
  host.OnStage(JobStage::kFinishing);
  Report report{undone.complete() ? Finding::kRestored : Finding::kRestoredPartly};
  report.returned = undone.returned;
  report.removed = undone.removed;
  report.problems = std::move(undone.problems);
  return report;
}

Report RestoreLast(std::u16string_view gamePath, Runtime& rt, JobHost& host) {
  host.OnStage(JobStage::kChecking);
  const Checked<GamePath> checked = CheckGamePath(gamePath, rt);
  if (const Report* refused = std::get_if<Report>(&checked)) return *refused;
  const GamePath& g = std::get<GamePath>(checked);
  if (NoVTemp(rt, g)) return Report{Finding::kNothingToRestore};
  const Checked<std::unique_ptr<HeldRoots>> held = HeldRoots::Hold(rt, g);
  if (const Report* refused = std::get_if<Report>(&held)) return *refused;
  HeldRoots& roots = *std::get<std::unique_ptr<HeldRoots>>(held);
  const Checked<std::unique_ptr<HeldLock>> lock = LockGameFolder(roots, g);
  if (const Report* refused = std::get_if<Report>(&lock)) return *refused;
  const Reach reach = ReachOf(roots);
  const RecoveryOutcome recovered = RecoverInterrupted(roots, g, reach, host);
  Report report = recovered.stop ? *recovered.stop : Restore(roots, g, reach, host);
  report.changedBefore = recovered.changed;
  return report;
}

}  // namespace

RestoreOutlook LookAtRestores(Runtime& rt, const GamePath& g) {
  RestoreOutlook outlook;
  if (NoVTemp(rt, g)) return outlook;
  const Checked<std::unique_ptr<HeldRoots>> held = HeldRoots::Hold(rt, g);
  if (const Report* refused = std::get_if<Report>(&held)) {
    outlook.stop = *refused;
    return outlook;
  }
  HeldRoots& roots = *std::get<std::unique_ptr<HeldRoots>>(held);
  outlook.stop = VisitRestorableJobs(roots, g, ReachOf(roots), [&](const LastJob& job) {
    if (outlook.jobs++ == 0 && !job.doc.sections.empty()) {
      outlook.newest = job.doc.sections.front().time;
    }
    return true;
  });
  return outlook;
}

Report RunRestore(std::u16string_view gamePath, Runtime& rt, JobHost& host) {
  PatientRuntime patient(rt, host);
  return RestoreLast(gamePath, patient, host);
}

}  // namespace torvane
