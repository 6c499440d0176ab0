// The journal: a write-ahead record of every change a job or a restore makes to a game
// folder, one UTF-8 line per step, kept in the game folder's vTemp. Each change is
// announced by a "step" line before it is made and confirmed by "done" or "failed" after,
// every write flushed, so that after a crash the journal tells which changes happened,
// which did not, and which one was under way. The format is described in the README.
//
// What recovery and restore rely on, and the tests that hold each rule:
//  1. Write-ahead. A change is made only after its step line is on the disk; a step without
//     an outcome is looked up in the folder, never assumed, and one whose look fails is
//     looked up again. (Transaction.DyingAnywhere..., JournalFile.ALineCutShortByACrash...,
//     Recovery.ALookThatFails..., Recovery.AMoveWithoutAnOutcomeIsSettledByWhatItsTwoEndsHold)
//  2. New journals. A job writes a journal of its own, created where the name is free, never
//     over a file or through a link, never appended to another. (Recovery.AVTempThat...)
//  3. One at a time. A job or a restore holds vTemp\torvane.lock from before its recovery to
//     its end line; a second one is refused and changes nothing. (Recovery.AnotherJob...,
//     CliProgram.OneJobAtATimePerGameFolder)
//  4. Belonging. A journal is acted on only for the game folder whose identity its first
//     section records (older journals: the folder they name, looked up only when spelled
//     with a drive letter); an unfinished one of another
//     folder, or one that cannot be matched, stops the work. (Restore.AJournalOfAnother...,
//     CliProgram.AJournalIsKnownUnderAnotherSpellingOfItsFolder)
//  5. Confinement. Whether a path may be acted on is decided from its text alone, before any
//     file-system call names it: the game folder as spelled now, or as the journal's first
//     section (or a section recording this folder's identity) spelled it, then one plain
//     name (confinement.h: no device name, no wildcard) directly in the folder, its vTemp,
//     its audio folder or that folder's vTemp; it is then acted on as spelled now. Shares,
//     devices, extended-length forms and other drives are damage unless they are that
//     recorded spelling. A copy's source may be any file of the patch folder its section
//     recorded, kept as text. A journal with one step outside is not acted on at all, and
//     the tidy goes through no link. (UntrustedJournal.AStepNamingAnythingOutside...,
//     UntrustedJournal.ALinkOnTheWay...,
//     UntrustedJournal.TheSpellingAJournalRecorded..., IsPlainName.*)
//  6. Proof before deletion. Recovery and restore delete a file only when its bytes are the
//     recorded size and SHA-256 and a twin holds them under another identity, or when it is
//     the job's own half-made copy (proof.h); a replacement without that proof is kept in
//     vTemp. A twin or a copy's source is read only in the game folder's roots or the patch
//     folder of the running tool: a half-made copy whose source lies elsewhere is kept in
//     vTemp. A file is kept in the vTemp of its own root, never in a vTemp inside a vTemp.
//     DeleteWithProof (steps.h) is the one way a file is deleted.
//     (ProvenDeletion.*, UntrustedJournal.NothingIsDeletedWithoutProof..., Transaction.*,
//     UntrustedJournal.ProofNeverRestsOnAFileOutsideTheFolder,
//     UntrustedJournal.AFileWithoutProofInVTempStaysThere)
//  7. The set as a whole. Nothing of the version set is touched before "mark set-begin" is
//     written. A set begun and not committed is put back as a whole, unless every replacement
//     it staged was placed: then it is whole and new, only the commit mark is missing.
//     The section cut short is the last job or restore, not a recovery of it.
//     (Recovery.ASetCaughtHalfSwapped..., Recovery.ASetHalfChangedGoesBackEvenAfter...,
//     Recovery.MarksThatCannotBeWrittenStopTheJob)
//  8. Damage. A journal that cannot be read whole is never acted on: a finished one is
//     passed over by jobs and stops a restore that reaches it; an unfinished one stops the
//     work; either way the user is told which file and which line.
//     (UntrustedJournal.ADamaged...)
//  9. Held roots. From after the questions to the end line, a job or a restore holds the game
//     folder, vTemp, "redist", the audio folder and its vTemp (roots.h) as themselves and
//     without delete sharing, so none can be renamed or replaced by a link meanwhile. A
//     vTemp that is a link stops the work before the lock file is made; a step naming a root
//     that is a link, or lies behind one, is refused as outside. (Recovery.AVTempMadeALink...,
//     Recovery.NothingSwappedWhileTheRestoreAsks..., WinRuntime.AHeldFolderStays...,
//     scripts/linked-roots-test.sh)
// 10. The journal written on is the journal read: the same file by identity, of the size
//     read, with no other name (Journal::Reopen). (Recovery.NothingSwappedWhileTheRestore...)
// 11. Attributes belong to a file, not a name: they are set only on a file with one name,
//     and, settling a move, only on the file moved (its recorded size).
//     (WinRuntime.AHeldFolderStaysAndAFileWithTwoNames...,
//     Recovery.SettlingAMoveSetsAttributesOnlyOnTheFileMoved,
//     Recovery.AMoveWithoutAnOutcomeIsSettledByWhatItsTwoEndsHold)
// 12. Bounded cost. Step ids increase, so outcomes find their steps in time linear in the
//     journal whatever the ids; an id that does not increase and an outcome of no step are
//     damage. A journal may hold at most 1,024 steps proved by reading files (digests,
//     copies) and 1,024 without an outcome; a free name costs one listing.
//     (ParseJournal.RefusesIdsThatDoNotIncrease..., and `make bench`)
// 13. On the disk before the journal goes on. A staged replacement is flushed to the disk
//     (its own handle, after its last write) before its copy is recorded as done, so
//     before the first rename of the swap; the version set's moves, and the moves that put
//     it back, are written through before their outcome is recorded, so "mark set-commit"
//     follows them. A power cut at any point leaves no game file under its new name
//     without its bytes. (PowerCut.*, Durability.*, scripts/durability-test.sh)
// 14. Reversals of reversals. A step is out of effect once a later step that reverses it
//     (undoes=) is done and is itself in effect; a reversal that is reversed in turn puts
//     the step back in effect, and a reversal that failed takes nothing out. What a restore
//     undoes and what a recovery puts back follow from this alone.
//     (JournalDoc.AReversalOfAReversalPutsTheStepBackInEffect,
//     Transaction.DyingWhileRecoveringIsRecoveredInTurn)
// 15. Staged before placed. No replacement of the version set is put in place before every
//     replacement of the set is staged and checked, so one placed replacement means that
//     every staged one is on record: rule 7's "every replacement it staged was placed" is
//     read from the journal alone. (Recovery.ASetCaughtHalfSwapped...,
//     PowerCut.AtAnyOperationOfTheJob)
// Each place that enforces a rule says so ("rule 6").
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/runtime.h"

namespace torvane {

enum class StepKind { kMove, kCopy, kDelete, kMkDir, kRmDir, kSetAttr };
enum class StepState { kPending, kDone, kFailed };

struct Step {
  int id = 0;
  StepKind kind = StepKind::kMove;
  std::u16string from;  // the file or folder acted on
  std::u16string to;    // where a move or a copy goes
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;       // the file's attributes before the step
  bool clearsAttributes = false;      // a move that clears them first; its undo sets them back
  bool placesReplacement = false;     // a move that puts a replacement of the version set in place
  bool setsReplacementAside = false;  // a restore's move of a replacement out of the way
  std::uint32_t newAttributes = 0;    // what an attribute step sets
  std::string sha256;                 // the version set and its replacements
  int undoes = 0;                     // the step this one reverses
  bool inVersionSet = false;          // a change of the version set as a whole
  // Made on the disk before its outcome is recorded (a move written through): the version
  // set's moves, and moves that put them back. How, not what: never journaled.
  bool durable = false;
  std::size_t section = 0;  // index of the section it belongs to
  StepState state = StepState::kPending;
  std::u16string error;  // the platform's text, for a failed step
  int line = 0;          // where its step line stands in the journal read back
};

// Moves of the tidy and of a restore announced in one journal write: the journal is
// flushed twice per batch rather than twice per file, and a crash leaves at most this
// many moves to look up in the folder.
inline constexpr std::size_t kStepsPerWrite = 256;

// A step about to be announced; `undoes` names the step it reverses, if any.
Step MakeStep(StepKind kind, std::u16string from, std::u16string to = {}, int undoes = 0);

enum class SectionKind { kJob, kRecovery, kRestore };

// How a section ended, as its "end" line records it.
enum class SectionEnd { kDone, kPartial, kRolledBack, kRecovered, kRestored, kRestoredPartly };

struct Section {
  SectionKind kind = SectionKind::kJob;
  std::u16string time;
  std::u16string subject;              // the path of war3.exe the section acted for
  std::optional<FileIdentity> folder;  // the game folder's identity, where recorded
  std::u16string patchFolder;          // a job's: where its replacements came from
  bool setBegun = false;
  bool setCommitted = false;
  std::optional<SectionEnd> end;  // none while the section is unfinished
};

// A line of a journal that is not of its format, or that names what it may not.
struct BadLine {
  int number = 0;
  std::u16string text;
};

// A journal as read back.
struct JournalDoc {
  std::vector<Section> sections;
  std::vector<Step> steps;  // every step in order, with the outcome recorded for it
  bool endsWithTornLine = false;
  // The first line not understood, or the first step past what one journal may cost to
  // settle and undo. Nothing of such a journal is ever acted on; what was understood still
  // tells whether it is finished.
  std::optional<BadLine> bad;
  // The file it was read from (ReadJournal): only that file, unchanged, is written on.
  std::optional<FileFacts> file;

  bool Unfinished() const { return !sections.empty() && !sections.back().end; }
  // A restore of it put everything back. One that could not (a name taken since) leaves
  // the job to be restored again once the user has made room.
  bool Restored() const;
  // The job's own changes (not reversals) that are done and not reversed: what the
  // folder still shows of the jobs that made them.
  std::vector<Step> InEffect() const;
  // The version-set steps of one section, reversals included, that are done and not
  // reversed: what undoing that section's half-made set change must take back.
  std::vector<Step> ActiveSetSteps(std::size_t section) const;
  int LastId() const { return steps.empty() ? 0 : steps.back().id; }
  // Whether every replacement its version set staged in `section` was put in place: the
  // set is whole and new even where its commit mark could not be written.
  bool SetPlaced(std::size_t section) const;
};

// Reads a journal as it stands: a UTF-8 byte-order mark and CRLF line ends are taken as
// they come, a last line cut short by a crash is left out and flagged, and a line that is
// not of the format is noted in `bad`.
JournalDoc ParseJournal(std::string_view text);

// Appends to one journal file. Every write is flushed before the call returns.
class Journal {
 public:
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // A new journal under a name nothing holds yet, its first line written.
  static Result<std::unique_ptr<Journal>> Create(Runtime& rt, const std::u16string& path);
  // An existing journal, to write on after `doc`, what it holds. Refused unless the file
  // opened is the very file `doc` was read from (its identity), unchanged since (its size),
  // with no other name (one link): lines never go to a file swapped in under its name.
  static Result<std::unique_ptr<Journal>> Reopen(Runtime& rt, const std::u16string& path,
                                                 const JournalDoc& doc);

  const std::u16string& path() const { return path_; }
  // `subject` is the path of war3.exe; the folder's identity and the patch folder are
  // recorded where known.
  Status BeginSection(SectionKind kind, const std::u16string& subject,
                      const std::optional<FileIdentity>& folder,
                      const std::u16string& patchFolder = {});
  // The version set starts changing / is whole again.
  Status BeginSet();
  Status CommitSet();
  Status End(SectionEnd outcome);
  // Announces steps (numbering them) in one write, before any of them is made.
  Status Intend(std::vector<Step*> steps);
  Status Intend(Step& step) { return Intend(std::vector<Step*>{&step}); }
  // Records the outcome of announced steps. The lines ride along with the next write (or
  // go when the journal closes) instead of costing a flush of their own: a crash before
  // that leaves the steps without an outcome, and a recovery looks them up in the folder,
  // as it does for a step cut short. After a failed write they are written again, so an
  // outcome may stand twice.
  Status Record(const std::vector<const Step*>& steps);
  Status Record(const Step& step) { return Record(std::vector<const Step*>{&step}); }

 private:
  Journal(Runtime& rt, std::u16string path, std::unique_ptr<AppendFile> file, int lastId);
  Status Write(const std::string& lines);

  Runtime& rt_;
  std::u16string path_;
  std::unique_ptr<AppendFile> file_;
  int lastId_;
  std::string outcomes_;  // recorded outcomes not written yet
  // The last write failed, and may have put down part of a line.
  bool mayEndMidLine_ = false;
};

// The journals of a vTemp folder, oldest first, as full paths.
Result<std::vector<std::u16string>> ListJournals(Runtime& rt, const std::u16string& vTemp);
// The name the next job's journal gets.
std::u16string NextJournalPath(const std::u16string& vTemp,
                               const std::vector<std::u16string>& existing);
// Reads and parses one journal; fails when it cannot be read or is too large to be one.
Result<JournalDoc> ReadJournal(Runtime& rt, const std::u16string& path);

}  // namespace torvane
