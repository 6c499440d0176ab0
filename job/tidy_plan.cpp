#include "job/tidy_plan.h"

#include <algorithm>
#include <set>

#include "job/confinement.h"
#include "job/game_layout.h"
#include "job/game_path.h"
#include "runtime/text.h"

namespace torvane {
namespace {

constexpr int kListingAttempts = 2;

// A junction or symbolic link (`path` with or without its trailing backslash).
bool IsLink(Runtime& rt, const std::u16string& path) {
  const Result<std::uint32_t> attributes = rt.GetAttr(WithoutTrailingBackslash(path));
  return attributes.ok() && (attributes.value() & kAttrReparsePoint) != 0;
}

// The lower-cased names of the tool's own programs that lie in `folder`, by the folder's
// identity: the running one whatever it is called, and those the release puts beside it.
std::set<std::u16string> OwnNamesIn(Runtime& rt, const std::u16string& folder) {
  std::set<std::u16string> names;
  for (const std::u16string& program : ToolPrograms(rt)) {
    const Result<bool> here =
        SameFile(rt, WithoutTrailingBackslash(FolderOf(program)), WithoutTrailingBackslash(folder));
    if (here.ok() && here.value()) names.insert(LowerCase(NameOf(program)));
  }
  return names;
}

// A listing that fails is taken again once.
Result<std::vector<DirEntry>> ListFiles(Runtime& rt, const std::u16string& folder) {
  Result<std::vector<DirEntry>> listing = rt.List(folder + u"*.*", kDirAllFiles);
  for (int attempt = 1; !listing.ok() && attempt < kListingAttempts; ++attempt) {
    listing = rt.List(folder + u"*.*", kDirAllFiles);
  }
  return listing;
}

// Why a listed file stays in a folder tidied by `keepList`; nothing when it moves.
std::optional<Stay> StaysBecause(const DirEntry& entry, std::u16string_view keepList,
                                 const std::set<std::u16string>& own) {
  const std::u16string lower = LowerCase(entry.name);
  if (IsKept(keepList, lower)) return Stay::kKept;
  if (own.count(lower)) return Stay::kOwnProgram;
  if (!IsPlainName(entry.name)) return Stay::kUnplainName;
  return std::nullopt;
}

// One folder's pass: its vTemp first (a link there closes the folder), then its files.
FolderPlan PlanFolder(Runtime& rt, const std::u16string& folder, std::u16string_view keepList,
                      const std::set<std::u16string>& own) {
  FolderPlan plan;
  plan.folder = folder;
  const Result<std::uint32_t> vTemp = rt.GetAttr(plan.VTemp());
  if (vTemp.ok() && (vTemp.value() & kAttrReparsePoint) != 0) {
    plan.closed = Closed::kLinkedVTemp;
    return plan;
  }
  plan.vTempMissing = !vTemp.ok();
  const Result<std::vector<DirEntry>> listing = ListFiles(rt, folder);
  if (!listing.ok()) {
    plan.closed = Closed::kUnlisted;
    plan.error = listing.error();
    return plan;
  }
  for (const DirEntry& entry : listing.value()) {
    if (const std::optional<Stay> why = StaysBecause(entry, keepList, own)) {
      plan.stays.push_back({folder + entry.name, *why});
    } else {
      plan.moves.push_back({folder + entry.name, entry.attributes, entry.size});
    }
  }
  return plan;
}

// The audio folder's pass, when an ordinary Mssfast.m3d says the folder is the game's.
std::optional<FolderPlan> PlanMiles(Runtime& rt, const std::u16string& gameFolder) {
  FolderPlan plan;
  plan.folder = gameFolder + std::u16string(kMilesFolder);
  const Result<std::vector<DirEntry>> probe =
      rt.List(gameFolder + std::u16string(kMilesFolder) + std::u16string(kMilesMark), kDirOrdinary);
  if (!probe.ok()) {
    plan.closed = Closed::kUnprobed;
    plan.error = probe.error();
    return plan;
  }
  if (probe.value().empty()) return std::nullopt;
  // A junction or symbolic link on the way (the only ways out of the game folder) may lead
  // anywhere: another game's folder, the user's documents.
  if (IsLink(rt, gameFolder + std::u16string(kRedistFolder)) || IsLink(rt, plan.folder)) {
    plan.closed = Closed::kLinked;
    return plan;
  }
  return PlanFolder(rt, plan.folder, MilesKeepList(), {});
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

std::u16string FolderPlan::VTemp() const { return VTempIn(folder); }

bool TidyPlan::ChangesAnything() const {
  return std::any_of(folders.begin(), folders.end(), [](const FolderPlan& folder) {
    return !folder.moves.empty() || folder.closed == Closed::kUnprobed ||
           folder.closed == Closed::kUnlisted;
  });
}

TidyPlan PlanTidy(std::u16string_view path, Runtime& rt) {
  TidyPlan plan;
  // The game folder of war3.exe; a path that names no war3.exe names no game folder.
  if (LowerCase(NameOf(path)) != kWar3Exe) return plan;
  const std::u16string folder = FolderOf(LowerCase(path));
  plan.folders.push_back(PlanFolder(rt, folder, GameKeepList(), OwnNamesIn(rt, folder)));
  if (std::optional<FolderPlan> miles = PlanMiles(rt, folder)) {
    plan.folders.push_back(std::move(*miles));
  }
  return plan;
}

}  // namespace torvane
