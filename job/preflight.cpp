#include "job/preflight.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "job/game_layout.h"
#include "runtime/text.h"

namespace torvane {
namespace {

// The game files that exist; every other one is left to the job.
std::vector<std::u16string> VersionSet(const GameFiles& files) {
  std::vector<std::u16string> set{files.msvcn80};
  set.insert(set.end(), files.versionFiles.begin(), files.versionFiles.end());
  return set;
}

// Whether a file lies in the game folder (SameFolder), each folder looked up once.
class FolderMatcher {
 public:
  FolderMatcher(Runtime& rt, std::u16string folder) : rt_(rt), folder_(std::move(folder)) {}

  bool Holds(const std::u16string& file) {
    const std::u16string folder = LowerCase(FolderOf(file));
    auto [it, fresh] = seen_.try_emplace(folder);
    if (fresh) it->second = SameFolder(rt_, folder, folder_).value_or(false);
    return it->second;
  }

 private:
  Runtime& rt_;
  std::u16string folder_;
  std::map<std::u16string, bool> seen_;
};

// This program and its siblings, by file identity: a renamed copy is still ours, and a
// stranger's program that happens to bear our name is not.
std::vector<FileIdentity> OwnPrograms(Runtime& rt) {
  std::vector<FileIdentity> ids;
  for (const std::u16string& file : ToolPrograms(rt)) {
    if (auto id = rt.IdentityOf(file); id.ok()) ids.push_back(id.value());
  }
  return ids;
}

bool IsOurs(Runtime& rt, const std::vector<FileIdentity>& own, const RunningProgram& program) {
  if (program.path.empty()) return false;
  const Result<FileIdentity> id = rt.IdentityOf(program.path);
  return id.ok() && std::find(own.begin(), own.end(), id.value()) != own.end();
}

// Programs started from the game folder, then those holding a version file open; each
// process once. A list that cannot be had is no reason to refuse.
std::vector<RunningProgram> ProgramsInTheWay(Runtime& rt, const GameFiles& files) {
  const std::vector<FileIdentity> own = OwnPrograms(rt);
  FolderMatcher gameFolder(rt, FolderOf(files.msvcn80));
  std::vector<RunningProgram> found;
  auto add = [&](const RunningProgram& program) {
    const bool listed = std::any_of(found.begin(), found.end(),
                                    [&](const RunningProgram& p) { return p.pid == program.pid; });
    if (!listed && !IsOurs(rt, own, program)) found.push_back(program);
  };
  if (const auto running = rt.RunningPrograms(); running.ok()) {
    for (const RunningProgram& program : running.value()) {
      if (!program.path.empty() && gameFolder.Holds(program.path)) add(program);
    }
  }
  if (const auto users = rt.ProgramsUsing(VersionSet(files)); users.ok()) {
    for (const RunningProgram& program : users.value()) add(program);
  }
  return found;
}

// Everything the job would write that the tool has no right to: the folders (and the
// vTemp folders already there), and the version files, which it renames.
std::vector<Shortfall> MissingRights(Runtime& rt, const GameFiles& files) {
  std::vector<Shortfall> refused;
  auto note = [&](const std::u16string& path, const Status& probe) {
    if (probe.Is(ErrorKind::kAccessDenied)) refused.push_back({path, probe.error()});
  };
  const std::u16string folder = FolderOf(files.msvcn80);
  note(folder, rt.ProbeWrite(folder));
  const std::u16string vTemp = VTempIn(folder);
  if (IsFolder(rt.GetAttr(vTemp))) note(vTemp, rt.ProbeWrite(vTemp));
  for (const std::u16string& file : VersionSet(files)) note(file, rt.ProbeRename(file));
  return refused;
}

// Offers to start again as administrator with the same path; what then is left to say.
Report OfferToRestartElevated(std::u16string_view gamePath, const Shortfall& first, Runtime& rt,
                              JobHost& host) {
  if (!host.Ask(Report(Finding::kElevationOffer, first.path))) {
    return Report(Finding::kElevationDeclined);
  }
  const Status restarted = rt.RestartElevated(std::u16string(gamePath));
  if (restarted.ok() || restarted.error().code == kErrorCancelled) {
    return Report{Finding::kRestarted};
  }
  return Report(Finding::kRestartFailed, {}, restarted.error());
}

// The journal of a job that tidies a few thousand files, with room to spare.
constexpr std::uint64_t kJournalMarginBytes = 1 << 20;

// A file's size as listed; nothing when it cannot be listed.
std::optional<std::uint64_t> SizeOf(Runtime& rt, const std::u16string& path) {
  const Result<std::vector<DirEntry>> listed = rt.List(path, kDirAllFiles);
  if (!listed.ok() || listed.value().empty()) return std::nullopt;
  return listed.value().front().size;
}

// A replacement whose bytes are already in place is not copied again.
bool InPlace(Runtime& rt, const std::u16string& target, const std::u16string& source,
             std::uint64_t sourceSize) {
  if (SizeOf(rt, target) != sourceSize) return false;
  const Result<bool> same = rt.SameContent(target, source);
  return same.ok() && same.value();
}

// The volume as a user names it: "D:\", or "\\server\share\".
std::u16string VolumeOf(const std::u16string& folder) {
  if (folder.size() >= 2 && folder[1] == u':') {
    const bool lower = folder[0] >= u'a' && folder[0] <= u'z';
    const char16_t letter = lower ? static_cast<char16_t>(folder[0] - u'a' + u'A') : folder[0];
    return std::u16string{letter, u':', u'\\'};
  }
  if (!folder.starts_with(u"\\\\")) return folder;
  const size_t server = folder.find(u'\\', 2);
  const size_t share = server == std::u16string::npos ? server : folder.find(u'\\', server + 1);
  return share == std::u16string::npos ? WithTrailingBackslash(folder)
                                       : folder.substr(0, share + 1);
}

}  // namespace

std::optional<Report> SpaceRefusal(const GameFiles& files,
                                   const std::array<std::u16string, 4>& sources, Runtime& rt) {
  std::uint64_t needed = kJournalMarginBytes;
  for (size_t i = 0; i < sources.size(); ++i) {
    const std::optional<std::uint64_t> size = SizeOf(rt, sources[i]);
    if (size && !InPlace(rt, files.versionFiles[i], sources[i], *size)) needed += *size;
  }
  const std::u16string folder = FolderOf(files.msvcn80);
  const Result<std::uint64_t> free = rt.FreeSpace(folder);
  if (!free.ok() || free.value() >= needed) return std::nullopt;
  Report report(Finding::kNoSpace, VolumeOf(folder));
  report.bytesNeeded = needed;
  report.bytesFree = free.value();
  return report;
}

std::optional<Report> PreflightRefusal(std::u16string_view gamePath, const GameFiles& files,
                                       Runtime& rt, JobHost& host) {
  if (std::vector<RunningProgram> running = ProgramsInTheWay(rt, files); !running.empty()) {
    Report report{Finding::kProgramsRunning};
    report.programs = std::move(running);
    return report;
  }
  std::vector<Shortfall> refused = MissingRights(rt, files);
  if (refused.empty()) return std::nullopt;
  if (!rt.IsElevated()) return OfferToRestartElevated(gamePath, refused.front(), rt, host);
  Report report{Finding::kNoRights};
  report.problems = std::move(refused);
  return report;
}

}  // namespace torvane
