#include "job/version_set.h"

#include <set>

#include "job/game_layout.h"
#include "job/game_path.h"
#include "job/proof.h"
#include "job/safe_move.h"
#include "job/steps.h"
#include "runtime/text.h"

namespace torvane {
namespace {

// What stands in the way of putting the old set back; empty when nothing does.
std::vector<Shortfall> SetRestoreObstacles(Runtime& rt, const std::vector<Step>& moves) {
  std::vector<Shortfall> obstacles;
  std::set<std::u16string> freed;
  for (const Step& s : moves) {
    if (!s.placesReplacement) continue;
    freed.insert(LowerCase(s.to));
    const Result<FileDigest> digest = rt.Digest(s.to);
    if (!digest.ok()) {
      obstacles.push_back({s.to, digest.error()});
    } else if (digest.value().sha256 != s.sha256) {
      obstacles.push_back({s.to, Why::kChangedSince});
    }
  }
  for (const Step& s : moves) {
    if (s.placesReplacement) continue;
    const Result<std::uint32_t> kept = rt.GetAttr(s.to);
    if (!kept.ok()) obstacles.push_back({s.to, Why::kGoneSince});
    const Result<std::uint32_t> home = rt.GetAttr(s.from);
    if (home.ok() && !freed.count(LowerCase(s.from))) {
      obstacles.push_back({s.from, Why::kNameTaken, s.to});
    }
  }
  return obstacles;
}

// The source of the replacement a restore set aside: the copy that staged it. `steps`
// hold the job's placement of it and that copy.
std::u16string SourceOfAside(const std::vector<Step>& steps, const Step& aside) {
  for (const Step& s : steps) {
    if (s.id == aside.undoes && s.placesReplacement) return SourceOfStaged(steps, s.from);
  }
  return {};
}

// A replacement a restore moved out of the way goes for good, or into vTemp.
void RemoveAside(Runtime& rt, Journal& journal, const Step& aside, const std::u16string& source,
                 UndoReport& report) {
  // Not a reversal of the aside: the replacement stays out of the game folder. Deleted only
  // with proof (rule 6).
  const Result<bool> deleted =
      Discard(rt, journal, aside.to, {aside.size, aside.sha256}, source, 0);
  if (!deleted.ok()) {
    report.problems.push_back({aside.to, deleted.error()});
  } else if (deleted.value()) {
    ++report.removed;
  }
}

// The file as listed: its name spelled as on disk (so that an original goes back under
// exactly the name it had), its attributes and its size.
Result<DirEntry> Listed(Runtime& rt, const std::u16string& path) {
  const Result<std::vector<DirEntry>> listed = rt.List(path, kDirAllFiles);
  if (!listed.ok()) return listed.error();
  if (listed.value().empty()) return Error{ErrorKind::kNotFound, 2, path};
  return listed.value().front();
}

}  // namespace

UndoReport RestoreVersionSet(Runtime& rt, Journal& journal, const std::vector<Step>& setMoves,
                             const std::vector<Step>& history) {
  UndoReport report;
  report.problems = SetRestoreObstacles(rt, setMoves);
  if (!report.complete() || setMoves.empty()) return report;
  if (const Status begun = journal.BeginSet(); !begun.ok()) {  // rule 7
    report.problems.push_back({journal.path(), begun.error()});
    return report;
  }
  std::vector<Step> made;
  Status failed;
  for (auto s = setMoves.rbegin(); s != setMoves.rend() && failed.ok(); ++s) {
    Step back = MakeStep(StepKind::kMove, s->to, {}, s->id);
    back.size = s->size;
    back.sha256 = s->sha256;
    back.inVersionSet = true;
    back.durable = true;  // rule 13
    if (s->placesReplacement) {
      const Result<std::u16string> aside = FreePathIn(rt, WithoutTrailingBackslash(FolderOf(s->to)),
                                                      NameOf(s->to) + std::u16string(kAsideSuffix));
      if (!aside.ok()) {
        failed = aside.error();
        report.problems.push_back({s->to, aside.error()});
        break;
      }
      back.to = aside.value();
      back.setsReplacementAside = true;
    } else {
      back.to = s->from;
    }
    failed = Execute(rt, journal, back);
    if (back.state == StepState::kDone) made.push_back(back);
    if (!failed.ok()) report.problems.push_back({back.from, failed.error()});
  }
  if (!failed.ok()) {
    report.Add(Undo(rt, journal, made, history));
    return report;
  }
  if (const Status committed = journal.CommitSet(); !committed.ok()) {
    report.problems.push_back({journal.path(), committed.error()});
  }
  for (const Step& s : made) {
    if (s.setsReplacementAside) {
      RemoveAside(rt, journal, s, SourceOfAside(history, s), report);
    } else {
      ++report.returned;
    }
  }
  return report;
}

UndoReport RemoveSetAsideReplacements(Runtime& rt, Journal& journal, const JournalDoc& doc) {
  UndoReport report;
  for (const Step& s : doc.steps) {
    if (!s.setsReplacementAside || s.state != StepState::kDone) continue;
    if (rt.GetAttr(s.to).ok()) RemoveAside(rt, journal, s, SourceOfAside(doc.steps, s), report);
  }
  return report;
}

VersionSet::VersionSet(Runtime& rt, Journal& journal, const GameFiles& files,
                       const std::array<std::u16string, 4>& sources, std::u16string vTemp)
    : rt_(rt), journal_(journal), msvcn80_(files.msvcn80), vTemp_(std::move(vTemp)) {
  for (size_t i = 0; i < files_.size(); ++i) {
    files_[i].target = files.versionFiles[i];
    files_[i].source = sources[i];
  }
}

// The version set's moves are written through: the journal never gets ahead of them.
Step VersionSet::SetMove(Step step) {
  step.inVersionSet = true;
  step.durable = true;  // rule 13
  return step;
}

void VersionSet::Remember(const Step& step) {
  if (step.state == StepState::kDone) made_.push_back(step);
}

// An original is not hashed: only a replacement's digest is ever checked. A move of it
// cut short between its copy and its delete (across volumes) therefore keeps both files.
Result<Step> VersionSet::AsideOf(const std::u16string& path) {
  const Result<DirEntry> listed = Listed(rt_, path);
  if (!listed.ok()) return listed.error();
  const std::u16string original = FolderOf(path) + listed.value().name;
  const Result<std::u16string> keptAt = FreePathIn(rt_, vTemp_, NameOf(original));
  if (!keptAt.ok()) return keptAt.error();
  Step step = MakeStep(StepKind::kMove, original, keptAt.value());
  step.size = listed.value().size;
  step.attributes = listed.value().attributes;
  return SetMove(std::move(step));
}

void VersionSet::SetAsideMsvcn80() {
  if (!IsFile(rt_.GetAttr(msvcn80_))) return;
  Result<Step> aside = AsideOf(msvcn80_);
  SkipOnFailure(aside.ok() ? Execute(rt_, journal_, aside.value()) : aside.status());
  if (aside.ok()) Remember(aside.value());
}

std::optional<Shortfall> VersionSet::PlanCopy(File& file, std::vector<Step>& copies) {
  if (IsFile(rt_.GetAttr(file.target)) && SameBytes(rt_, file.target, file.source)) {
    file.inPlace = true;
    return std::nullopt;
  }
  const Result<DirEntry> source = Listed(rt_, file.source);
  if (!source.ok()) return Shortfall{file.source, source.error()};
  const std::u16string folder = WithoutTrailingBackslash(FolderOf(file.target));
  const Result<std::u16string> staged =
      FreePathIn(rt_, folder, NameOf(file.target) + std::u16string(kStagedSuffix));
  if (!staged.ok()) return Shortfall{file.target, staged.error()};
  file.staged = staged.value();
  Step copy = MakeStep(StepKind::kCopy, file.source, file.staged);
  copy.size = source.value().size;
  copy.inVersionSet = true;
  copies.push_back(std::move(copy));
  return std::nullopt;
}

std::optional<Shortfall> VersionSet::Stage() {
  std::vector<Step> copies;
  std::vector<File*> staging;  // the file each copy is for
  for (File& file : files_) {
    if (auto failure = PlanCopy(file, copies)) return failure;
    if (!file.inPlace) staging.push_back(&file);
  }
  if (copies.empty()) return std::nullopt;
  // Each copy is hashed as it is made and read back; it must hold what was read.
  const std::vector<Result<CheckedCopy>> copied = ExecuteCopies(rt_, journal_, copies);
  for (const Step& copy : copies) Remember(copy);
  for (std::size_t i = 0; i < copies.size(); ++i) {
    File& file = *staging[i];
    if (!copied[i].ok()) return Shortfall{file.target, copied[i].error()};
    if (!copied[i].value().readBackSame) {
      return Shortfall{file.target, Why::kCopyDiffers};
    }
    file.sha256 = copied[i].value().read.sha256;
    file.size = copied[i].value().read.size;
  }
  return std::nullopt;
}

std::optional<Shortfall> VersionSet::Swap() {
  std::vector<Step> moves;
  std::vector<const File*> swapping;  // the file each move is for
  for (const File& file : files_) {
    if (file.inPlace) continue;
    if (IsFile(rt_.GetAttr(file.target))) {
      Result<Step> aside = AsideOf(file.target);
      if (!aside.ok()) return Shortfall{file.target, aside.error()};
      moves.push_back(std::move(aside.value()));
      swapping.push_back(&file);
    }
    Step place = MakeStep(StepKind::kMove, file.staged, file.target);
    place.size = file.size;
    place.sha256 = file.sha256;
    place.placesReplacement = true;
    moves.push_back(SetMove(std::move(place)));
    swapping.push_back(&file);
  }
  if (moves.empty()) return std::nullopt;
  // Each original goes out and its replacement comes in, back to back, file after file.
  const Status swapped = ExecuteInTurn(rt_, journal_, moves);
  for (const Step& move : moves) Remember(move);
  if (swapped.ok()) return std::nullopt;
  std::size_t failed = 0;
  while (moves[failed].state == StepState::kDone) ++failed;
  return Shortfall{swapping[failed]->target, swapped.error()};
}

UndoReport VersionSet::RollBack() {
  UndoReport report = Undo(rt_, journal_, made_, made_);
  made_.clear();
  return report;
}

}  // namespace torvane
