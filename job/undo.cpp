#include "job/undo.h"

#include <functional>

#include "job/steps.h"
#include "resources/texts.h"

namespace torvane {
namespace {

constexpr std::uint32_t kEverything =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrVolume | kAttrFolder;

class Reverser {
 public:
  Reverser(Runtime& rt, Journal& journal, UndoReport& report, std::function<void()> progress)
      : rt_(rt), journal_(journal), report_(report), progress_(std::move(progress)) {}

  // Reverses `steps`, newest first; moves back go in batches.
  void ReverseAll(const std::vector<Step>& steps) {
    std::vector<const Step*> moves;
    const auto moveBack = [&] {
      if (!moves.empty()) MoveBack(moves);
      moves.clear();
    };
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
      if (step->kind == StepKind::kMove && !step->placesReplacement) {
        moves.push_back(&*step);
        if (moves.size() == kStepsPerWrite) moveBack();
        continue;
      }
      moveBack();
      Reverse(*step);
      if (progress_) progress_();
    }
    moveBack();
  }

 private:
  void Reverse(const Step& step) {
    switch (step.kind) {
      case StepKind::kMove:
        return RemoveReplacement(step);
      case StepKind::kCopy:
        return RemoveCopy(step);
      case StepKind::kMkDir:
        return RemoveFolder(step);
      case StepKind::kDelete:
      case StepKind::kRmDir:
      case StepKind::kSetAttr:
        return;  // nothing of the user's to put back
    }
  }

  // false (and the problem noted) when it cannot be known.
  bool There(const std::u16string& path, bool& there) {
    const Result<bool> exists = Exists(rt_, path);
    if (!exists.ok()) report_.problems.push_back(Problem(path, exists.error()));
    there = exists.value_or(false);
    return exists.ok();
  }

  // Moves files back under their own names, announced together: a taken name fails the
  // rename itself, so nothing is ever overwritten and nothing needs asking first.
  void MoveBack(const std::vector<const Step*>& moves) {
    std::vector<Step> backs;
    for (const Step* step : moves) {
      Step back = MakeStep(StepKind::kMove, step->to, step->from, step->id);
      back.size = step->size;
      // A rename keeps attributes: where the move cleared them (read-only, hidden or
      // system, and with them the archive bit), all of them are set again first.
      if (step->clearsAttributes && (step->attributes & kClearedAttributes) != 0) {
        back.newAttributes = step->attributes & kKeptAttributes;
      }
      backs.push_back(std::move(back));
    }
    std::vector<Step*> announced;
    for (Step& back : backs) announced.push_back(&back);
    if (const Status written = journal_.Intend(announced); !written.ok()) {
      for (const Step& back : backs)
        report_.problems.push_back(Problem(back.from, written.error()));
      return;
    }
    std::vector<const Step*> outcomes;
    for (Step& back : backs) {
      const Status moved = Apply(rt_, back);
      back.state = moved.ok() ? StepState::kDone : StepState::kFailed;
      if (!moved.ok()) back.error = moved.error().description;
      outcomes.push_back(&back);
      Tell(back, moved);
      if (progress_) progress_();
    }
    SkipOnFailure(journal_.Record(outcomes));
  }

  void Tell(const Step& back, const Status& moved) {
    if (moved.ok()) {
      ++report_.returned;
    } else if (moved.Is(ErrorKind::kAlreadyExists)) {
      report_.problems.push_back(back.to + texts::kMsgNameTaken + back.from);
    } else if (!moved.Is(ErrorKind::kNotFound)) {
      report_.problems.push_back(Problem(back.from, moved.error()));
    } else if (!Exists(rt_, back.to).value_or(false)) {
      // Not where it was kept, and not back home either (home: an earlier restore).
      report_.problems.push_back(back.from + texts::kMsgGoneSince);
    }
  }

  // Only an empty folder goes; one that holds anything stays, as intended.
  void RemoveFolder(const Step& step) {
    Step rmdir = MakeStep(StepKind::kRmDir, step.from, {}, step.id);
    const Status removed = Execute(rt_, journal_, rmdir);
    if (removed.ok() || rt_.GetAttr(step.from).Is(ErrorKind::kNotFound)) return;
    const Result<std::u16string> inside = rt_.Dir(step.from + u"\\", kEverything);
    if (!inside.ok() || inside.value().empty()) {
      report_.problems.push_back(Problem(step.from, removed.error()));
    }
  }

  // A replacement goes only while it is exactly what this tool wrote.
  void RemoveReplacement(const Step& step) {
    bool there = false;
    if (!There(step.to, there) || !there) return;
    const Result<FileDigest> digest = rt_.Digest(step.to);
    if (!digest.ok()) {
      report_.problems.push_back(Problem(step.to, digest.error()));
      return;
    }
    if (digest.value().sha256 != step.sha256) {
      report_.problems.push_back(step.to + texts::kMsgChangedSince);
      return;
    }
    Delete(step.to, step.id, step.size);
  }

  // A temporary copy of this tool's own, whatever it holds now.
  void RemoveCopy(const Step& step) {
    bool there = false;
    if (There(step.to, there) && there) Delete(step.to, step.id, step.size);
  }

  void Delete(const std::u16string& path, int undoes, std::uint64_t size) {
    Step remove = MakeStep(StepKind::kDelete, path, {}, undoes);
    remove.size = size;
    SkipOnFailure(rt_.SetAttr(path, kAttrNormal));
    if (const Status removed = Execute(rt_, journal_, remove); !removed.ok()) {
      report_.problems.push_back(Problem(path, removed.error()));
      return;
    }
    ++report_.removed;
  }

  Runtime& rt_;
  Journal& journal_;
  UndoReport& report_;
  std::function<void()> progress_;
};

bool SameBytes(Runtime& rt, const std::u16string& a, const std::u16string& b) {
  const Result<bool> same = rt.SameContent(a, b);
  return same.ok() && same.value();
}

// What a step left behind: made, not made, or (for a move) neither end there.
void Settle(Runtime& rt, Journal& journal, Step& step, Settled& settled) {
  const Result<bool> from = Exists(rt, step.from);
  const Result<bool> to = step.to.empty() ? Result<bool>(false) : Exists(rt, step.to);
  if (!from.ok() || !to.ok()) {
    settled.problems.push_back(Problem(step.from, from.ok() ? to.error() : from.error()));
    return;
  }
  bool happened = false;
  switch (step.kind) {
    case StepKind::kMove:
      happened = to.value();
      if (from.value() && to.value() && SameBytes(rt, step.from, step.to)) {
        // A move across volumes stopped between its copy and its delete: the copy goes,
        // its twin stays. Both there and different: the move happened and its old name
        // has been taken since (a replacement put in place).
        Step cleanup = MakeStep(StepKind::kDelete, step.to);
        happened = !Execute(rt, journal, cleanup).ok();
      } else if (!from.value() && !to.value()) {
        settled.problems.push_back(step.from + texts::kMsgGoneSince);
      } else if (from.value() && step.clearsAttributes) {
        SkipOnFailure(rt.SetAttr(step.from, step.attributes & kKeptAttributes));
      }
      break;
    case StepKind::kCopy:
      // Whole or not, a copy without its confirmation is not trusted: it goes.
      if (to.value()) {
        Step cleanup = MakeStep(StepKind::kDelete, step.to);
        SkipOnFailure(Execute(rt, journal, cleanup));
      }
      break;
    case StepKind::kDelete:
    case StepKind::kRmDir:
      happened = !from.value();
      break;
    case StepKind::kMkDir:
      happened = from.value();
      break;
    case StepKind::kSetAttr: {
      const Result<std::uint32_t> now = rt.GetAttr(step.from);
      happened =
          now.ok() && (now.value() & kKeptAttributes) == (step.newAttributes & kKeptAttributes);
      break;
    }
  }
  step.state = happened ? StepState::kDone : StepState::kFailed;
  if (!happened) step.error = texts::kMsgInterrupted;
  SkipOnFailure(journal.Record(step));
  ++(happened ? settled.happened : settled.notHappened);
}

}  // namespace

UndoReport Undo(Runtime& rt, Journal& journal, const std::vector<Step>& inEffect,
                JobObserver* observer) {
  UndoReport report;
  std::size_t done = 0;
  Reverser reverser(rt, journal, report, [&] {
    if (observer) observer->OnFiles(++done, inEffect.size());
  });
  reverser.ReverseAll(inEffect);
  return report;
}

Settled SettlePending(Runtime& rt, Journal& journal, JournalDoc& doc) {
  Settled settled;
  for (Step& step : doc.steps) {
    if (step.state == StepState::kPending) Settle(rt, journal, step, settled);
  }
  return settled;
}

}  // namespace torvane
