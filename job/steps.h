// Making journaled changes: announce them, make them, record how they went. Every change a
// job, a restore or a recovery makes to a game folder goes through here.
#pragma once

#include <functional>
#include <vector>

#include "job/journal.h"
#include "job/proof.h"
#include "runtime/runtime.h"

namespace torvane {

// Attributes a file keeps when it is put back or stays: read-only, hidden, system, archive.
inline constexpr std::uint32_t kKeptAttributes =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;

// What the tidy clears before a move, and a restore sets again (the archive bit with them).
inline constexpr std::uint32_t kClearedAttributes = kAttrReadOnly | kAttrHidden | kAttrSystem;

// Announces the step, makes it and records the outcome in `step`. When the announcement
// cannot be written the change is not made. A move that clears the attributes first sets
// them back when it fails. A delete step is refused: files go through DeleteWithProof.
Status Execute(Runtime& rt, Journal& journal, Step& step);

// The same for copy steps, announced in one write and made together (CopyAndDigestAll):
// one result per step, in order. When the announcement cannot be written no copy is made
// and every result is its error.
std::vector<Result<CheckedCopy>> ExecuteCopies(Runtime& rt, Journal& journal,
                                               std::vector<Step>& copies);

// The same for steps that depend on the ones before them (a name freed, then taken),
// announced in one write and made in order until one fails: those after it are not made,
// and are recorded as failed with its error. Its error, or success.
Status ExecuteInTurn(Runtime& rt, Journal& journal, std::vector<Step>& steps);

// The same for many steps, announced in one write and recorded in one: `made` hears of each
// step right after it is made (or failed). When the announcement cannot be written nothing
// is made and its error is returned.
Status ExecuteBatch(Runtime& rt, Journal& journal, std::vector<Step>& steps,
                    const std::function<void(const Step& step, const Status& made)>& made);

// What DeleteWithProof found and did.
struct Deletion {
  bool proven = false;  // else nothing was touched
  Status removed;       // how the delete went, once proven
  bool done() const { return proven && removed.ok(); }
};

// The one way a job, a restore or a recovery deletes a file (rule 6): `proof` is checked
// against `path` now, whatever the caller looked at before, and only when it holds is the
// delete announced, as reversing `undoes` (0: none), and made. The error is the one that
// kept the proof from being known.
Result<Deletion> DeleteWithProof(Runtime& rt, Journal& journal, const std::u16string& path,
                                 const Proof& proof, int undoes);

// Takes a file this tool wrote out of the game folder, announced as reversing `undoes` (0:
// none): deleted when `twin` proves that nothing is lost by it (see proof.h), else moved
// into the vTemp beside it (one in a vTemp already stays where it is). True when deleted.
Result<bool> Discard(Runtime& rt, Journal& journal, const std::u16string& path,
                     const FileDigest& recorded, const std::u16string& twin, int undoes);

// What became of a copy this tool was making, found at its target.
enum class CopyFate { kRemoved, kKept, kLeft };

// Takes away what `copy` left at its target, announced as reversing `undoes` (0: none):
// deleted when it is the tool's own copy in the making (proof.h); kept in vTemp when it
// bears the tool's temporary name but its source may not be read (an empty source, see
// confinement.h); left where it is otherwise, as not the tool's to move.
Result<CopyFate> TakeAwayCopy(Runtime& rt, Journal& journal, const Step& copy, int undoes);

// The source of the copy among `steps` that made `staged`; empty when none did.
std::u16string SourceOfStaged(const std::vector<Step>& steps, const std::u16string& staged);

}  // namespace torvane
