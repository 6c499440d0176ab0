#include "app/quarantine.h"

#include <set>

#include "app/safe_move.h"
#include "runtime/text.h"

namespace torvane {
namespace {

constexpr std::u16string_view kExeMarker = u"\\war3.exe";
constexpr std::u16string_view kQuarantineName = u"vTemp";
constexpr std::u16string_view kMilesProbe = u"redist\\miles\\Mssfast.m3d";
constexpr std::u16string_view kMilesFolder = u"redist\\miles\\";
constexpr int kListingAttempts = 2;
constexpr std::uint32_t kKeptAttributes = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;

void MoveOne(Runtime& rt, const std::u16string& file, const std::u16string& quarantine,
             QuarantineReport& report) {
  const Result<std::uint32_t> before = rt.GetAttr(file);
  SkipOnFailure(rt.SetAttr(file, kAttrNormal));
  const Result<std::u16string> moved = MoveIntoFolder(rt, file, quarantine);
  if (moved.ok()) return;
  // It stays, so it keeps looking as it did: a hidden file stays hidden.
  if (before.ok()) SkipOnFailure(rt.SetAttr(file, before.value() & kKeptAttributes));
  report.notMoved.push_back({file, moved.error()});
}

// The names one listing returns, and the error that cut it short, if any.
struct Listing {
  std::vector<std::u16string> names;
  Result<std::u16string> end = std::u16string();
};

Listing ListFiles(Runtime& rt, const std::u16string& folder) {
  Listing listing;
  listing.end = rt.Dir(folder + u"*.*", kDirAllFiles);
  while (listing.end.ok() && !listing.end.value().empty()) {
    listing.names.push_back(listing.end.value());
    listing.end = rt.DirNext();
  }
  return listing;
}

// `folder` ends in a backslash.
void QuarantinePass(Runtime& rt, const std::u16string& folder, std::u16string_view keepList,
                    QuarantineReport& report) {
  const std::u16string quarantine = folder + std::u16string(kQuarantineName);
  const Result<std::u16string> existing = rt.Dir(quarantine, kDirWithFolders);
  if (!existing.ok() || existing.value().empty()) SkipOnFailure(rt.MkDir(quarantine));

  // The names are gathered before anything moves, so the moves never disturb a listing.
  // A listing cut short is taken again once: names it missed are then still found.
  std::set<std::u16string> tried;
  for (int attempt = 1;; ++attempt) {
    const Listing listing = ListFiles(rt, folder);
    for (const std::u16string& name : listing.names) {
      if (IsKept(keepList, LowerCase(name)) || !tried.insert(name).second) continue;
      MoveOne(rt, folder + name, quarantine, report);
    }
    if (listing.end.ok()) return;
    if (attempt == kListingAttempts) {
      report.notListed.push_back({folder, listing.end.error()});
      return;
    }
  }
}

}  // namespace

std::u16string GameKeepList() {
  return LowerCase(
             u"blizzard.ax|bncache.dat|BNetEditor.exe|BNetEditor.ini|BNUpdate.exe|"
             u"Frozen Throne.exe|Game.dll|"
             u"Mss32.dll|RegSetup.exe|settings.dat|setup.bat|SetupReg.exe|worldedit.exe|"
             u"Unwise.exe|ijl15.dll|"
             u"SFmpq.dll|Storm.dll|War3.exe|War3.mpq|War3Patch.mpq|War3x.mpq|War3xlocal.mpq|"
             u"Warcraft III.exe|World Editor.exe|") +
         LowerCase(u"msvcn80.dll|WarMP.mixtape|");
}

std::u16string MilesKeepList() {
  return LowerCase(
      u"Mp3dec.asi|Mss32.cpp|Mss32.dll|Mssdolby.m3d|Msseax2.m3d|Mssfast.m3d|Reverb3.flt|");
}

bool IsKept(std::u16string_view keepList, std::u16string_view name) {
  return Contains(keepList, name);
}

QuarantineReport ClearRedundantFiles(std::u16string& path, Runtime& rt) {
  QuarantineReport report;
  if (path.empty()) return report;

  const std::u16string lowered = LowerCase(path);
  if (Contains(lowered, kExeMarker)) {
    path = ReplaceAll(lowered, kExeMarker, u"\\");
    QuarantinePass(rt, path, GameKeepList(), report);
  }

  const Result<std::u16string> miles = rt.Dir(path + std::u16string(kMilesProbe), kDirOrdinary);
  if (!miles.ok()) {
    // Whether the audio folder is there is unknown, so it cannot be called tidy.
    report.notListed.push_back({path + std::u16string(kMilesFolder), miles.error()});
  } else if (!miles.value().empty()) {
    path += kMilesFolder;
    QuarantinePass(rt, path, MilesKeepList(), report);
  }
  return report;
}

}  // namespace torvane
