#include "job/patch_job.h"

#include <vector>

#include "job/game_path.h"
#include "job/preflight.h"
#include "job/quarantine.h"
#include "job/recovery.h"
#include "job/safe_move.h"
#include "job/steps.h"
#include "job/version_set.h"
#include "resources/texts.h"
#include "runtime/text.h"

namespace torvane {
namespace {

constexpr std::u16string_view kExeName = u"war3.exe";
constexpr std::uint32_t kPauseMs = 1000;
constexpr char16_t kCrLf[] = u"\r\n";
constexpr char16_t kParagraph[] = u"\r\n\r\n";

void ShowError(Runtime& rt, const std::u16string& prompt, std::uint32_t icon) {
  (void)rt.MsgBox(prompt, kMbOk | icon, texts::kTitleError);
}

// All four replacements must be there before the first original is touched.
bool SourcesPresent(Runtime& rt, std::array<std::u16string, 4>& sources) {
  const Result<std::u16string> toolFolder = MyPath(rt);
  std::u16string missing;
  for (size_t i = 0; i < sources.size(); ++i) {
    const std::u16string relative = u"patch\\" + std::u16string(kVersionFileNames[i]);
    sources[i] = toolFolder.value_or(u"") + relative;
    const Result<std::uint32_t> attributes =
        toolFolder.ok() ? rt.GetAttr(sources[i]) : Result<std::uint32_t>(toolFolder.error());
    if (IsFile(attributes)) continue;
    missing += kCrLf + relative;
    if (attributes.ok() || attributes.Is(ErrorKind::kNotFound)) {
      missing += texts::kMsgSourceMissing;
    } else {
      missing += texts::kMsgSourceUnreadable + attributes.error().description + u"）";
    }
  }
  if (missing.empty()) return true;
  ShowError(rt, texts::kMsgSourcesMissing + missing, kMbIconStop);
  return false;
}

// Every original and the journal go to the game folder's vTemp, so it must exist before
// the first file is touched.
bool QuarantineReady(Runtime& rt, const std::u16string& quarantine) {
  const Status made = EnsureFolder(rt, quarantine);
  if (made.ok()) return true;
  ShowError(rt,
            texts::kMsgNoQuarantine + quarantine + kCrLf + texts::kMsgErrorPrefix +
                made.error().description,
            kMbIconStop);
  return false;
}

// A new journal for this job, after whatever an interrupted one left has been settled.
std::unique_ptr<Journal> StartJournal(Runtime& rt, const GamePath& g, JobObserver* observer) {
  if (!RecoverInterrupted(rt, g.folder, observer)) return nullptr;
  const Result<std::vector<std::u16string>> existing = ListJournals(rt, g.quarantine);
  const std::u16string path =
      NextJournalPath(g.quarantine, existing.value_or(std::vector<std::u16string>()));
  Result<std::unique_ptr<Journal>> journal = Journal::Open(rt, path, JournalDoc());
  Status begun =
      journal.ok() ? journal.value()->BeginSection(SectionKind::kJob, g.working) : journal.status();
  if (!begun.ok()) {
    ShowError(rt, texts::kMsgNoQuarantine + path + kCrLf + Problem(path, begun.error()),
              kMbIconStop);
    return nullptr;
  }
  return std::move(journal.value());
}

std::u16string SetFailureText(const SetFailure& failure, const UndoReport& undone) {
  std::u16string text = std::u16string(texts::kMsgSetUnchanged) + kParagraph +
                        texts::kMsgSetFailedAt + kCrLf + Problem(failure.path, failure.error);
  if (!undone.complete()) {
    text += std::u16string(kParagraph) + texts::kMsgRollbackIncomplete;
    for (const std::u16string& p : undone.problems) text += kCrLf + p;
  }
  return text;
}

std::u16string TidyText(const QuarantineReport& report) {
  std::u16string text = texts::kMsgTidyIncomplete;
  if (!report.notMoved.empty()) {
    text += std::u16string(kParagraph) + texts::kMsgNotMoved;
    for (const Failure& f : report.notMoved) text += kCrLf + Problem(f.path, f.error);
  }
  if (!report.notListed.empty()) {
    text += std::u16string(kParagraph) + texts::kMsgNotListed;
    for (const Failure& f : report.notListed) text += kCrLf + Problem(f.path, f.error);
  }
  return text;
}

void Report(JobObserver* observer, JobStage stage) {
  if (observer) observer->OnStage(stage);
}

// The set's change, or its undoing when any part failed. False when it was undone.
bool ReplaceVersionSet(Runtime& rt, Journal& journal, VersionSet& set, JobObserver* observer) {
  Report(observer, JobStage::kStaging);
  std::optional<SetFailure> failure = set.Stage();
  if (!failure) {
    rt.Sleep(kPauseMs);
    Report(observer, JobStage::kSwapping);
    failure = set.Swap();
  }
  if (!failure) return true;
  const UndoReport undone = set.RollBack();
  SkipOnFailure(journal.End(kEndRolledBack));
  ShowError(rt, SetFailureText(*failure, undone), kMbIconExclamation);
  return false;
}

}  // namespace

JobOutcome RunPatchJob(std::u16string_view pickerText, Runtime& rt, JobObserver* observer) {
  Report(observer, JobStage::kChecking);
  const std::optional<GamePath> g = CheckGamePath(pickerText, rt);
  std::array<std::u16string, 4> sources;
  if (!g || !SourcesPresent(rt, sources) || !PreflightPasses(pickerText, g->paths, rt) ||
      !QuarantineReady(rt, g->quarantine)) {
    return JobOutcome::kRefused;
  }
  const std::unique_ptr<Journal> journal = StartJournal(rt, *g, observer);
  if (!journal) return JobOutcome::kRefused;

  // msvcn80.dll goes first and alone; the look after the pause decides whether the job
  // may go on. It is part of the set: a failure further on brings it back too.
  VersionSet set(rt, *journal, g->paths, sources, g->quarantine);
  SkipOnFailure(journal->Mark("set-begin"));
  Report(observer, JobStage::kSettingAside);
  set.SetAsideMsvcn80();
  rt.Sleep(kPauseMs);
  const Result<std::uint32_t> survivor = rt.GetAttr(g->paths.msvcn80);
  if (IsFile(survivor) || (!survivor.ok() && !survivor.Is(ErrorKind::kNotFound))) {
    set.RollBack();  // nothing of the set has moved; this only makes sure
    SkipOnFailure(journal->End(kEndRolledBack));
    ShowError(rt, texts::kMsgProbeFailed, kMbIconExclamation);
    return JobOutcome::kPartial;
  }
  if (!ReplaceVersionSet(rt, *journal, set, observer)) return JobOutcome::kPartial;
  SkipOnFailure(journal->Mark("set-commit"));
  rt.Sleep(kPauseMs);

  Report(observer, JobStage::kTidying);
  std::u16string path = g->working;
  const QuarantineReport report = ClearRedundantFiles(path, rt, *journal, observer);
  rt.Sleep(kPauseMs);
  Report(observer, JobStage::kFinishing);
  SkipOnFailure(journal->End(report.complete() ? kEndDone : kEndPartial));
  if (report.complete()) {
    (void)rt.MsgBox(texts::kMsgDone, kMbOk | kMbIconInformation, texts::kTitleInfo);
    return JobOutcome::kDone;
  }
  ShowError(rt, TidyText(report), kMbIconExclamation);
  return JobOutcome::kPartial;
}

Result<std::u16string> QuarantineFolderOf(std::u16string_view pickerText, Runtime& rt) {
  const std::u16string working = LowerCase(Unquoted(pickerText));
  if (!Contains(working, kExeName)) return Error{ErrorKind::kBadPath, 0, texts::kMsgNoPath};
  const Result<std::u16string> resolved = rt.FullPath(working);
  if (!resolved.ok()) return resolved.error();
  return FolderOf(DeriveGamePaths(LowerCase(resolved.value())).versionFiles[2]) + u"vTemp";
}

}  // namespace torvane
