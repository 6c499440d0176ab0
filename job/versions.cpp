#include "job/versions.h"

#include "job/steps.h"
#include "job/tidy_plan.h"
#include "runtime/text.h"

namespace torvane {
namespace {

// Nothing at all would change: msvcn80.dll is gone, every version file already holds its
// replacement's bytes, and the tidy's plan moves nothing (what it leaves by rule it leaves
// on every run, so it is no change; a folder it cannot read might hold anything).
bool NothingWouldChange(Runtime& rt, const GamePath& g,
                        const std::array<std::u16string, 4>& sources) {
  const Result<std::uint32_t> msvcn80 = rt.GetAttr(g.files.msvcn80);
  if (msvcn80.ok() || !msvcn80.Is(ErrorKind::kNotFound)) return false;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (!SameBytes(rt, g.files.versionFiles[i], sources[i])) return false;
  }
  return !PlanTidy(g.working, rt).ChangesAnything();
}

std::pair<std::u16string, std::u16string> Named(const std::u16string& path,
                                                const FileVersion& version) {
  return {path, VersionText(version)};
}

}  // namespace

std::u16string VersionText(const FileVersion& v) {
  return Decimal(v.major) + u"." + Decimal(v.minor) + u"." + Decimal(v.build) + u"." +
         Decimal(v.revision);
}

std::optional<FileVersion> FolderVersions::Whole() const {
  if (!war3 || !game || *war3 != *game) return std::nullopt;
  return war3;
}

FolderVersions VersionsIn(Runtime& rt, const std::u16string& folder) {
  const std::u16string base = WithTrailingBackslash(folder);
  return {rt.VersionOf(base + std::u16string(kVersionFileNames[kWar3ExeAt])),
          rt.VersionOf(base + std::u16string(kVersionFileNames[kGameDllAt]))};
}

std::optional<Report> VersionQuestion(Runtime& rt, const GamePath& g,
                                      const std::array<std::u16string, 4>& sources) {
  const FolderVersions patch{rt.VersionOf(sources[kWar3ExeAt]), rt.VersionOf(sources[kGameDllAt])};
  if (patch.Mismatched()) {
    Report question(Finding::kVersionMismatch);
    question.versions = {Named(sources[kWar3ExeAt], *patch.war3),
                         Named(sources[kGameDllAt], *patch.game)};
    return question;
  }
  const std::optional<FileVersion> wanted = patch.Whole();
  if (!wanted) return std::nullopt;
  const FolderVersions game = VersionsIn(rt, g.folder);
  if (game.Whole() != wanted || !NothingWouldChange(rt, g, sources)) return std::nullopt;
  Report question(Finding::kAlreadyPatched, g.folder);
  question.versions = {Named(g.files.versionFiles[kWar3ExeAt], *game.war3),
                       Named(g.files.versionFiles[kGameDllAt], *game.game)};
  return question;
}

std::optional<Report> AskAboutVersions(Runtime& rt, const GamePath& g,
                                       const std::array<std::u16string, 4>& sources,
                                       JobHost& host) {
  const std::optional<Report> question = VersionQuestion(rt, g, sources);
  if (!question || host.Ask(*question)) return std::nullopt;
  return Report{Finding::kVersionDeclined};
}

}  // namespace torvane
