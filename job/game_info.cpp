#include "job/game_info.h"

#include "job/confinement.h"
#include "job/game_path.h"
#include "job/journal.h"
#include "job/patch_job.h"
#include "runtime/text.h"

namespace torvane {
namespace {

// The journals of the game folder: which jobs a restore could undo, newest first as a
// restore takes them, and which were left unfinished. Nothing is acted on.
void ReadJournals(Runtime& rt, const GamePath& g, GameInfo& info) {
  const Result<std::vector<std::u16string>> journals = ListJournals(rt, g.quarantine);
  if (!journals.ok()) {
    info.unreadable.push_back(g.quarantine);
    return;
  }
  GameFolderScope scope(rt, g);
  for (auto path = journals.value().rbegin(); path != journals.value().rend(); ++path) {
    const Result<JournalDoc> doc = ReadJournal(rt, *path);
    if (!doc.ok() || doc.value().bad) {
      info.unreadable.push_back(*path);
      continue;
    }
    if (doc.value().Unfinished()) info.unfinished.push_back(*path);
    if (doc.value().Restored() || doc.value().InEffect().empty()) continue;
    if (scope.BelongingOf(doc.value()) != GameFolderScope::Belonging::kHere) continue;
    if (info.restorable++ == 0 && !doc.value().sections.empty()) {
      info.newestRestorable = doc.value().sections.front().time;
    }
  }
}

}  // namespace

Checked<GameInfo> ReadGameInfo(std::u16string_view pickerText, const std::u16string& patchFolder,
                               Runtime& rt) {
  GameInfo info;
  const Result<std::u16string> patch = PatchFolderOf(rt, patchFolder);
  if (patch.ok()) {
    info.patchFolder = patch.value();
    info.patch = VersionsIn(rt, info.patchFolder);
  }
  if (Unquoted(pickerText).empty()) {
    info.installs = rt.RegisteredInstalls();
    return info;
  }
  const Checked<GamePath> checked = CheckGamePath(pickerText, rt);
  if (const Report* refused = std::get_if<Report>(&checked)) return *refused;
  const GamePath& g = std::get<GamePath>(checked);
  info.gameFolder = g.folder;
  info.game = VersionsIn(rt, g.folder);
  ReadJournals(rt, g, info);
  return info;
}

}  // namespace torvane
