#include "job/undo.h"

#include <functional>

#include "job/proof.h"
#include "job/steps.h"
#include "runtime/text.h"

namespace torvane {
namespace {

class Reverser {
 public:
  Reverser(Runtime& rt, Journal& journal, const std::vector<Step>& history, UndoReport& report,
           std::function<void()> progress)
      : rt_(rt),
        journal_(journal),
        history_(history),
        report_(report),
        progress_(std::move(progress)) {}

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
    if (!exists.ok()) report_.problems.push_back({path, exists.error()});
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
      // An original of the version set going home: once the journal says so (a rolled-back
      // job ends there), no recovery would look for it again.
      back.durable = step->inVersionSet;  // rule 13
      // A rename keeps attributes: where the move cleared them (read-only, hidden or
      // system, and with them the archive bit), all of them are set again first, on the
      // file the journal recorded only (rule 11).
      if (step->clearsAttributes && (step->attributes & kClearedAttributes) != 0) {
        const Result<bool> recorded = IsRecordedFile(*step);
        if (!recorded.ok()) {
          report_.problems.push_back({step->to, recorded.error()});
          continue;  // tried again with the next restore
        }
        if (recorded.value()) back.newAttributes = step->attributes & kKeptAttributes;
      }
      backs.push_back(std::move(back));
    }
    const Status written =
        ExecuteBatch(rt_, journal_, backs, [&](const Step& back, const Status& moved) {
          Tell(back, moved);
          if (progress_) progress_();
        });
    if (written.ok()) return;
    for (const Step& back : backs) report_.problems.push_back({back.from, written.error()});
  }

  // The file kept in vTemp has the size the journal recorded for it.
  Result<bool> IsRecordedFile(const Step& step) {
    const Result<std::vector<DirEntry>> kept = rt_.List(step.to, kDirAllFiles);
    if (!kept.ok()) return kept.error();
    return kept.value().size() == 1 && kept.value().front().size == step.size;
  }

  void Tell(const Step& back, const Status& moved) {
    if (moved.ok()) {
      ++report_.returned;
    } else if (moved.Is(ErrorKind::kAlreadyExists)) {
      report_.problems.push_back({back.to, Why::kNameTaken, back.from});
    } else if (!moved.Is(ErrorKind::kNotFound)) {
      report_.problems.push_back({back.from, moved.error()});
    } else if (!Exists(rt_, back.to).value_or(false)) {
      // Not where it was kept, and not back home either (home: an earlier restore).
      report_.problems.push_back({back.from, Why::kGoneSince});
    }
  }

  // Only an empty folder goes; one that holds anything stays, as intended.
  void RemoveFolder(const Step& step) {
    Step rmdir = MakeStep(StepKind::kRmDir, step.from, {}, step.id);
    const Status removed = Execute(rt_, journal_, rmdir);
    if (removed.ok() || rt_.GetAttr(step.from).Is(ErrorKind::kNotFound)) return;
    const Result<std::vector<DirEntry>> inside = rt_.List(step.from + u"\\", kDirEverything);
    if (!inside.ok() || inside.value().empty()) {
      report_.problems.push_back({step.from, removed.error()});
    }
  }

  // A replacement goes only while it is exactly what this tool wrote: deleted while its
  // source still holds the same bytes, else kept in vTemp (rule 6).
  void RemoveReplacement(const Step& step) {
    bool there = false;
    if (!There(step.to, there) || !there) return;
    const Result<FileDigest> digest = rt_.Digest(step.to);
    if (!digest.ok()) {
      report_.problems.push_back({step.to, digest.error()});
      return;
    }
    const FileDigest recorded{step.size, step.sha256};
    if (digest.value() != recorded) {
      report_.problems.push_back({step.to, Why::kChangedSince});
      return;
    }
    const Result<bool> deleted =
        Discard(rt_, journal_, step.to, recorded, SourceOfStaged(history_, step.from), step.id);
    if (!deleted.ok()) {
      report_.problems.push_back({step.to, deleted.error()});
    } else if (deleted.value()) {
      ++report_.removed;
    }
  }

  // A copy this tool was making goes; anything else under its name stays.
  void RemoveCopy(const Step& step) {
    bool there = false;
    if (!There(step.to, there) || !there) return;
    const Result<CopyFate> fate = TakeAwayCopy(rt_, journal_, step, step.id);
    if (!fate.ok()) {
      report_.problems.push_back({step.to, fate.error()});
    } else if (fate.value() == CopyFate::kRemoved) {
      ++report_.removed;
    } else if (fate.value() == CopyFate::kLeft) {
      report_.problems.push_back({step.to, Why::kChangedSince});
    }
  }

  Runtime& rt_;
  Journal& journal_;
  const std::vector<Step>& history_;
  UndoReport& report_;
  std::function<void()> progress_;
};

}  // namespace

void UndoReport::Add(const UndoReport& part) {
  returned += part.returned;
  removed += part.removed;
  problems.insert(problems.end(), part.problems.begin(), part.problems.end());
}

UndoReport Undo(Runtime& rt, Journal& journal, const std::vector<Step>& inEffect,
                const std::vector<Step>& history, JobObserver* observer) {
  UndoReport report;
  std::size_t done = 0;
  Reverser reverser(rt, journal, history, report, [&] {
    if (observer) observer->OnFiles(++done, inEffect.size());
  });
  reverser.ReverseAll(inEffect);
  return report;
}

}  // namespace torvane
