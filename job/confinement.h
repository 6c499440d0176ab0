// Where the tool may act, decided before it acts on anything a journal names. A journal
// lies in a folder other programs and users can write; read back, it is untrusted input.
// Whether a path belongs is decided from its text alone, before any file-system call:
// every path a step acts on must be one file or folder directly in the game folder, its
// vTemp, its audio folder or that folder's vTemp, spelled on the game folder as the tool
// spells it now or as the journal recorded it, and is then acted on as it is spelled now.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "job/game_layout.h"
#include "job/game_path.h"
#include "job/journal.h"
#include "runtime/runtime.h"

namespace torvane {

// A single file name the tool may act on: not empty, not "." or "..", no "\", "/", ":",
// "*", "?", "<", ">", '"', "|", NUL or control character, no trailing dot or space (Windows
// would act on another name), not a name the device namespace owns (CON, NUL, COM1, COM¹,
// CONIN$...), whatever follows it.
bool IsPlainName(std::u16string_view name);

// What the scope needs to know besides the text: the root folders (as in kRootFolders) found
// to be links, never acted in, and the patch folder of the running tool (with its trailing
// backslash; empty: none), the one folder outside the game folder whose files may be read
// as proof (proof.h).
struct Reach {
  std::vector<std::u16string> linkedRoots;
  std::u16string toolPatchFolder;
};

// The folders one game folder's journal may name.
class GameFolderScope {
 public:
  GameFolderScope(Runtime& rt, const GamePath& g, Reach reach = {});

  enum class Belonging { kHere, kElsewhere, kUnknown };
  // Whether `doc` was written for this game folder: by the identity its first section
  // recorded, or, for a journal older than that record, by the folder it names. Nothing
  // but the game folder is looked up, except an older journal's folder when it is spelled
  // with a drive letter (never a share, a device or an extended-length form).
  Belonging BelongingOf(const JournalDoc& doc);

  // Rewrites every path the steps of `doc` name onto the game folder as spelled now. A
  // copy's source outside it stays as text, and is emptied where the tool may not read it.
  // Returns the first step line that names anything else (nothing is rewritten then). The
  // journal must belong here (BelongingOf). No file-system call is made.
  std::optional<BadLine> Confine(JournalDoc& doc) const;

 private:
  // The spellings of the game folder that `doc`'s steps may use, with trailing backslashes:
  // as spelled now, as its first section recorded it, and as any section recorded it
  // whose recorded identity is this folder's.
  std::vector<std::u16string> SpellingsOf(const JournalDoc& doc) const;
  // `path` as spelled now, or nothing when it is not a plain name in a root under one of
  // `spellings`.
  std::optional<std::u16string> InRoot(const std::u16string& path,
                                       const std::vector<std::u16string>& spellings) const;
  // A copy's source as the steps may keep it; nothing when it is damage.
  std::optional<std::u16string> Source(const std::u16string& path, const Section& section,
                                       const std::vector<std::u16string>& spellings) const;

  Runtime& rt_;
  const GamePath& g_;
  Reach reach_;
};

}  // namespace torvane
