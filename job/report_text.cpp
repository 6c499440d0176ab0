#include "job/report_text.h"

#include <string_view>

#include "job/versions.h"
#include "resources/texts.h"
#include "runtime/text.h"

namespace torvane {
namespace {

constexpr char16_t kParagraph[] = u"\r\n\r\n";

Words Stop(std::u16string text) { return {std::move(text), Tone::kStop}; }
Words Warning(std::u16string text) { return {std::move(text), Tone::kWarning}; }
Words Info(std::u16string text) { return {std::move(text), Tone::kInformation}; }
Words Question(std::u16string text) { return {std::move(text), Tone::kQuestion}; }

// The tool's own reason for an error, said where the platform's message would stand;
// nothing for the platform's errors and for the reasons that read otherwise (LineOf).
std::u16string_view OwnReason(Why why) {
  switch (why) {
    case Why::kLinkedVTemp:
      return texts::kMsgLinkedVTemp;
    case Why::kLinkedFolder:
      return texts::kMsgLinkedFolder;
    case Why::kCopyDiffers:
      return texts::kMsgCopyDiffers;
    case Why::kMovedCopyDiffers:
      return texts::kMsgMovedCopyDiffers;
    case Why::kJournalSwapped:
      return texts::kMsgJournalSwapped;
    default:
      return {};
  }
}

// What went wrong: the tool's reason, else the platform's message.
std::u16string ErrorText(Why why, const Error& error) {
  const std::u16string_view own = OwnReason(why);
  return own.empty() ? error.description : std::u16string(own);
}

// The report's own file as a line, with why the work stopped there.
std::u16string StoppedAt(const Report& r) {
  Shortfall at(r.path, r.error);
  at.why = r.why;
  return LineOf(at);
}

// Each shortfall on a line of its own, after `text`.
std::u16string WithLines(std::u16string text, const std::vector<Shortfall>& lines) {
  for (const Shortfall& s : lines) text.append(kCrLf).append(LineOf(s));
  return text;
}

std::u16string SourcesMissing(const Report& r) {
  std::u16string text = texts::kMsgSourcesMissing;
  for (const Shortfall& s : r.problems) {
    text.append(kCrLf).append(s.path);
    if (s.error.kind == ErrorKind::kNotFound) {
      text += texts::kMsgSourceMissing;
    } else {
      text.append(texts::kMsgSourceUnreadable).append(ErrorText(s.why, s.error)).append(u"）");
    }
  }
  return text;
}

std::u16string ProgramsRunning(const Report& r) {
  std::u16string text = texts::kMsgProgramsRunning;
  for (const RunningProgram& p : r.programs) {
    text.append(kCrLf).append(p.name).append(texts::kMsgProcessOpen).append(Decimal(p.pid));
    text += texts::kMsgProcessClose;
  }
  return text.append(kParagraph).append(texts::kMsgNothingChanged);
}

// The first line says whether the game is as it was: only when every change was undone.
// Otherwise it says where the originals that could not go back are, and how to put them
// back from where the user is.
std::u16string SetRolledBack(const Report& r, Front front) {
  const bool undone = r.problems.empty();
  std::u16string text = undone ? texts::kMsgSetUnchanged : texts::kMsgSetNotUndone;
  if (!undone) {
    text += front == Front::kWindow ? texts::kMsgPutBackFromMenu : texts::kCliPutBackWithRestore;
  }
  text.append(kParagraph).append(texts::kMsgSetFailedAt).append(kCrLf);
  text.append(StoppedAt(r));
  if (undone) return text;
  return WithLines(text.append(kParagraph).append(texts::kMsgRollbackIncomplete), r.problems);
}

std::u16string TidyIncomplete(const Report& r) {
  std::u16string text = texts::kMsgTidyIncomplete;
  if (!r.problems.empty()) {
    text = WithLines(text.append(kParagraph).append(texts::kMsgNotMoved), r.problems);
  }
  if (!r.unread.empty()) {
    text = WithLines(text.append(kParagraph).append(texts::kMsgNotListed), r.unread);
  }
  return text;
}

std::u16string Recovered(const Recovery& r) {
  std::u16string text = texts::kMsgRecoveredHead + r.when;
  if (r.restore) {
    text += texts::kMsgRecoveredRestore;
  } else {
    text.append(texts::kMsgRecoveredJob).append(kCrLf);
    text.append(r.setPutBack ? texts::kMsgRecoveredSetBack : texts::kMsgRecoveredSetKept);
    text.append(kCrLf).append(texts::kMsgRecoveredMoves);
  }
  return WithLines(text.append(kCrLf).append(texts::kMsgRecoveredNothingLost), r.problems);
}

std::u16string AllRecovered(const Report& r) {
  std::u16string text;
  for (const Recovery& recovery : r.recovered) {
    if (!text.empty()) text += kParagraph;
    text += Recovered(recovery);
  }
  return text;
}

std::u16string RestoreQuestion(const Report& r) {
  return texts::kMsgRestoreAskHead + r.when + texts::kMsgRestoreAskFiles + Decimal(r.returned) +
         texts::kMsgRestoreAskRemove + Decimal(r.removed) + texts::kMsgRestoreAskTail;
}

// Megabytes as the system shows them; what is needed rounded up, what is free down, so
// that a refusal never reads as if the room were there.
std::u16string NoSpace(const Report& r) {
  constexpr std::uint64_t kMegabyte = 1 << 20;
  return texts::kMsgNoSpaceHead + r.path + texts::kMsgNoSpaceNeeds +
         Decimal((r.bytesNeeded + kMegabyte - 1) / kMegabyte) + texts::kMsgNoSpaceFree +
         Decimal(r.bytesFree / kMegabyte) + texts::kMsgNoSpaceTail + kParagraph +
         texts::kMsgNothingChanged;
}

std::u16string ElevationOffer(const Report& r) {
  return std::u16string(texts::kMsgNoRightsHead) + kCrLf + r.path + kParagraph +
         texts::kMsgNothingChanged + kCrLf + texts::kMsgOfferAdmin;
}

std::u16string JournalUnreadable(const Report& r) {
  return texts::kMsgJournalUnreadable + (kCrLf + r.path) + kCrLf + ErrorText(r.why, r.error);
}

// A journal that is not acted on: which, where in it, and what the user can do.
std::u16string JournalLine(std::u16string_view head, const Report& r) {
  return std::u16string(head) + kCrLf + r.path + kCrLf + texts::kMsgJournalLineHead +
         Decimal(r.line.number) + texts::kMsgJournalLineTail + r.line.text + kParagraph +
         texts::kMsgJournalWhatToDo;
}

// A version question: what was found, each file with its version, and the question.
Words VersionQuestion(std::u16string_view head, const Report& r, std::u16string_view ask) {
  std::u16string text(head);
  for (const auto& [path, version] : r.versions) {
    text.append(kCrLf).append(path).append(texts::kMsgVersionSeparator).append(version);
  }
  return Question(text.append(kParagraph).append(ask));
}

std::u16string VersionLine(std::u16string_view head, const FolderVersions& v) {
  std::u16string line(head);
  if (const std::optional<FileVersion> whole = v.Whole()) return line + VersionText(*whole);
  if (!v.war3 && !v.game) return line + texts::kInfoNoVersion;
  line.append(u"war3.exe ").append(v.war3 ? VersionText(*v.war3) : texts::kInfoNoVersion);
  line.append(u"，game.dll ").append(v.game ? VersionText(*v.game) : texts::kInfoNoVersion);
  return line;
}

// Where restores one after another would stop, and why.
std::u16string RestoreStop(const Report& r) {
  std::u16string text = texts::kInfoRestoreStops + (kCrLf + r.path);
  if (r.line.number > 0) {
    text.append(kCrLf).append(texts::kMsgJournalLineHead).append(Decimal(r.line.number));
    text.append(texts::kMsgJournalLineTail).append(r.line.text);
  } else if (r.finding == Finding::kLinkedVTemp) {
    text.append(kCrLf).append(texts::kMsgLinkedVTemp);
  } else if (const std::u16string error = ErrorText(r.why, r.error); !error.empty()) {
    text.append(kCrLf).append(texts::kMsgErrorPrefix).append(error);
  }
  return text;
}

}  // namespace

std::u16string LineOf(const Shortfall& s) {
  switch (s.why) {
    case Why::kNameTaken:
      return s.path + texts::kMsgNameTaken + s.keptAt;
    case Why::kGoneSince:
      return s.path + texts::kMsgGoneSince;
    case Why::kChangedSince:
      return s.path + texts::kMsgChangedSince;
    case Why::kUnplainName:
      return s.path + texts::kMsgUnplainName;
    case Why::kError:
    case Why::kLinkedVTemp:
    case Why::kLinkedFolder:
    case Why::kCopyDiffers:
    case Why::kMovedCopyDiffers:
    case Why::kJournalSwapped:
      break;
  }
  return s.path + u"  " + texts::kMsgErrorPrefix + ErrorText(s.why, s.error);
}

std::optional<Words> WordsOf(const Report& r, Front front) {
  switch (r.finding) {
    case Finding::kNoPath:
      return Stop(texts::kMsgNoPath);
    case Finding::kWildcards:
      return Stop(texts::kMsgWildcards);
    case Finding::kNotFullPath:
      return Stop(texts::kMsgNotFullPath);
    case Finding::kFolderMissing:
      return Stop(texts::kMsgFolderMissing + r.path + kCrLf + texts::kMsgCheckPath);
    case Finding::kDriveRoot:
      return Stop(texts::kMsgDriveRoot);
    case Finding::kWindowsFolder:
      return Stop(texts::kMsgWindowsFolder);
    case Finding::kNoWar3Mpq:
      return Stop(texts::kMsgNoWar3Mpq + r.path);
    case Finding::kLinkedVTemp:
      return Stop(texts::kMsgLinkedVTemp + (kCrLf + r.path));
    case Finding::kSourcesMissing:
      return Stop(SourcesMissing(r));
    case Finding::kProgramsRunning:
      return Warning(ProgramsRunning(r));
    case Finding::kNoRights:
      return Stop(WithLines(texts::kMsgCannotChange, r.problems)
                      .append(kParagraph)
                      .append(texts::kMsgNothingChanged));
    case Finding::kNoSpace:
      return Warning(NoSpace(r));
    case Finding::kElevationDeclined:
    case Finding::kRestarted:
    case Finding::kRestoreDeclined:
    case Finding::kVersionDeclined:
      return std::nullopt;
    case Finding::kRestartFailed:
      return Stop(std::u16string(texts::kMsgRestartFailed) + kCrLf + texts::kMsgErrorPrefix +
                  ErrorText(r.why, r.error));
    case Finding::kCannotMakeVTemp:
      return Stop(texts::kMsgCannotMakeVTemp + r.path + kCrLf + texts::kMsgErrorPrefix +
                  ErrorText(r.why, r.error));
    case Finding::kNoJournal:
      return Stop(texts::kMsgCannotMakeVTemp + r.path + kCrLf + StoppedAt(r));
    case Finding::kJournalUnreadable:
      return Stop(JournalUnreadable(r));
    case Finding::kJournalDamaged:
      return Stop(JournalLine(texts::kMsgJournalUnreadable, r));
    case Finding::kJournalRefused:
      return Stop(JournalLine(texts::kMsgJournalRefused, r));
    case Finding::kForeignJournal:
      return Stop(texts::kMsgForeignJournal + (kCrLf + r.path) + kParagraph +
                  texts::kMsgJournalWhatToDo);
    case Finding::kAnotherJob:
      return Stop(texts::kMsgAnotherJob);
    case Finding::kNoLock:
      return Stop(texts::kMsgCannotLock + (kCrLf + StoppedAt(r)));
    case Finding::kProbeFailed:
      return Warning(texts::kMsgProbeFailed);
    case Finding::kSetRolledBack:
      return Warning(SetRolledBack(r, front));
    case Finding::kSetNotCommitted:
      return Warning(texts::kMsgSetNotCommitted + (kCrLf + StoppedAt(r)));
    case Finding::kTidyIncomplete:
      return Warning(TidyIncomplete(r));
    case Finding::kDone:
      return Info(texts::kMsgDone);
    case Finding::kNothingToRestore:
      return Info(texts::kMsgNothingToRestore);
    case Finding::kRestored:
      return Info(texts::kMsgRestored + Decimal(r.returned) + texts::kMsgRestoredRemoved +
                  Decimal(r.removed) + texts::kMsgRestoredTail);
    case Finding::kRestoredPartly:
      return Warning(WithLines(texts::kMsgRestoredPartly, r.problems));
    case Finding::kRecovered:
      return Info(AllRecovered(r));
    case Finding::kRestoreQuestion:
      return Question(RestoreQuestion(r));
    case Finding::kElevationOffer:
      return Warning(ElevationOffer(r));
    case Finding::kVersionMismatch:
      return VersionQuestion(texts::kMsgVersionMismatch, r, texts::kMsgVersionGoOn);
    case Finding::kAlreadyPatched:
      return VersionQuestion(texts::kMsgAlreadyPatched, r, texts::kMsgAlreadyGoOn);
  }
  return std::nullopt;
}

std::u16string WaitingText(std::u16string_view file) {
  return texts::kStageWaiting + std::u16string(file) + u"…";
}

std::u16string GameInfoText(const GameInfo& info) {
  std::u16string text;
  if (!info.gameFolder.empty()) {
    text.append(texts::kInfoGameFolder).append(info.gameFolder).append(kCrLf);
    text.append(VersionLine(texts::kInfoGameVersion, info.game)).append(kCrLf);
  }
  text.append(texts::kInfoPatchFolder)
      .append(info.patchFolder.empty() ? texts::kInfoNoVersion : info.patchFolder)
      .append(kCrLf);
  text.append(VersionLine(texts::kInfoPatchVersion, info.patch));
  if (!info.gameFolder.empty()) {
    text.append(kCrLf).append(texts::kInfoRestorable).append(Decimal(info.restorable));
    text.append(texts::kInfoTimes);
    if (info.restorable > 0) {
      text.append(texts::kInfoNewest).append(info.newestRestorable).append(u"）");
    }
    if (info.restoreStop) text.append(kCrLf).append(RestoreStop(*info.restoreStop));
    for (const std::u16string& path : info.unfinished) {
      text.append(kCrLf).append(texts::kInfoUnfinished).append(path);
    }
    for (const std::u16string& path : info.unreadable) {
      text.append(kCrLf).append(texts::kInfoUnreadable).append(path);
    }
  }
  if (info.gameFolder.empty()) {
    text.append(kCrLf).append(info.installs.empty() ? texts::kInfoNoInstalls
                                                    : texts::kInfoInstalls);
    for (const RegisteredInstall& install : info.installs) {
      text.append(kCrLf).append(u"  ").append(install.folder).append(u"（").append(install.where);
      text.append(u"）");
    }
  }
  return text;
}

}  // namespace torvane
