#include "app/recovery.h"

#include <algorithm>

#include "app/journal.h"
#include "app/undo.h"
#include "resources/texts.h"

namespace torvane {
namespace {

constexpr char16_t kCrLf[] = u"\r\n";

// The section that was cut short: the last job or restore before any recovery.
const Section& Interrupted(const JournalDoc& doc) {
  const auto found = std::find_if(doc.sections.rbegin(), doc.sections.rend(),
                                  [](const Section& s) { return s.kind != SectionKind::kRecovery; });
  return found == doc.sections.rend() ? doc.sections.back() : *found;
}

// Makes one journal whole; returns what to tell the user about it.
Result<std::u16string> Recover(Runtime& rt, const std::u16string& path, JournalDoc doc) {
  Result<std::unique_ptr<Journal>> opened = Journal::Open(rt, path, doc);
  if (!opened.ok()) return opened.error();
  Journal& journal = *opened.value();
  const Section cut = Interrupted(doc);
  if (Status s = journal.BeginSection(SectionKind::kRecovery, cut.subject); !s.ok()) {
    return s.error();
  }
  Settled settled = SettlePending(rt, journal, doc);
  std::u16string told = texts::kMsgRecoveredHead + cut.time;
  std::vector<std::u16string> problems = std::move(settled.problems);
  if (cut.kind == SectionKind::kRestore) {
    told += texts::kMsgRecoveredRestore;
  } else {
    told += texts::kMsgRecoveredJob;
    if (cut.setBegun && !cut.setCommitted) {
      std::vector<Step> set = doc.InEffect();
      std::erase_if(set, [](const Step& s) { return !s.inVersionSet; });
      const UndoReport undone = Undo(rt, journal, set);
      problems.insert(problems.end(), undone.problems.begin(), undone.problems.end());
      told += kCrLf + std::u16string(texts::kMsgRecoveredSetBack);
    } else {
      told += kCrLf + std::u16string(texts::kMsgRecoveredSetKept);
    }
    told += kCrLf + std::u16string(texts::kMsgRecoveredMoves);
  }
  told += kCrLf + std::u16string(texts::kMsgRecoveredNothingLost);
  for (const std::u16string& p : problems) told += kCrLf + p;
  SkipOnFailure(journal.End(problems.empty() ? kEndRecovered : kEndPartial));
  return told;
}

}  // namespace

bool RecoverInterrupted(Runtime& rt, const std::u16string& quarantine, JobObserver* observer) {
  const Result<std::vector<std::u16string>> journals = ListJournals(rt, quarantine);
  if (!journals.ok()) return true;  // no vTemp yet, or unreadable: nothing of ours to find
  std::u16string told;
  for (const std::u16string& path : journals.value()) {
    const Result<JournalDoc> doc = ReadJournal(rt, path);
    if (!doc.ok()) {
      (void)rt.MsgBox(texts::kMsgJournalUnreadable + (kCrLf + path) + kCrLf +
                          doc.error().description,
                      kMbOk | kMbIconStop, texts::kTitleError);
      return false;
    }
    if (!doc.value().Unfinished()) continue;
    if (observer) observer->OnStage(JobStage::kRecovering);
    const Result<std::u16string> recovered = Recover(rt, path, doc.value());
    if (!recovered.ok()) {
      (void)rt.MsgBox(texts::kMsgJournalUnreadable + (kCrLf + path) + kCrLf +
                          recovered.error().description,
                      kMbOk | kMbIconStop, texts::kTitleError);
      return false;
    }
    told += (told.empty() ? u"" : u"\r\n\r\n") + recovered.value();
  }
  if (!told.empty()) (void)rt.MsgBox(told, kMbOk | kMbIconInformation, texts::kTitleInfo);
  return true;
}

}  // namespace torvane
