#include "job/recovery.h"

#include "job/journal.h"
#include "job/undo.h"
#include "job/version_set.h"
#include "resources/texts.h"

namespace torvane {
namespace {

constexpr char16_t kCrLf[] = u"\r\n";

// The section that was cut short: the last job or restore before any recovery.
std::size_t Interrupted(const JournalDoc& doc) {
  for (std::size_t i = doc.sections.size(); i-- > 0;) {
    if (doc.sections[i].kind != SectionKind::kRecovery) return i;
  }
  return doc.sections.size() - 1;
}

// Makes one journal whole; returns what to tell the user about it.
Result<std::u16string> Recover(Runtime& rt, const std::u16string& path, JournalDoc doc) {
  Result<std::unique_ptr<Journal>> opened = Journal::Open(rt, path, doc);
  if (!opened.ok()) return opened.error();
  Journal& journal = *opened.value();
  const std::size_t cutIndex = Interrupted(doc);
  const Section cut = doc.sections[cutIndex];
  if (Status s = journal.BeginSection(SectionKind::kRecovery, cut.subject); !s.ok()) {
    return s.error();
  }
  Settled settled = SettlePending(rt, journal, doc);
  std::u16string told = texts::kMsgRecoveredHead + cut.time;
  std::vector<std::u16string> problems = std::move(settled.problems);
  // A set caught half-changed, either way, goes back to how it was before that section.
  if (cut.setBegun && !cut.setCommitted) {
    const UndoReport undone = Undo(rt, journal, doc.ActiveSetSteps(cutIndex));
    problems.insert(problems.end(), undone.problems.begin(), undone.problems.end());
  } else if (cut.kind == SectionKind::kRestore && cut.setCommitted) {
    const UndoReport removed = RemoveSetAsideReplacements(rt, journal, doc);
    problems.insert(problems.end(), removed.problems.begin(), removed.problems.end());
  }
  if (cut.kind == SectionKind::kRestore) {
    told += texts::kMsgRecoveredRestore;
  } else {
    told += texts::kMsgRecoveredJob;
    told += kCrLf + std::u16string(cut.setBegun && !cut.setCommitted ? texts::kMsgRecoveredSetBack
                                                                     : texts::kMsgRecoveredSetKept);
    told += kCrLf + std::u16string(texts::kMsgRecoveredMoves);
  }
  told += kCrLf + std::u16string(texts::kMsgRecoveredNothingLost);
  for (const std::u16string& p : problems) told += kCrLf + p;
  SkipOnFailure(journal.End(problems.empty() ? kEndRecovered : kEndPartial));
  return told;
}

}  // namespace

bool RecoverInterrupted(Runtime& rt, const std::u16string& gameFolder, JobObserver* observer) {
  const Result<std::vector<std::u16string>> journals = ListJournals(rt, gameFolder + u"vTemp");
  if (!journals.ok()) return true;  // no vTemp yet, or unreadable: nothing of ours to find
  std::u16string told;
  for (const std::u16string& path : journals.value()) {
    const Result<JournalDoc> doc = ReadJournal(rt, path);
    if (!doc.ok()) {
      (void)rt.MsgBox(
          texts::kMsgJournalUnreadable + (kCrLf + path) + kCrLf + doc.error().description,
          kMbOk | kMbIconStop, texts::kTitleError);
      return false;
    }
    if (!doc.value().Unfinished() || !doc.value().Concerns(gameFolder)) continue;
    if (observer) observer->OnStage(JobStage::kRecovering);
    const Result<std::u16string> recovered = Recover(rt, path, doc.value());
    if (!recovered.ok()) {
      (void)rt.MsgBox(
          texts::kMsgJournalUnreadable + (kCrLf + path) + kCrLf + recovered.error().description,
          kMbOk | kMbIconStop, texts::kTitleError);
      return false;
    }
    told += (told.empty() ? u"" : u"\r\n\r\n") + recovered.value();
  }
  if (!told.empty()) (void)rt.MsgBox(told, kMbOk | kMbIconInformation, texts::kTitleInfo);
  return true;
}

}  // namespace torvane
