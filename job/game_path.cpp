#include "job/game_path.h"

#include <vector>

#include "resources/texts.h"
#include "runtime/text.h"

namespace torvane {
namespace {

constexpr std::u16string_view kExeName = u"war3.exe";
constexpr char16_t kCrLf[] = u"\r\n";

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000;
}

void Refuse(Runtime& rt, const std::u16string& prompt) {
  (void)rt.MsgBox(prompt, kMbOk | kMbIconStop, texts::kTitleError);
}

bool IsFolder(const Result<std::uint32_t>& attributes) {
  return attributes.ok() && (attributes.value() & kAttrFolder) != 0;
}

// Every folder the five files lie in must exist: a path naming war3.exe twice derives
// paths into folders that are not there.
bool FoldersExist(Runtime& rt, const GamePaths& paths) {
  std::vector<std::u16string> folders{FolderOf(paths.msvcn80)};
  for (const std::u16string& file : paths.versionFiles) folders.push_back(FolderOf(file));
  for (const std::u16string& folder : folders) {
    if (folder.empty()) {
      Refuse(rt, texts::kMsgNotFullPath);
      return false;
    }
    if (!IsFolder(rt.GetAttr(WithoutTrailingBackslash(folder)))) {
      Refuse(rt, std::u16string(texts::kMsgFolderMissing) + folder + kCrLf + texts::kMsgCheckPath);
      return false;
    }
  }
  return true;
}

// "D:\..." or "\\server\share\...": a path that does not hang on the current folder,
// which a window's user cannot see.
bool IsAbsolute(std::u16string_view path) {
  const auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
  if (path.size() >= 3 && path[1] == u':' && separator(path[2])) return true;
  return path.size() >= 2 && separator(path[0]) && separator(path[1]);
}

bool IsDriveRoot(const std::u16string& folder) {
  if (folder.size() == 3 && folder[1] == u':') return true;
  // \\server\share\ : two separators after the leading pair.
  if (folder.rfind(u"\\\\", 0) != 0) return false;
  size_t separators = 0;
  for (size_t i = 2; i < folder.size(); ++i) separators += folder[i] == u'\\';
  return separators <= 2;
}

bool IsWindowsFolder(Runtime& rt, const std::u16string& folder) {
  const Result<std::u16string> windows = rt.WindowsFolder();
  if (!windows.ok()) return false;
  if (LowerCase(WithTrailingBackslash(windows.value())) == LowerCase(folder)) return true;
  const Result<bool> same = SameFile(rt, windows.value(), WithoutTrailingBackslash(folder));
  return same.ok() && same.value();
}

bool IsGameFolder(Runtime& rt, const std::u16string& folder) {
  if (IsDriveRoot(folder)) {
    Refuse(rt, texts::kMsgDriveRoot);
    return false;
  }
  if (IsWindowsFolder(rt, folder)) {
    Refuse(rt, texts::kMsgWindowsFolder);
    return false;
  }
  const Result<std::uint32_t> archive = rt.GetAttr(folder + u"war3.mpq");
  if (!archive.ok() || (archive.value() & kAttrFolder) != 0) {
    Refuse(rt, texts::kMsgNoWar3Mpq + folder);
    return false;
  }
  const Result<std::uint32_t> quarantine = rt.GetAttr(folder + u"vTemp");
  if (quarantine.ok() && (quarantine.value() & kAttrReparsePoint) != 0) {
    Refuse(rt, texts::kMsgLinkedQuarantine + (kCrLf + folder) + u"vTemp");
    return false;
  }
  return true;
}

}  // namespace

Result<std::u16string> MyPath(Runtime& rt) {
  Result<std::u16string> folder = rt.AppPath();
  if (!folder.ok()) return folder;
  return WithTrailingBackslash(folder.value());
}

GamePaths DeriveGamePaths(std::u16string_view workingPath) {
  GamePaths paths;
  paths.msvcn80 = ReplaceAll(workingPath, kExeName, u"msvcn80.dll");
  for (size_t i = 0; i < kVersionFileNames.size(); ++i) {
    paths.versionFiles[i] = ReplaceAll(workingPath, kExeName, kVersionFileNames[i]);
  }
  return paths;
}

std::u16string Unquoted(std::u16string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') {
    text = text.substr(1, text.size() - 2);
  }
  return std::u16string(text);
}

std::optional<GamePath> CheckGamePath(std::u16string_view pickerText, Runtime& rt) {
  const std::u16string given = Unquoted(pickerText);
  if (!Contains(LowerCase(given), kExeName)) {
    Refuse(rt, texts::kMsgNoPath);
    return std::nullopt;
  }
  if (Contains(given, u"*") || Contains(given, u"?")) {
    Refuse(rt, texts::kMsgWildcards);
    return std::nullopt;
  }
  if (!IsAbsolute(given)) {
    Refuse(rt, texts::kMsgNotFullPath);
    return std::nullopt;
  }
  const Result<std::u16string> resolved = rt.FullPath(given);
  GamePath g;
  g.working = LowerCase(resolved.value_or(u""));
  // "...\war3.exe\.." names the folder above, not the game.
  if (!Contains(g.working, kExeName)) {
    Refuse(rt, resolved.ok() ? std::u16string(texts::kMsgNoPath) : texts::kMsgNotFullPath);
    return std::nullopt;
  }
  g.paths = DeriveGamePaths(g.working);
  if (!FoldersExist(rt, g.paths)) return std::nullopt;
  g.folder = FolderOf(g.paths.versionFiles[2]);
  g.quarantine = g.folder + u"vTemp";
  if (!IsGameFolder(rt, g.folder)) return std::nullopt;
  return g;
}

}  // namespace torvane
