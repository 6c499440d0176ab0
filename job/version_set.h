// The game's version files replaced as one set: every replacement first copied in beside
// its original under a temporary name, hashed as it is copied and checked against that
// hash when read back, then each original swapped out into vTemp and its replacement
// renamed into place, back to back. The copies are announced in one journal write and made
// together; so are the swap's moves, made in order. Any failure undoes the set as a whole,
// so the game is never left mixed or missing a file.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "job/journal.h"
#include "job/report.h"
#include "job/undo.h"
#include "runtime/runtime.h"

namespace torvane {

struct GameFiles;

class VersionSet {
 public:
  VersionSet(Runtime& rt, Journal& journal, const GameFiles& files,
             const std::array<std::u16string, 4>& sources, std::u16string vTemp);

  // Moves msvcn80.dll into vTemp when it is there. Whether it left is judged afterwards
  // by looking, so a failure here is not reported.
  void SetAsideMsvcn80();
  std::optional<Shortfall> Stage();
  std::optional<Shortfall> Swap();
  // Undoes every change of the set made so far, newest first.
  UndoReport RollBack();

 private:
  struct File {
    std::u16string target;
    std::u16string source;
    std::u16string staged;
    std::string sha256;
    std::uint64_t size = 0;
    bool inPlace = false;  // already identical to its replacement
  };

  static Step SetMove(Step step);
  // The move that takes `path` into vTemp, under a free name.
  Result<Step> AsideOf(const std::u16string& path);
  // Adds the copy that stages `file` to `copies`, unless its replacement is in place.
  std::optional<Shortfall> PlanCopy(File& file, std::vector<Step>& copies);
  void Remember(const Step& step);

  Runtime& rt_;
  Journal& journal_;
  std::u16string msvcn80_;
  std::u16string vTemp_;
  std::array<File, 4> files_;
  std::vector<Step> made_;  // the set's changes that happened, in order
};

// Puts the old set back as a whole, from the job's set moves in effect: each replacement
// (only while it is exactly what was written) moved aside under a temporary name and its
// original renamed back, back to back. Any failure puts the new set back in place; once
// the old set is whole, the replacements set aside are removed.
// `history` is every step of the journal (see Undo).
UndoReport RestoreVersionSet(Runtime& rt, Journal& journal, const std::vector<Step>& setMoves,
                             const std::vector<Step>& history);

// Removes the replacements that earlier restores set aside and that are still there (a
// crash or a failed delete came between).
UndoReport RemoveSetAsideReplacements(Runtime& rt, Journal& journal, const JournalDoc& doc);

}  // namespace torvane
