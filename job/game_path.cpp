#include "job/game_path.h"

#include <vector>

#include "job/game_layout.h"
#include "runtime/text.h"

namespace torvane {
namespace {

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000;
}

// The folder as its plain form spells it: "\\?\UNC\server\share\" reads as
// "\\server\share\", "\\?\C:\" and "\\.\C:\" as "C:\".
std::u16string WithoutDevicePrefix(std::u16string folder) {
  for (const std::u16string_view unc : {u"\\\\?\\unc\\", u"\\\\.\\unc\\"}) {
    if (LowerCase(folder).starts_with(unc)) return u"\\\\" + folder.substr(unc.size());
  }
  for (const std::u16string_view device : {u"\\\\?\\", u"\\\\.\\"}) {
    if (folder.starts_with(device)) return folder.substr(device.size());
  }
  return folder;
}

// A drive's root, or a share's: tidying it would tidy the whole drive or share.
bool IsDriveRoot(const std::u16string& given) {
  const std::u16string folder = WithoutDevicePrefix(given);
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
  return SameFolder(rt, folder, windows.value()).value_or(false);
}

// Why `folder` is not a game folder the job may tidy; nothing when it is one. A drive
// root is refused before anything is looked up: the whole drive is never tidied.
std::optional<Report> NotAGameFolder(Runtime& rt, const std::u16string& folder) {
  if (IsDriveRoot(folder)) return Report(Finding::kDriveRoot);
  if (!IsFolder(rt.GetAttr(WithoutTrailingBackslash(folder)))) {
    return Report(Finding::kFolderMissing, folder);
  }
  if (IsWindowsFolder(rt, folder)) return Report(Finding::kWindowsFolder);
  if (!IsFile(rt.GetAttr(folder + std::u16string(kWar3Mpq)))) {
    return Report(Finding::kNoWar3Mpq, folder);
  }
  const std::u16string vTempPath = VTempIn(folder);
  const Result<std::uint32_t> vTemp = rt.GetAttr(vTempPath);
  if (vTemp.ok() && (vTemp.value() & kAttrReparsePoint) != 0) {  // rule 9
    return Report(Finding::kLinkedVTemp, vTempPath);
  }
  return std::nullopt;
}

}  // namespace

Result<std::u16string> MyPath(Runtime& rt) {
  Result<std::u16string> folder = rt.AppPath();
  if (!folder.ok()) return folder;
  return WithTrailingBackslash(folder.value());
}

GameFiles GameFilesOf(std::u16string_view workingPath) {
  const std::u16string folder = FolderOf(workingPath);
  GameFiles files;
  files.msvcn80 = folder + std::u16string(kMsvcn80);
  for (size_t i = 0; i < kVersionFileNames.size(); ++i) {
    files.versionFiles[i] = folder + std::u16string(kVersionFileNames[i]);
  }
  return files;
}

std::vector<std::u16string> ToolPrograms(Runtime& rt) {
  std::vector<std::u16string> files;
  if (const Result<std::u16string> self = rt.ProgramPath(); self.ok()) {
    files.push_back(self.value());
  }
  if (const Result<std::u16string> folder = MyPath(rt); folder.ok()) {
    for (std::u16string_view name : kToolPrograms) {
      files.push_back(folder.value() + std::u16string(name));
    }
  }
  return files;
}

std::u16string Unquoted(std::u16string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') {
    text = text.substr(1, text.size() - 2);
  }
  return std::u16string(text);
}

Checked<GamePath> ResolveGamePath(std::u16string_view gamePath, Runtime& rt) {
  const std::u16string given = Unquoted(gamePath);
  if (!Contains(LowerCase(given), kWar3Exe)) return Report(Finding::kNoPath);
  if (Contains(given, u"*") || Contains(given, u"?")) return Report(Finding::kWildcards);
  if (!IsAbsolutePath(given)) return Report(Finding::kNotFullPath);
  const Result<std::u16string> resolved = rt.FullPath(given);
  if (!resolved.ok()) return Report(Finding::kNotFullPath);
  GamePath g;
  g.working = LowerCase(resolved.value());
  // war3.exe itself: not "War3.exe.bak", "mywar3.exe" or "...\war3.exe\.."; the other
  // files are its folder's, whatever that folder is called.
  if (NameOf(g.working) != kWar3Exe) return Report(Finding::kNoPath);
  g.files = GameFilesOf(g.working);
  g.folder = FolderOf(g.working);
  g.vTemp = VTempIn(g.folder);
  return g;
}

Checked<GamePath> CheckGamePath(std::u16string_view gamePath, Runtime& rt) {
  Checked<GamePath> resolved = ResolveGamePath(gamePath, rt);
  GamePath* g = std::get_if<GamePath>(&resolved);
  if (g == nullptr) return resolved;
  if (auto refused = NotAGameFolder(rt, g->folder)) return *refused;
  if (const Result<FileIdentity> id = rt.IdentityOf(WithoutTrailingBackslash(g->folder)); id.ok()) {
    g->identity = id.value();
  }
  return resolved;
}

// rule 3
Checked<std::unique_ptr<HeldLock>> LockGameFolder(Runtime& rt, const GamePath& g) {
  const std::u16string path = g.vTemp + u"\\" + std::u16string(kLockName);
  Result<std::unique_ptr<HeldLock>> lock = rt.Lock(path);
  if (lock.ok()) return std::move(lock.value());
  if (lock.Is(ErrorKind::kInUse)) return Report(Finding::kAnotherJob);
  return Report(Finding::kNoLock, path, lock.error());
}

}  // namespace torvane
