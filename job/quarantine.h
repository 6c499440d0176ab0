// Moves every file that no keep-list names out of the game folder and its audio folder
// into a "vTemp" folder beside them. Nothing is deleted; what could not be moved is
// reported so the caller can tell the user.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "job/job_observer.h"
#include "job/journal.h"
#include "job/report.h"
#include "runtime/runtime.h"

namespace torvane {

struct QuarantineReport {
  std::vector<Shortfall> notMoved;
  std::vector<Shortfall> notListed;  // folders that could not be read
  bool complete() const { return notMoved.empty() && notListed.empty(); }
};

// The keep-lists: lower-case names, each followed by "|".
std::u16string GameKeepList();
std::u16string MilesKeepList();

// A file stays when its lower-cased name occurs anywhere in the keep-list text, so any
// part of an entry ("ame.dll", "war3") stays too.
bool IsKept(std::u16string_view keepList, std::u16string_view name);

// True when ClearRedundantFiles would find anything to move (or a folder it cannot read).
bool WouldTidyAnything(std::u16string_view path, Runtime& rt);

// `path` is the path of war3.exe: its folder is tidied (nothing when it names another
// file). Every move is announced in `journal` before it is made; the tool's own programs
// are never moved, the running one whatever its name.
QuarantineReport ClearRedundantFiles(std::u16string_view path, Runtime& rt, Journal& journal,
                                     JobObserver* observer = nullptr);

}  // namespace torvane
