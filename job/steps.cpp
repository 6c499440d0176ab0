#include "job/steps.h"

#include "job/game_layout.h"
#include "job/safe_move.h"
#include "runtime/text.h"

namespace torvane {
namespace {

// Only attributes that differ are set: a file with other names (whose attributes the tidy
// could not clear) moves back as it is (rule 11).
Status SetAttributesBack(Runtime& rt, const Step& step) {
  const Result<std::uint32_t> now = rt.GetAttr(step.from);
  if (now.ok() && (now.value() & kKeptAttributes) == (step.newAttributes & kKeptAttributes)) {
    return Status();
  }
  return rt.SetAttr(step.from, step.newAttributes);
}

// Where a file without proof is kept: the vTemp beside it, or none when it lies in a vTemp
// already (there is no vTemp inside a vTemp). Paths the tool acts on spell the game folder
// lower-cased, as resolved, and its vTemp folders as game_layout.h does, so the text
// tells a vTemp from a game folder of that name.
std::optional<std::u16string> KeepingFolder(const std::u16string& path) {
  const std::u16string folder = FolderOf(path);
  if (IsVTemp(folder)) return std::nullopt;
  return VTempIn(folder);
}

Status Move(Runtime& rt, const Step& step) {
  if (step.newAttributes != 0) {
    if (Status set = SetAttributesBack(rt, step); !set.ok()) return set;
  }
  const bool clear = step.clearsAttributes && (step.attributes & kClearedAttributes) != 0;
  if (clear) SkipOnFailure(rt.SetAttr(step.from, kAttrNormal));
  Status moved =
      SafeMove(rt, step.from, step.to, step.durable ? Durability::kOnDisk : Durability::kCached);
  // It stays, so it keeps looking as it did: a hidden file stays hidden.
  if (!moved.ok() && clear) SkipOnFailure(rt.SetAttr(step.from, step.attributes & kKeptAttributes));
  return moved;
}

// Makes the change a step describes, without journaling it.
Status Apply(Runtime& rt, const Step& step) {
  switch (step.kind) {
    case StepKind::kMove:
      return Move(rt, step);
    case StepKind::kCopy:
      return rt.FileCopy(step.from, step.to);
    case StepKind::kDelete:
      // rule 6: a delete is made only by DeleteWithProof, after its proof.
      return Error{ErrorKind::kAccessDenied, 0, u"a delete without its proof"};
    case StepKind::kMkDir:
      return rt.MkDir(step.from);
    case StepKind::kRmDir:
      return rt.RmDir(step.from);
    case StepKind::kSetAttr:
      return rt.SetAttr(step.from, step.newAttributes);
  }
  return Error{ErrorKind::kOther, 0, {}};
}

Status Settled(Step& step, const Status& made) {
  step.state = made.ok() ? StepState::kDone : StepState::kFailed;
  if (!made.ok()) step.error = made.error().description;
  return made;
}

Status Make(Runtime& rt, Step& step) { return Settled(step, Apply(rt, step)); }

// Announces the step, makes it with `make` and records the outcome.
Status Journaled(Journal& journal, Step& step, const std::function<Status()>& make) {
  // rule 1: nothing is made before its step line is on the disk.
  if (Status announced = journal.Intend(step); !announced.ok()) return announced;
  const Status made = Settled(step, make());
  // Unrecorded, the outcome is still found by looking at the folder after a crash.
  SkipOnFailure(journal.Record(step));
  return made;
}

}  // namespace

Status Execute(Runtime& rt, Journal& journal, Step& step) {
  return Journaled(journal, step, [&] { return Apply(rt, step); });
}

std::vector<Result<CheckedCopy>> ExecuteCopies(Runtime& rt, Journal& journal,
                                               std::vector<Step>& copies) {
  std::vector<Step*> announced;
  std::vector<CopyOrder> orders;
  for (Step& copy : copies) {
    announced.push_back(&copy);
    orders.push_back({copy.from, copy.to});
  }
  if (Status written = journal.Intend(announced); !written.ok()) {
    return std::vector<Result<CheckedCopy>>(copies.size(), written.error());
  }
  std::vector<Result<CheckedCopy>> copied = rt.CopyAndDigestAll(orders);
  std::vector<const Step*> outcomes;
  for (std::size_t i = 0; i < copies.size(); ++i) {
    SkipOnFailure(Settled(copies[i], copied[i].status()));
    outcomes.push_back(&copies[i]);
  }
  // Unrecorded, the outcomes are still found by looking at the folder after a crash.
  SkipOnFailure(journal.Record(outcomes));
  return copied;
}

Status ExecuteInTurn(Runtime& rt, Journal& journal, std::vector<Step>& steps) {
  std::vector<Step*> announced;
  for (Step& step : steps) announced.push_back(&step);
  if (Status written = journal.Intend(announced); !written.ok()) return written;
  Status failed;
  std::vector<const Step*> outcomes;
  for (Step& step : steps) {
    // Not made: what it depends on did not happen.
    const Status made = failed.ok() ? Make(rt, step) : Settled(step, failed);
    if (failed.ok()) failed = made;
    outcomes.push_back(&step);
  }
  SkipOnFailure(journal.Record(outcomes));
  return failed;
}

Status ExecuteBatch(Runtime& rt, Journal& journal, std::vector<Step>& steps,
                    const std::function<void(const Step& step, const Status& made)>& made) {
  std::vector<Step*> announced;
  for (Step& step : steps) announced.push_back(&step);
  // rule 1
  if (Status written = journal.Intend(announced); !written.ok()) return written;
  std::vector<const Step*> outcomes;
  for (Step& step : steps) {
    made(step, Make(rt, step));
    outcomes.push_back(&step);
  }
  SkipOnFailure(journal.Record(outcomes));
  return Status();
}

Result<Deletion> DeleteWithProof(Runtime& rt, Journal& journal, const std::u16string& path,
                                 const Proof& proof, int undoes) {
  const Result<bool> proven = Proves(rt, proof, path);  // rule 6
  if (!proven.ok()) return proven.error();
  Deletion deletion;
  deletion.proven = proven.value();
  if (!deletion.proven) return deletion;
  Step remove = MakeStep(StepKind::kDelete, path, {}, undoes);
  remove.size = RecordedSize(proof);
  deletion.removed = Journaled(journal, remove, [&] {
    SkipOnFailure(rt.SetAttr(path, kAttrNormal));
    return rt.Delete(path);
  });
  return deletion;
}

Result<bool> Discard(Runtime& rt, Journal& journal, const std::u16string& path,
                     const FileDigest& recorded, const std::u16string& twin, int undoes) {
  const Result<Deletion> deleted = DeleteWithProof(rt, journal, path, Twin{recorded, twin}, undoes);
  if (!deleted.ok()) return deleted.error();
  if (deleted.value().proven) {
    if (!deleted.value().removed.ok()) return deleted.value().removed.error();
    return true;
  }
  // rule 6: kept in the vTemp of its own root, never in a vTemp inside a vTemp.
  const std::optional<std::u16string> keeping = KeepingFolder(path);
  if (!keeping) return false;
  const Result<std::u16string> keptAt = FreePathIn(rt, *keeping, NameOf(path));
  if (!keptAt.ok()) return keptAt.error();
  Step keep = MakeStep(StepKind::kMove, path, keptAt.value(), undoes);
  keep.size = recorded.size;
  keep.sha256 = recorded.sha256;
  if (Status kept = Execute(rt, journal, keep); !kept.ok()) return kept.error();
  return false;
}

Result<CopyFate> TakeAwayCopy(Runtime& rt, Journal& journal, const Step& copy, int undoes) {
  // rule 6: a half-made copy whose source may not be read is kept, never deleted.
  if (LowerCase(copy.to).ends_with(kStagedSuffix) && copy.from.empty()) {
    const Result<bool> kept = Discard(rt, journal, copy.to, {copy.size, {}}, {}, undoes);
    if (!kept.ok()) return kept.error();
    return CopyFate::kKept;
  }
  const Result<Deletion> deleted =
      DeleteWithProof(rt, journal, copy.to, OwnPartialCopy{copy.from, copy.size}, undoes);
  if (!deleted.ok()) return deleted.error();
  if (!deleted.value().proven) return CopyFate::kLeft;
  if (!deleted.value().removed.ok()) return deleted.value().removed.error();
  return CopyFate::kRemoved;
}

std::u16string SourceOfStaged(const std::vector<Step>& steps, const std::u16string& staged) {
  const std::u16string key = LowerCase(staged);
  for (const Step& s : steps) {
    if (s.kind == StepKind::kCopy && LowerCase(s.to) == key) return s.from;
  }
  return {};
}

}  // namespace torvane
