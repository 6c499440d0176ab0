// Moves every file that no keep-list names out of the game folder and its audio folder
// into a "vTemp" folder beside them. Nothing is deleted; what could not be moved is
// reported so the caller can tell the user.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "job/job_observer.h"
#include "job/journal.h"
#include "runtime/runtime.h"

namespace torvane {

struct Failure {
  std::u16string path;  // the file, or the folder that could not be listed
  Error error;
};

struct QuarantineReport {
  std::vector<Failure> notMoved;
  std::vector<Failure> notListed;
  bool complete() const { return notMoved.empty() && notListed.empty(); }
};

// The keep-lists: lower-case names, each followed by "|".
std::u16string GameKeepList();
std::u16string MilesKeepList();

// A file stays when its lower-cased name occurs anywhere in the keep-list text, so any
// part of an entry ("ame.dll", "war3") stays too.
bool IsKept(std::u16string_view keepList, std::u16string_view name);

// `path` is the lower-cased path of war3.exe. It comes back rewritten: the game folder
// after the game pass, that folder with "redist\miles\" appended after the audio pass.
// Every move is announced in `journal` before it is made; the running program's own
// file is never moved, whatever its name.
QuarantineReport ClearRedundantFiles(std::u16string& path, Runtime& rt, Journal& journal,
                                     JobObserver* observer = nullptr);

}  // namespace torvane
