#include "job/game_info.h"

#include "job/confinement.h"
#include "job/game_path.h"
#include "job/journal.h"
#include "job/patch_job.h"
#include "job/restore.h"
#include "runtime/text.h"

namespace torvane {
namespace {

// The journals of the game folder a job or a restore would settle first, and those that
// cannot be read. Nothing is acted on.
void ReadJournals(Runtime& rt, const GamePath& g, GameInfo& info) {
  const Result<std::vector<std::u16string>> journals = ListJournals(rt, g.vTemp);
  if (!journals.ok()) {
    info.unreadable.push_back(g.vTemp);
    return;
  }
  for (auto path = journals.value().rbegin(); path != journals.value().rend(); ++path) {
    const Result<JournalDoc> doc = ReadJournal(rt, *path);
    if (!doc.ok() || doc.value().bad) {
      info.unreadable.push_back(*path);
    } else if (doc.value().Unfinished()) {
      info.unfinished.push_back(*path);
    }
  }
}

}  // namespace

Checked<GameInfo> ReadGameInfo(std::u16string_view gamePath, const std::u16string& patchFolder,
                               Runtime& rt) {
  GameInfo info;
  const Result<std::u16string> patch = PatchFolderOf(rt, patchFolder);
  if (patch.ok()) {
    info.patchFolder = patch.value();
    info.patch = VersionsIn(rt, info.patchFolder);
  }
  if (Unquoted(gamePath).empty()) {
    info.installs = rt.RegisteredInstalls();
    return info;
  }
  const Checked<GamePath> checked = CheckGamePath(gamePath, rt);
  if (const Report* refused = std::get_if<Report>(&checked)) return *refused;
  const GamePath& g = std::get<GamePath>(checked);
  info.gameFolder = g.folder;
  info.game = VersionsIn(rt, g.folder);
  ReadJournals(rt, g, info);
  RestoreOutlook restores = LookAtRestores(rt, g);
  info.restorable = restores.jobs;
  info.newestRestorable = std::move(restores.newest);
  info.restoreStop = std::move(restores.stop);
  return info;
}

}  // namespace torvane
