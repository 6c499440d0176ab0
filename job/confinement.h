// Where the tool may act, checked before it acts on anything a journal names. A journal
// lies in a folder other programs and users can write; read back, it is untrusted input.
// Every path it names must be one file or folder directly in the game folder, its vTemp,
// its audio folder or that folder's vTemp (a copy's source: the patch folder the job
// recorded), and is then acted on as the game folder is spelled now.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "job/journal.h"
#include "runtime/runtime.h"

namespace torvane {

// A single file name the tool may act on: not empty, not "." or "..", no "\", "/", ":",
// NUL or control character, no trailing dot or space (Windows would act on another name),
// not a device name (CON, NUL, COM1...).
bool IsPlainName(std::u16string_view name);

// The folders one game folder's journal may name.
class GameFolderScope {
 public:
  // `folder` is the game folder as resolved now, with its trailing backslash.
  GameFolderScope(Runtime& rt, const std::u16string& folder);

  enum class Belonging { kHere, kElsewhere, kUnknown };
  // Whether `doc` was written for this game folder: by the identity its first section
  // recorded, or, for a journal older than that record, by the folder it names.
  Belonging BelongingOf(const JournalDoc& doc);

  // `path` spelled on the game folder as it is now, or nothing when it names anything
  // but a plain name in one of the folders. `patchFolder` (empty: none) is also allowed.
  std::optional<std::u16string> Resolve(const std::u16string& path,
                                        const std::u16string& patchFolder = {});

 private:
  // The folder among `roots_` (or `extra`) that `folder` names, by its text first and then
  // by its identity; nothing when none.
  std::optional<std::u16string> Match(const std::u16string& folder, const std::u16string& extra);
  std::optional<FileIdentity> IdentityOf(const std::u16string& folder);

  Runtime& rt_;
  std::vector<std::u16string> roots_;  // with trailing backslashes
  std::map<std::u16string, std::optional<FileIdentity>> identities_;
};

// Rewrites every path the steps of `doc` name onto `scope`; the first step line that names
// anything else, when one does (nothing is rewritten then).
std::optional<BadLine> Confine(GameFolderScope& scope, JournalDoc& doc);

}  // namespace torvane
