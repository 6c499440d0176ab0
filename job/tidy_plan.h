// What the tidy of a game folder would do, decided before anything moves: for the game
// folder and, when the game's audio folder is there, for that folder too, which files go
// into the folder's vTemp, which stay and why, and which folders are not entered at all.
// The tidy carries the plan out (tidy.h); the question asked before a job that would
// change nothing asks the same plan, so the two never disagree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/runtime.h"

namespace torvane {

// The keep-lists: lower-case names, each followed by "|".
std::u16string GameKeepList();
std::u16string MilesKeepList();

// A file stays when its lower-cased name occurs anywhere in the keep-list text, so any
// part of an entry ("ame.dll", "war3") stays too.
bool IsKept(std::u16string_view keepList, std::u16string_view name);

// Why a file of a tidied folder stays where it is.
enum class Stay {
  kKept,         // a keep-list names it
  kOwnProgram,   // one of the tool's own programs, the running one whatever its name
  kUnplainName,  // Windows would act on another file under that name ("war3.mpq." names
                 // War3.mpq) and a journal could not name it: reported
};

// Why a folder is not entered at all; each is reported.
enum class Closed {
  kUnprobed,     // whether the audio folder is there cannot be told
  kUnlisted,     // it cannot be listed (its vTemp is still made, as for any pass)
  kLinked,       // it, or redist above it, is a junction or symbolic link
  kLinkedVTemp,  // its vTemp is one: nothing is moved through a link someone planted
};

// A file to move, as the listing found it.
struct PlannedMove {
  std::u16string path;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
};

struct StayingFile {
  std::u16string path;
  Stay why;
};

struct FolderPlan {
  std::u16string folder;  // with its trailing backslash
  std::optional<Closed> closed;
  Error error;                // Closed::kUnprobed or kUnlisted: what the platform said
  bool vTempMissing = false;  // its vTemp was not found: the tidy makes it
  std::vector<PlannedMove> moves;
  std::vector<StayingFile> stays;

  std::u16string VTemp() const;
};

struct TidyPlan {
  // The game folder, then the audio folder when its probe file is there (or cannot be
  // looked for). Empty when the path names no war3.exe.
  std::vector<FolderPlan> folders;

  // Whether carrying the plan out could change the game folder: a file would move, or
  // what a folder holds is unknown. What the tidy leaves by rule (kept names, its own
  // programs, names Windows would rewrite, linked folders) changes nothing, run after run.
  bool ChangesAnything() const;
};

// `path` is the path of war3.exe; nothing is planned when it names another file. Only reads:
// listings, attributes, and the identities of the tool's own folders.
TidyPlan PlanTidy(std::u16string_view path, Runtime& rt);

}  // namespace torvane
