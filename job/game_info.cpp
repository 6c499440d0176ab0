#include "job/game_info.h"

#include "job/confinement.h"
#include "job/game_path.h"
#include "job/journal.h"
#include "job/patch_job.h"
#include "resources/texts.h"
#include "runtime/text.h"

namespace torvane {
namespace {

constexpr char16_t kCrLf[] = u"\r\n";

// The journals of the game folder: which jobs a restore could undo, newest first as a
// restore takes them, and which were left unfinished. Nothing is acted on.
void ReadJournals(Runtime& rt, const GamePath& g, GameInfo& info) {
  const Result<std::vector<std::u16string>> journals = ListJournals(rt, g.quarantine);
  if (!journals.ok()) {
    info.unreadable.push_back(g.quarantine);
    return;
  }
  GameFolderScope scope(rt, g.folder);
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

std::u16string VersionLine(std::u16string_view head, const FolderVersions& v) {
  std::u16string line(head);
  if (const std::optional<FileVersion> whole = v.Whole()) return line + VersionText(*whole);
  if (!v.war3 && !v.game) return line + texts::kInfoNoVersion;
  line.append(u"war3.exe ").append(v.war3 ? VersionText(*v.war3) : texts::kInfoNoVersion);
  line.append(u"，game.dll ").append(v.game ? VersionText(*v.game) : texts::kInfoNoVersion);
  return line;
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

std::u16string GameInfoText(const GameInfo& info) {
  std::u16string text;
  if (!info.gameFolder.empty()) {
    text.append(texts::kInfoGameFolder).append(info.gameFolder).append(kCrLf);
    text.append(VersionLine(texts::kInfoGameVersion, info.game)).append(kCrLf);
  }
  text.append(texts::kInfoPatchFolder)
      .append(info.patchFolder.empty() ? texts::kInfoNoVersion : info.patchFolder)
      .append(kCrLf);
  text.append(VersionLine(texts::kInfoPatchVersion, info.patch));
  if (!info.gameFolder.empty()) {
    text.append(kCrLf).append(texts::kInfoRestorable).append(Decimal(info.restorable));
    text.append(texts::kInfoTimes);
    if (info.restorable > 0) {
      text.append(texts::kInfoNewest).append(info.newestRestorable).append(u"）");
    }
    for (const std::u16string& path : info.unfinished) {
      text.append(kCrLf).append(texts::kInfoUnfinished).append(path);
    }
    for (const std::u16string& path : info.unreadable) {
      text.append(kCrLf).append(texts::kInfoUnreadable).append(path);
    }
  }
  if (info.gameFolder.empty()) {
    text.append(kCrLf).append(info.installs.empty() ? texts::kInfoNoInstalls
                                                    : texts::kInfoInstalls);
    for (const RegisteredInstall& install : info.installs) {
      text.append(kCrLf).append(u"  ").append(install.folder).append(u"（").append(install.where);
      text.append(u"）");
    }
  }
  return text;
}

}  // namespace torvane
