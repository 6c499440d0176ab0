#include "job/patch_job.h"

#include <array>
#include <memory>
#include <vector>

#include "job/game_layout.h"
#include "job/game_path.h"
#include "job/patient_runtime.h"
#include "job/preflight.h"
#include "job/recovery.h"
#include "job/roots.h"
#include "job/safe_move.h"
#include "job/tidy.h"
#include "job/version_set.h"
#include "job/versions.h"
#include "runtime/text.h"

namespace torvane {
namespace {

constexpr std::uint32_t kPauseMs = 1000;

// The four replacements, and the folder they are taken from.
struct Sources {
  std::array<std::u16string, 4> files;
  std::u16string folder;
};

// All four replacements must be there before the first original is touched.
Checked<Sources> FindSources(Runtime& rt, const std::u16string& patchFolder) {
  const Result<std::u16string> folder = PatchFolderOf(rt, patchFolder);
  Sources sources;
  sources.folder = WithoutTrailingBackslash(folder.value_or(u""));
  Report missing{Finding::kSourcesMissing};
  for (size_t i = 0; i < sources.files.size(); ++i) {
    sources.files[i] =
        WithTrailingBackslash(folder.value_or(u"")) + std::u16string(kVersionFileNames[i]);
    const Result<std::uint32_t> attributes =
        folder.ok() ? rt.GetAttr(sources.files[i]) : Result<std::uint32_t>(folder.error());
    if (IsFile(attributes)) continue;
    Error error = attributes.ok() ? Error{ErrorKind::kNotFound, 0, {}} : attributes.error();
    missing.problems.push_back(
        {std::u16string(kPatchFolder) + std::u16string(kVersionFileNames[i]), error});
  }
  if (!missing.problems.empty()) return missing;
  return sources;
}

// Every original and the journal go to the game folder's vTemp, so it must exist before
// the first file is touched.
std::optional<Report> VTempNotReady(Runtime& rt, const std::u16string& vTemp) {
  const Status made = EnsureFolder(rt, vTemp);
  if (made.ok()) return std::nullopt;
  return Report(Finding::kCannotMakeVTemp, vTemp, made.error());
}

// A new journal for this job, after whatever an interrupted one left has been settled.
Checked<std::unique_ptr<Journal>> StartJournal(Runtime& rt, const GamePath& g,
                                               const Sources& sources, const Reach& reach,
                                               JobHost& host, bool& changed) {
  RecoveryOutcome recovered = RecoverInterrupted(rt, g, reach, host);
  changed = recovered.changed;
  if (recovered.stop) return *recovered.stop;
  const Result<std::vector<std::u16string>> existing = ListJournals(rt, g.vTemp);
  if (!existing.ok()) return Report(Finding::kJournalUnreadable, g.vTemp, existing.error());
  const std::u16string path = NextJournalPath(g.vTemp, existing.value());
  Result<std::unique_ptr<Journal>> journal = Journal::Create(rt, path);
  const Status begun = journal.ok() ? journal.value()->BeginSection(SectionKind::kJob, g.working,
                                                                    g.identity, sources.folder)
                                    : journal.status();
  if (!begun.ok()) return Report(Finding::kNoJournal, path, begun.error());
  return std::move(journal.value());
}

class Job {
 public:
  Job(const JobRequest& request, Runtime& rt, JobHost& host, const GamePath& g, Journal& journal,
      const Sources& sources)
      : request_(request),
        rt_(rt),
        host_(host),
        g_(g),
        journal_(journal),
        set_(rt, journal, g.files, sources.files, g.vTemp) {}

  Report Run() {
    // Nothing of the set is touched unless its beginning is on record: a recovery puts
    // back only a set whose beginning it can read (rule 7).
    if (const Status begun = journal_.BeginSet(); !begun.ok()) {
      SkipOnFailure(journal_.End(SectionEnd::kRolledBack));
      return Report(Finding::kSetRolledBack, journal_.path(), begun.error());
    }
    // msvcn80.dll goes first and alone; the look after the pause decides whether the job
    // may go on. It is part of the set: a failure further on brings it back too.
    host_.OnStage(JobStage::kSettingAside);
    set_.SetAsideMsvcn80();
    Pause();
    const Result<std::uint32_t> survivor = rt_.GetAttr(g_.files.msvcn80);
    if (IsFile(survivor) || (!survivor.ok() && !survivor.Is(ErrorKind::kNotFound))) {
      set_.RollBack();  // nothing of the set has moved; this only makes sure
      SkipOnFailure(journal_.End(SectionEnd::kRolledBack));
      return Report{Finding::kProbeFailed};
    }
    if (std::optional<Report> rolledBack = ReplaceVersionSet()) return *rolledBack;
    // Written after the set's moves are on the disk (rule 13). Unrecorded, the commit still
    // shows: every staged replacement is recorded as placed, and a recovery keeps such a
    // set (JournalDoc::SetPlaced). Nothing more is done without a journal to record it in.
    if (const Status committed = journal_.CommitSet(); !committed.ok()) {
      return Report(Finding::kSetNotCommitted, journal_.path(), committed.error());
    }
    Pause();

    host_.OnStage(JobStage::kTidying);
    const TidyReport tidied = ClearRedundantFiles(g_.working, rt_, journal_, &host_);
    Pause();
    host_.OnStage(JobStage::kFinishing);
    SkipOnFailure(journal_.End(tidied.complete() ? SectionEnd::kDone : SectionEnd::kPartial));
    if (tidied.complete()) return Report{Finding::kDone};
    Report report{Finding::kTidyIncomplete};
    report.problems = tidied.notMoved;
    report.unread = tidied.notListed;
    return report;
  }

 private:
  void Pause() {
    if (request_.pauses) rt_.Sleep(kPauseMs);
  }

  // The set's change, or its undoing when any part failed, which ends the job. Nothing is
  // swapped in before everything is staged (rule 15).
  std::optional<Report> ReplaceVersionSet() {
    host_.OnStage(JobStage::kStaging);
    std::optional<Shortfall> failure = set_.Stage();
    if (!failure) {
      Pause();
      host_.OnStage(JobStage::kSwapping);
      failure = set_.Swap();
    }
    if (!failure) return std::nullopt;
    Report report(Finding::kSetRolledBack, *failure);
    report.problems = set_.RollBack().problems;
    SkipOnFailure(journal_.End(SectionEnd::kRolledBack));
    return report;
  }

  const JobRequest& request_;
  Runtime& rt_;
  JobHost& host_;
  const GamePath& g_;
  Journal& journal_;
  VersionSet set_;
};

Report PatchJob(const JobRequest& request, Runtime& rt, JobHost& host) {
  host.OnStage(JobStage::kChecking);
  const Checked<GamePath> checked = CheckGamePath(request.gamePath, rt);
  if (const Report* refused = std::get_if<Report>(&checked)) return *refused;
  const GamePath& g = std::get<GamePath>(checked);
  const Checked<Sources> sources = FindSources(rt, request.patchFolder);
  if (const Report* refused = std::get_if<Report>(&sources)) return *refused;
  const Sources& found = std::get<Sources>(sources);
  if (auto refused = PreflightRefusal(request.gamePath, g.files, rt, host)) return *refused;
  if (auto refused = SpaceRefusal(g.files, found.files, rt)) return *refused;
  // Asked only once the job could go on: a Yes is never followed by a refusal.
  if (auto declined = AskAboutVersions(rt, g, found.files, host)) return *declined;
  if (auto refused = VTempNotReady(rt, g.vTemp)) return *refused;
  // Held from here to the end, after the questions and the boxes: a vTemp swapped for a
  // link while they were open is found now, before the lock file is made in it.
  const Checked<std::unique_ptr<HeldRoots>> held = HeldRoots::Hold(rt, g);
  if (const Report* refused = std::get_if<Report>(&held)) return *refused;
  HeldRoots& roots = *std::get<std::unique_ptr<HeldRoots>>(held);
  const Checked<std::unique_ptr<HeldLock>> lock = LockGameFolder(roots, g);
  if (const Report* refused = std::get_if<Report>(&lock)) return *refused;

  bool recovered = false;
  const Reach reach{roots.linked(), WithTrailingBackslash(found.folder)};
  Checked<std::unique_ptr<Journal>> journal = StartJournal(roots, g, found, reach, host, recovered);
  Report report =
      std::holds_alternative<Report>(journal)
          ? std::get<Report>(journal)
          : Job(request, roots, host, g, *std::get<std::unique_ptr<Journal>>(journal), found).Run();
  report.changedBefore = recovered;
  return report;
}

}  // namespace

Result<std::u16string> PatchFolderOf(Runtime& rt, const std::u16string& given) {
  if (!given.empty()) return WithTrailingBackslash(given);
  const Result<std::u16string> tool = MyPath(rt);
  if (!tool.ok()) return tool;
  return tool.value() + std::u16string(kPatchFolder);
}

Report RunPatchJob(const JobRequest& request, Runtime& rt, JobHost& host) {
  PatientRuntime patient(rt, host);
  return PatchJob(request, patient, host);
}

}  // namespace torvane
