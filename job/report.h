// What a job, a restore or a recovery tells the front end that runs it: what it found or
// how it ended, with the files that fell short, each with the tool's reason or the
// platform's error. The engine never shows anything itself and knows nothing of how it is
// shown: report_text.h gives a report's words and its tone, the window chooses a box from
// them, the command line its lines, and both take the exit code and JSON from the report.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "job/journal.h"
#include "runtime/runtime.h"

namespace torvane {

// Why a file was left where it is: the platform's error, or a reason of the tool's own.
enum class Why {
  kError,  // error: what the platform said
  kNameTaken,
  kGoneSince,
  kChangedSince,
  kUnplainName,
  kLinkedVTemp,       // a vTemp that is a link: nothing is moved through it
  kLinkedFolder,      // a folder that is a link: the tidy does not go into it
  kCopyDiffers,       // a staged replacement that read back unlike the patch folder's file
  kMovedCopyDiffers,  // a move to another drive whose copy read back unlike the file
  kJournalSwapped,    // a journal that is not the one read, or changed since
};

// The tool's reason for an error of a kind the tool finds itself; Why::kError for an error
// the platform reported.
Why WhyOf(const Error& error);

// One file or folder that the work could not handle as it meant to.
struct Shortfall {
  Shortfall(std::u16string path, Error error)
      : path(std::move(path)), error(std::move(error)), why(WhyOf(this->error)) {}
  Shortfall(std::u16string path, Why why, std::u16string keptAt = {})
      : path(std::move(path)), why(why), keptAt(std::move(keptAt)) {}

  std::u16string path;
  Error error;  // Why::kError: what the platform said
  Why why = Why::kError;
  std::u16string keptAt;  // Why::kNameTaken: where the file stays instead
};

enum class Finding {
  // Refused before anything was touched.
  kNoPath,
  kWildcards,
  kNotFullPath,
  kFolderMissing,  // path: the folder
  kDriveRoot,
  kWindowsFolder,
  kNoWar3Mpq,          // path: the folder
  kLinkedVTemp,        // path: the vTemp link
  kSourcesMissing,     // problems: the replacements, relative to the tool's folder
  kProgramsRunning,    // programs
  kNoRights,           // problems: what may not be written (the tool is elevated)
  kNoSpace,            // path: the game folder's drive; bytesNeeded, bytesFree
  kElevationDeclined,  // the user said No to starting as administrator; nothing more to say
  kRestarted,          // an elevated instance took over; nothing more to say
  kRestartFailed,      // error
  kCannotMakeVTemp,    // path, error
  kNoJournal,          // path: the new journal, error
  kJournalUnreadable,  // path: the journal, error
  kJournalDamaged,     // path: the journal, line: the line not understood
  kJournalRefused,     // path: the journal, line: a step naming what it may not
  kForeignJournal,     // path: an unfinished journal of another game folder
  kAnotherJob,         // another job or restore holds the game folder
  kNoLock,             // path: the lock file, error
  // How a job ended.
  kProbeFailed,      // msvcn80.dll stayed: nothing of the set was changed
  kSetRolledBack,    // path, error: where the set failed; problems: what could not be undone
  kSetNotCommitted,  // path, error: the journal that could not record the set as whole
  kTidyIncomplete,   // problems: files not moved; unread: folders not listed
  kDone,
  // How a restore ended.
  kNothingToRestore,
  kRestoreDeclined,  // the user said No; nothing more to say
  kRestored,         // returned, removed
  kRestoredPartly,   // problems
  // Told or asked on the way.
  kRecovered,        // recovered: interrupted work made whole, before the work goes on
  kRestoreQuestion,  // when, returned (files to put back), removed (replacements to remove)
  kElevationOffer,   // path: the first thing the tool may not write
  kVersionMismatch,  // versions: war3.exe and game.dll of the patch folder, which differ
  kAlreadyPatched,   // path: the game folder; versions: its files, as the patch folder's
  kVersionDeclined,  // the user said No to a version question; nothing more to say
};

// An earlier job or restore that was cut short, as a recovery found and settled it.
struct Recovery {
  std::u16string when;
  bool restore = false;     // the interrupted work was a restore
  bool setPutBack = false;  // a version set caught half-changed went back to the old one
  std::vector<Shortfall> problems;
};

struct Report {
  explicit Report(Finding finding = Finding::kDone) : finding(finding) {}
  // A finding about one file or folder, with the platform's error or the journal's line.
  Report(Finding finding, std::u16string path, Error error = {}, BadLine line = {})
      : finding(finding),
        path(std::move(path)),
        error(std::move(error)),
        why(WhyOf(this->error)),
        line(std::move(line)) {}
  // A finding about the file where the work stopped, and why.
  Report(Finding finding, const Shortfall& at)
      : finding(finding), path(at.path), error(at.error), why(at.why) {}

  Finding finding;
  std::u16string path;
  Error error;
  Why why = Why::kError;  // of the finding's file, with `error`
  std::vector<Shortfall> problems;
  std::vector<Shortfall> unread;
  std::vector<RunningProgram> programs;
  std::vector<Recovery> recovered;
  BadLine line;  // the journal's line a finding is about
  std::u16string when;
  // Files a version question names, each with its version ("1.24.4.6387").
  std::vector<std::pair<std::u16string, std::u16string>> versions;
  int returned = 0;
  int removed = 0;
  // The room the job needs on a drive, and what the drive offers.
  std::uint64_t bytesNeeded = 0;
  std::uint64_t bytesFree = 0;
  // Interrupted work was made whole before this ended: the folder changed even when the
  // work itself was refused.
  bool changedBefore = false;
};

// A value the work goes on with, or the report that stops it.
template <class T>
using Checked = std::variant<T, Report>;

// How it came out for the folder, which the command line's exit code says.
enum class Outcome {
  kDone,            // everything asked for was done
  kNothingChanged,  // refused, declined, or all of it undone: the folder is as it was
  kPartial,         // some of it was done; what was not is listed, nothing is lost
};
Outcome OutcomeOf(const Report& report);

}  // namespace torvane
