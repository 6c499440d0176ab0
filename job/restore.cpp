#include "job/restore.h"

#include <optional>

#include "job/game_path.h"
#include "job/journal.h"
#include "job/recovery.h"
#include "job/undo.h"
#include "job/version_set.h"
#include "resources/texts.h"
#include "runtime/text.h"

namespace torvane {
namespace {

constexpr char16_t kCrLf[] = u"\r\n";
constexpr std::uint32_t kMbIconQuestion = 32;

std::u16string Number(std::size_t n) { return FromUtf8(std::to_string(n)); }

struct LastJob {
  std::u16string path;
  JournalDoc doc;
  std::vector<Step> inEffect;
};

// The newest job that is not restored yet and still shows in the folder.
std::optional<LastJob> FindLastJob(Runtime& rt, const GamePath& g) {
  const Result<std::vector<std::u16string>> journals = ListJournals(rt, g.quarantine);
  if (!journals.ok()) return std::nullopt;
  for (auto path = journals.value().rbegin(); path != journals.value().rend(); ++path) {
    Result<JournalDoc> doc = ReadJournal(rt, *path);
    if (!doc.ok() || doc.value().Restored() || !doc.value().Concerns(g.folder)) continue;
    std::vector<Step> inEffect = doc.value().InEffect();
    if (!inEffect.empty()) return LastJob{*path, std::move(doc.value()), std::move(inEffect)};
  }
  return std::nullopt;
}

std::u16string Question(const LastJob& job) {
  std::size_t back = 0, removed = 0;
  for (const Step& s : job.inEffect) {
    if (s.kind != StepKind::kMove) continue;
    ++(s.placesReplacement ? removed : back);
  }
  const std::u16string when = job.doc.sections.empty() ? u"" : job.doc.sections.front().time;
  return texts::kMsgRestoreAskHead + when + texts::kMsgRestoreAskFiles + Number(back) +
         texts::kMsgRestoreAskRemove + Number(removed) + texts::kMsgRestoreAskTail;
}

std::u16string Outcome(const UndoReport& report) {
  if (report.complete()) {
    return texts::kMsgRestored + Number(report.returned) + texts::kMsgRestoredRemoved +
           Number(report.removed) + texts::kMsgRestoredTail;
  }
  std::u16string text = texts::kMsgRestoredPartly;
  for (const std::u16string& p : report.problems) text += kCrLf + p;
  return text;
}

void Add(UndoReport& total, const UndoReport& part) {
  total.returned += part.returned;
  total.removed += part.removed;
  total.problems.insert(total.problems.end(), part.problems.begin(), part.problems.end());
}

// The tidied files first, one by one; then the version set as a whole; then whatever
// temporary copies of the set are left.
UndoReport RestoreAll(Runtime& rt, Journal& journal, const JournalDoc& doc, JobObserver* observer) {
  std::vector<Step> files, setMoves, setCopies;
  for (const Step& s : doc.InEffect()) {
    if (!s.inVersionSet) {
      files.push_back(s);
    } else {
      (s.kind == StepKind::kMove ? setMoves : setCopies).push_back(s);
    }
  }
  UndoReport report = RemoveSetAsideReplacements(rt, journal, doc);
  Add(report, Undo(rt, journal, files, observer));
  const UndoReport set = RestoreVersionSet(rt, journal, setMoves);
  Add(report, set);
  if (set.complete()) Add(report, Undo(rt, journal, setCopies));
  return report;
}

}  // namespace

JobOutcome RunRestore(std::u16string_view pickerText, Runtime& rt, JobObserver* observer) {
  if (observer) observer->OnStage(JobStage::kChecking);
  const std::optional<GamePath> g = CheckGamePath(pickerText, rt);
  if (!g || !RecoverInterrupted(rt, g->folder, observer)) return JobOutcome::kRefused;
  const std::optional<LastJob> job = FindLastJob(rt, *g);
  if (!job) {
    (void)rt.MsgBox(texts::kMsgNothingToRestore, kMbOk | kMbIconInformation, texts::kTitleInfo);
    return JobOutcome::kRefused;
  }
  if (rt.MsgBox(Question(*job), kMbYesNo | kMbIconQuestion | kMbDefButton2, texts::kTitleInfo) !=
      kIdYes) {
    return JobOutcome::kRefused;
  }
  Result<std::unique_ptr<Journal>> journal = Journal::Open(rt, job->path, job->doc);
  const Status begun = journal.ok()
                           ? journal.value()->BeginSection(SectionKind::kRestore, g->working)
                           : journal.status();
  if (!begun.ok()) {
    (void)rt.MsgBox(
        texts::kMsgJournalUnreadable + (kCrLf + job->path) + kCrLf + begun.error().description,
        kMbOk | kMbIconStop, texts::kTitleError);
    return JobOutcome::kRefused;
  }
  if (observer) observer->OnStage(JobStage::kRestoring);
  // A step whose outcome never reached the journal is looked up in the folder first.
  JournalDoc doc = job->doc;
  SettlePending(rt, *journal.value(), doc);
  const UndoReport report = RestoreAll(rt, *journal.value(), doc, observer);
  SkipOnFailure(journal.value()->End(report.complete() ? kEndRestored : kEndRestoredPartly));
  if (observer) observer->OnStage(JobStage::kFinishing);
  (void)rt.MsgBox(Outcome(report),
                  kMbOk | (report.complete() ? kMbIconInformation : kMbIconExclamation),
                  report.complete() ? texts::kTitleInfo : texts::kTitleError);
  return report.complete() ? JobOutcome::kDone : JobOutcome::kPartial;
}

}  // namespace torvane
