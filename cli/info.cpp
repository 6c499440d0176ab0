#include "cli/info.h"

#include "cli/cli_host.h"
#include "job/game_info.h"
#include "job/report_text.h"
#include "runtime/text.h"

namespace torvane::cli {
namespace {

std::u16string JsonVersion(const std::optional<FileVersion>& version) {
  return version ? JsonString(VersionText(*version)) : u"null";
}

// {"war3.exe":"1.24.4.6387","game.dll":null}
std::u16string JsonVersions(const FolderVersions& v) {
  return u"{\"war3.exe\":" + JsonVersion(v.war3) + u",\"game.dll\":" + JsonVersion(v.game) + u"}";
}

// [item,item,...], each item as `json` writes it.
template <class Item, class Json>
std::u16string JsonArray(const std::vector<Item>& items, Json json) {
  std::u16string out = u"[";
  for (const Item& item : items) out.append(out.size() > 1 ? u"," : u"").append(json(item));
  return out + u"]";
}

std::u16string JsonInstall(const RegisteredInstall& install) {
  return u"{\"where\":" + JsonString(install.where) + u",\"folder\":" + JsonString(install.folder) +
         u"}";
}

std::u16string JsonOrNull(const std::u16string& text) {
  return text.empty() ? u"null" : JsonString(text);
}

// {"path":"...","line":12,"error":""}: the journal (or folder) where restores would stop,
// the line not understood there (0: none), and the system's message (empty: none).
std::u16string JsonStop(const std::optional<Report>& stop) {
  if (!stop) return u"null";
  return u"{\"path\":" + JsonString(stop->path) + u",\"line\":" +
         Decimal(static_cast<std::size_t>(stop->line.number)) + u",\"error\":" +
         JsonString(stop->error.description) + u"}";
}

Reporter::Fields FieldsOf(const GameInfo& info) {
  return {{u"gameFolder", JsonOrNull(info.gameFolder)},
          {u"gameVersion", JsonVersions(info.game)},
          {u"patchFolder", JsonOrNull(info.patchFolder)},
          {u"patchVersion", JsonVersions(info.patch)},
          {u"restorable", Decimal(static_cast<std::size_t>(info.restorable))},
          {u"newestRestorable", JsonOrNull(info.newestRestorable)},
          {u"restoreStopsAt", JsonStop(info.restoreStop)},
          {u"unfinished", JsonArray(info.unfinished, JsonString)},
          {u"unreadable", JsonArray(info.unreadable, JsonString)},
          {u"installs", JsonArray(info.installs, JsonInstall)}};
}

}  // namespace

ExitCode RunInfo(const Options& o, Runtime& rt, Reporter& out) {
  std::u16string patchFolder;
  if (!o.patchDir.empty()) patchFolder = rt.FullPath(o.patchDir).value_or(o.patchDir);
  const Checked<GameInfo> read = ReadGameInfo(o.gamePath, patchFolder, rt);
  if (const Report* refused = std::get_if<Report>(&read)) {
    CliHost(out).Print(*refused);
    return kExitRefused;
  }
  const GameInfo& info = std::get<GameInfo>(read);
  out.Record(u"info", u"read", FieldsOf(info));
  if (!o.json) out.Message(GameInfoText(info), false, false);
  return kExitDone;
}

}  // namespace torvane::cli
