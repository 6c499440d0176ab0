#include "job/quarantine.h"

#include <set>

#include "job/safe_move.h"
#include "job/steps.h"
#include "resources/texts.h"
#include "runtime/text.h"

namespace torvane {
namespace {

constexpr std::u16string_view kExeMarker = u"\\war3.exe";
constexpr std::u16string_view kQuarantineName = u"vTemp";
constexpr std::u16string_view kMilesProbe = u"redist\\miles\\Mssfast.m3d";
constexpr std::u16string_view kMilesFolder = u"redist\\miles\\";
constexpr int kListingAttempts = 2;
constexpr std::uint32_t kEverything =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrVolume | kAttrFolder;

// The names one listing returns with their attributes, and the error that cut it short.
struct Listing {
  std::vector<std::u16string> names;
  std::vector<std::uint32_t> attributes;
  Result<std::u16string> end = std::u16string();
};

Listing List(Runtime& rt, const std::u16string& pattern, std::uint32_t mask) {
  Listing listing;
  listing.end = rt.Dir(pattern, mask);
  while (listing.end.ok() && !listing.end.value().empty()) {
    listing.names.push_back(listing.end.value());
    listing.attributes.push_back(rt.DirAttributes());
    listing.end = rt.DirNext();
  }
  return listing;
}

// A file to move, with the attributes the listing found it with.
struct Found {
  std::u16string path;
  std::uint32_t attributes = 0;
};

// The lower-cased name of the running program when it lies in `folder`, else empty.
std::u16string OwnNameIn(Runtime& rt, const std::u16string& folder) {
  const Result<std::u16string> self = rt.ProgramPath();
  if (!self.ok()) return {};
  const Result<bool> here = SameFile(rt, WithoutTrailingBackslash(FolderOf(self.value())),
                                     WithoutTrailingBackslash(folder));
  return here.ok() && here.value() ? LowerCase(NameOf(self.value())) : std::u16string();
}

class Pass {
 public:
  Pass(Runtime& rt, Journal& journal, JobObserver* observer, QuarantineReport& report)
      : rt_(rt), journal_(journal), observer_(observer), report_(report) {}

  // `folder` ends in a backslash.
  void Run(const std::u16string& folder, std::u16string_view keepList, const std::u16string& own) {
    quarantine_ = folder + std::u16string(kQuarantineName);
    if (!PrepareQuarantine()) return;
    // The names are gathered before anything moves, so the moves never disturb a listing.
    // A listing cut short is taken again once: names it missed are then still found.
    std::set<std::u16string> tried;
    for (int attempt = 1;; ++attempt) {
      const Listing listing = List(rt_, folder + u"*.*", kDirAllFiles);
      std::vector<Found> moving;
      for (size_t i = 0; i < listing.names.size(); ++i) {
        const std::u16string& name = listing.names[i];
        const std::u16string lower = LowerCase(name);
        if (IsKept(keepList, lower) || lower == own || !tried.insert(name).second) continue;
        moving.push_back({folder + name, listing.attributes[i]});
      }
      total_ += moving.size();
      MoveAll(moving);
      if (listing.end.ok()) return;
      if (attempt == kListingAttempts) {
        report_.notListed.push_back({folder, listing.end.error()});
        return;
      }
    }
  }

 private:
  bool PrepareQuarantine() {
    const Result<std::uint32_t> existing = rt_.GetAttr(quarantine_);
    if (!existing.ok()) {
      Step mkdir = MakeStep(StepKind::kMkDir, quarantine_);
      SkipOnFailure(Execute(rt_, journal_, mkdir));
    } else if ((existing.value() & kAttrReparsePoint) != 0) {
      // Never move the user's files through a link someone planted.
      report_.notListed.push_back(
          {quarantine_, {ErrorKind::kAccessDenied, 0, texts::kMsgLinkedQuarantine}});
      return false;
    }
    // Names already taken in vTemp; the moves below promise theirs here too.
    taken_.clear();
    for (const std::u16string& name : List(rt_, quarantine_ + u"\\", kEverything).names) {
      taken_.insert(LowerCase(name));
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
      Step step = MakeStep(StepKind::kMove, file.path, FreeName(NameOf(file.path)));
      step.attributes = file.attributes;
      step.clearsAttributes = true;
      steps.push_back(std::move(step));
    }
    std::vector<Step*> announced;
    for (Step& step : steps) announced.push_back(&step);
    if (const Status written = journal_.Intend(announced); !written.ok()) {
      journalError_ = written.error();
      for (const Step& step : steps) report_.notMoved.push_back({step.from, written.error()});
      return false;
    }
    std::vector<const Step*> outcomes;
    for (Step& step : steps) {
      const Status moved = Apply(rt_, step);
      step.state = moved.ok() ? StepState::kDone : StepState::kFailed;
      if (!moved.ok()) {
        step.error = moved.error().description;
        report_.notMoved.push_back({step.from, moved.error()});
      }
      outcomes.push_back(&step);
      if (observer_) observer_->OnFiles(++moved_, total_);
    }
    SkipOnFailure(journal_.Record(outcomes));
    return true;
  }

  std::u16string FreeName(const std::u16string& name) {
    for (int n = 1;; ++n) {
      std::u16string candidate = CopyName(name, n);
      if (taken_.insert(LowerCase(candidate)).second) {
        return quarantine_ + u"\\" + candidate;
      }
    }
  }

  Runtime& rt_;
  Journal& journal_;
  JobObserver* observer_;
  QuarantineReport& report_;
  std::u16string quarantine_;
  std::set<std::u16string> taken_;
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

QuarantineReport ClearRedundantFiles(std::u16string& path, Runtime& rt, Journal& journal,
                                     JobObserver* observer) {
  QuarantineReport report;
  if (path.empty()) return report;
  Pass pass(rt, journal, observer, report);

  const std::u16string lowered = LowerCase(path);
  if (Contains(lowered, kExeMarker)) {
    path = ReplaceAll(lowered, kExeMarker, u"\\");
    pass.Run(path, GameKeepList(), OwnNameIn(rt, path));
  }

  const Result<std::u16string> miles = rt.Dir(path + std::u16string(kMilesProbe), kDirOrdinary);
  if (!miles.ok()) {
    // Whether the audio folder is there is unknown, so it cannot be called tidy.
    report.notListed.push_back({path + std::u16string(kMilesFolder), miles.error()});
  } else if (!miles.value().empty()) {
    path += kMilesFolder;
    pass.Run(path, MilesKeepList(), {});
  }
  return report;
}

}  // namespace torvane
