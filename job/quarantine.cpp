#include "job/quarantine.h"

#include <set>

#include "job/confinement.h"
#include "job/game_path.h"
#include "job/safe_move.h"
#include "job/steps.h"
#include "runtime/text.h"

namespace torvane {
namespace {

constexpr std::u16string_view kExeName = u"war3.exe";
constexpr std::u16string_view kQuarantineName = u"vTemp";
constexpr std::u16string_view kMilesProbe = u"redist\\miles\\Mssfast.m3d";
constexpr std::u16string_view kMilesFolder = u"redist\\miles\\";
constexpr int kListingAttempts = 2;

// A file to move, as the listing found it.
struct Found {
  std::u16string path;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
};

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

// A file of a tidied folder that goes to vTemp: no keep-list names it and it is not one of
// the tool's own programs. `lower` is its name, lower-cased.
bool IsRedundant(const std::u16string& lower, std::u16string_view keepList,
                 const std::set<std::u16string>& own) {
  return !IsKept(keepList, lower) && !own.count(lower);
}

class Pass {
 public:
  Pass(Runtime& rt, Journal& journal, JobObserver* observer, QuarantineReport& report)
      : rt_(rt), journal_(journal), observer_(observer), report_(report) {}

  // `folder` ends in a backslash.
  void Run(const std::u16string& folder, std::u16string_view keepList,
           const std::set<std::u16string>& own) {
    quarantine_ = folder + std::u16string(kQuarantineName);
    if (!PrepareQuarantine()) return;
    // The names are gathered before anything moves, so the moves never disturb a listing.
    // A listing that fails is taken again once.
    Result<std::vector<DirEntry>> listing = rt_.List(folder + u"*.*", kDirAllFiles);
    for (int attempt = 1; !listing.ok() && attempt < kListingAttempts; ++attempt) {
      listing = rt_.List(folder + u"*.*", kDirAllFiles);
    }
    if (!listing.ok()) {
      report_.notListed.push_back({folder, listing.error()});
      return;
    }
    std::vector<Found> moving;
    for (const DirEntry& entry : listing.value()) {
      if (!IsRedundant(LowerCase(entry.name), keepList, own)) continue;
      // Windows would move another file in its place ("war3.mpq." names War3.mpq), and
      // the journal could not name it: it stays, and is reported.
      if (!IsPlainName(entry.name)) {
        report_.notMoved.push_back({folder + entry.name, Why::kUnplainName});
        continue;
      }
      moving.push_back({folder + entry.name, entry.attributes, entry.size});
    }
    total_ += moving.size();
    // Not made (or made and found to be a link): nothing is moved towards it.
    if (unmade_) {
      for (const Found& file : moving) report_.notMoved.push_back({file.path, *unmade_});
      return;
    }
    MoveAll(moving);
  }

 private:
  bool PrepareQuarantine() {
    const Result<std::uint32_t> existing = rt_.GetAttr(quarantine_);
    unmade_.reset();
    if (!existing.ok()) {
      Step mkdir = MakeStep(StepKind::kMkDir, quarantine_);
      if (const Status made = Execute(rt_, journal_, mkdir); !made.ok()) unmade_ = made.error();
    } else if (IsLink(rt_, quarantine_)) {
      // Never move the user's files through a link someone planted.
      report_.notListed.push_back({quarantine_, Why::kLinkedVTemp});
      return false;
    }
    // Names already taken in vTemp; the moves below promise theirs here too.
    taken_.clear();
    const Result<std::vector<DirEntry>> inside = rt_.List(quarantine_ + u"\\", kDirEverything);
    for (const DirEntry& entry : inside.value_or(std::vector<DirEntry>())) {
      taken_.insert(LowerCase(entry.name));
    }
    return true;
  }

  void MoveAll(const std::vector<Found>& files) {
    for (std::size_t start = 0; start < files.size(); start += kStepsPerWrite) {
      const std::size_t end = std::min(files.size(), start + kStepsPerWrite);
      if (!MoveBatch({files.begin() + start, files.begin() + end})) {
        for (std::size_t i = end; i < files.size(); ++i) {
          report_.notMoved.push_back({files[i].path, journalError_});
        }
        return;
      }
    }
  }

  // False when the journal cannot be written: nothing more is moved without its record.
  bool MoveBatch(const std::vector<Found>& files) {
    std::vector<Step> steps;
    for (const Found& file : files) {
      Step step = MakeStep(StepKind::kMove, file.path, quarantine_ + u"\\" + FreeName(file.path));
      step.attributes = file.attributes;
      step.size = file.size;
      step.clearsAttributes = true;
      steps.push_back(std::move(step));
    }
    const Status written =
        ExecuteBatch(rt_, journal_, steps, [&](const Step& step, const Status& moved) {
          if (!moved.ok()) report_.notMoved.push_back({step.from, moved.error()});
          if (observer_) observer_->OnFiles(++moved_, total_);
        });
    if (written.ok()) return true;
    journalError_ = written.error();
    for (const Step& step : steps) report_.notMoved.push_back({step.from, written.error()});
    return false;
  }

  // The name the file gets in vTemp: its own, or the first free copy name.
  std::u16string FreeName(const std::u16string& path) {
    return FirstFreeName(NameOf(path),
                         [&](const std::u16string& candidate) -> Result<bool> {
                           return taken_.insert(LowerCase(candidate)).second;
                         })
        .value_or(NameOf(path));
  }

  Runtime& rt_;
  Journal& journal_;
  JobObserver* observer_;
  QuarantineReport& report_;
  std::u16string quarantine_;
  std::set<std::u16string> taken_;
  std::optional<Error> unmade_;  // why vTemp could not be made
  std::size_t moved_ = 0;
  std::size_t total_ = 0;
  Error journalError_;
};

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

namespace {

// Whether a listing of `folder` holds a file that no keep-list names and that is not one
// of `own`; a folder that cannot be listed counts as holding one.
bool HoldsRedundant(Runtime& rt, const std::u16string& folder, std::u16string_view keepList,
                    const std::set<std::u16string>& own) {
  const Result<std::vector<DirEntry>> listing = rt.List(folder + u"*.*", kDirAllFiles);
  if (!listing.ok()) return true;
  for (const DirEntry& entry : listing.value()) {
    if (IsRedundant(LowerCase(entry.name), keepList, own)) return true;
  }
  return false;
}

}  // namespace

bool WouldTidyAnything(std::u16string_view path, Runtime& rt) {
  if (LowerCase(NameOf(path)) != kExeName) return false;
  const std::u16string folder = FolderOf(LowerCase(path));
  if (HoldsRedundant(rt, folder, GameKeepList(), OwnNamesIn(rt, folder))) return true;
  const Result<std::vector<DirEntry>> miles =
      rt.List(folder + std::u16string(kMilesProbe), kDirOrdinary);
  if (!miles.ok()) return true;
  return !miles.value().empty() &&
         HoldsRedundant(rt, folder + std::u16string(kMilesFolder), MilesKeepList(), {});
}

QuarantineReport ClearRedundantFiles(std::u16string_view path, Runtime& rt, Journal& journal,
                                     JobObserver* observer) {
  QuarantineReport report;
  // The game folder of war3.exe; a path that names no war3.exe names no game folder.
  if (LowerCase(NameOf(path)) != kExeName) return report;
  Pass pass(rt, journal, observer, report);
  const std::u16string folder = FolderOf(LowerCase(path));
  pass.Run(folder, GameKeepList(), OwnNamesIn(rt, folder));

  const std::u16string milesFolder = folder + std::u16string(kMilesFolder);
  const Result<std::vector<DirEntry>> miles =
      rt.List(folder + std::u16string(kMilesProbe), kDirOrdinary);
  if (!miles.ok()) {
    // Whether the audio folder is there is unknown, so it cannot be called tidy.
    report.notListed.push_back({milesFolder, miles.error()});
  } else if (miles.value().empty()) {
    return report;
  } else if (IsLink(rt, folder + u"redist") || IsLink(rt, milesFolder)) {
    // A junction or symbolic link on the way (the only ways out of the game folder) may
    // lead anywhere: another game's folder, the user's documents.
    report.notListed.push_back({milesFolder, Why::kLinkedFolder});
  } else {
    pass.Run(milesFolder, MilesKeepList(), {});
  }
  return report;
}

}  // namespace torvane
