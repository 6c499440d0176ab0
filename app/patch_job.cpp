#include "app/patch_job.h"

#include <vector>

#include "app/preflight.h"
#include "app/quarantine.h"
#include "app/safe_move.h"
#include "resources/texts.h"
#include "runtime/text.h"

namespace torvane {
namespace {

constexpr std::u16string_view kExeName = u"war3.exe";
constexpr std::uint32_t kPauseMs = 1000;
constexpr char16_t kCrLf[] = u"\r\n";
constexpr char16_t kParagraph[] = u"\r\n\r\n";

bool IsFile(const Result<std::uint32_t>& attributes) {
  return attributes.ok() && (attributes.value() & kAttrFolder) == 0;
}

std::u16string QuarantineOf(const std::u16string& file) { return FolderOf(file) + u"vTemp"; }

// The folder as the platform names it: without its backslash, except at a drive root.
std::u16string FolderForLookup(const std::u16string& folder) {
  if (folder.size() > 1 && folder.back() == u'\\' && folder[folder.size() - 2] != u':') {
    return folder.substr(0, folder.size() - 1);
  }
  return folder;
}

void ShowError(Runtime& rt, const std::u16string& prompt, std::uint32_t icon) {
  (void)rt.MsgBox(prompt, kMbOk | icon, texts::kTitleError);
}

// Refuses a path that would make the job act on files the user did not name, before
// anything is touched. Returns false after telling the user why.
bool PathIsUsable(Runtime& rt, const std::u16string& working, const GamePaths& paths) {
  if (Contains(working, u"*") || Contains(working, u"?")) {
    ShowError(rt, texts::kMsgWildcards, kMbIconStop);
    return false;
  }
  std::vector<std::u16string> folders{FolderOf(paths.msvcn80)};
  for (const std::u16string& file : paths.versionFiles) folders.push_back(FolderOf(file));
  for (const std::u16string& folder : folders) {
    if (folder.empty()) {
      ShowError(rt, texts::kMsgNotFullPath, kMbIconStop);
      return false;
    }
    const Result<std::uint32_t> attributes = rt.GetAttr(FolderForLookup(folder));
    if (!attributes.ok() || (attributes.value() & kAttrFolder) == 0) {
      ShowError(rt,
                std::u16string(texts::kMsgFolderMissing) + folder + kCrLf + texts::kMsgCheckPath,
                kMbIconStop);
      return false;
    }
  }
  return true;
}

// All four replacements must be there before the first original is touched.
bool SourcesPresent(Runtime& rt, std::array<std::u16string, 4>& sources) {
  const Result<std::u16string> toolFolder = MyPath(rt);
  std::u16string missing;
  for (size_t i = 0; i < sources.size(); ++i) {
    const std::u16string relative = u"patch\\" + std::u16string(kVersionFileNames[i]);
    sources[i] = toolFolder.value_or(u"") + relative;
    const Result<std::uint32_t> attributes =
        toolFolder.ok() ? rt.GetAttr(sources[i]) : Result<std::uint32_t>(toolFolder.error());
    if (IsFile(attributes)) continue;
    missing += kCrLf + relative;
    if (attributes.ok() || attributes.Is(ErrorKind::kNotFound)) {
      missing += texts::kMsgSourceMissing;
    } else {
      missing += texts::kMsgSourceUnreadable + attributes.error().description + u"）";
    }
  }
  if (missing.empty()) return true;
  ShowError(rt, texts::kMsgSourcesMissing + missing, kMbIconStop);
  return false;
}

// Every original goes to a vTemp beside it, so that folder must exist before the first
// file is touched.
bool QuarantinesReady(Runtime& rt, const GamePaths& paths) {
  std::vector<std::u16string> files{paths.msvcn80};
  files.insert(files.end(), paths.versionFiles.begin(), paths.versionFiles.end());
  for (const std::u16string& file : files) {
    const Status made = EnsureFolder(rt, QuarantineOf(file));
    if (made.ok()) continue;
    ShowError(rt,
              texts::kMsgNoQuarantine + QuarantineOf(file) + kCrLf + texts::kMsgErrorPrefix +
                  made.error().description,
              kMbIconStop);
    return false;
  }
  return true;
}

// One version file on its way from the original to the replacement.
struct Replacement {
  std::u16string target;
  std::u16string source;
  std::u16string keptAt;  // where the original waits in vTemp
  bool inPlace = false;   // already identical to the replacement
  bool failed = false;
  std::u16string problem;  // what to tell the user when it failed
};

void SetAsideOriginal(Runtime& rt, Replacement& r) {
  if (!IsFile(rt.GetAttr(r.target))) return;  // nothing to keep: a restore
  const Result<bool> same = rt.SameContent(r.target, r.source);
  if (same.ok() && same.value()) {
    r.inPlace = true;
    return;
  }
  const Result<std::u16string> kept = MoveIntoFolder(rt, r.target, QuarantineOf(r.target));
  if (kept.ok()) {
    r.keptAt = kept.value();
  } else {
    r.failed = true;
    r.problem = texts::kMsgErrorPrefix + kept.error().description;
  }
}

void CopyReplacement(Runtime& rt, Replacement& r) {
  if (r.inPlace || r.failed) return;
  const Status copied = rt.FileCopy(r.source, r.target, CopyMode::kKeepExisting);
  if (copied.ok()) return;
  r.failed = true;
  r.problem = texts::kMsgErrorPrefix + copied.error().description;
  if (r.keptAt.empty()) return;
  if (rt.Rename(r.keptAt, r.target).ok()) {
    r.keptAt.clear();
  } else {
    r.problem += texts::kMsgKeptInVTemp + r.keptAt;
  }
}

std::u16string Line(const std::u16string& path, const Error& error) {
  return kCrLf + path + u"  " + texts::kMsgErrorPrefix + error.description;
}

std::u16string OutcomeText(const std::array<Replacement, 4>& replacements,
                           const QuarantineReport& report) {
  std::u16string text = texts::kMsgIncomplete;
  std::u16string notReplaced;
  for (const Replacement& r : replacements) {
    if (r.failed) notReplaced += kCrLf + r.target + u"  " + r.problem;
  }
  if (!notReplaced.empty())
    text += kParagraph + std::u16string(texts::kMsgNotReplaced) + notReplaced;
  if (!report.notMoved.empty()) {
    text += std::u16string(kParagraph) + texts::kMsgNotMoved;
    for (const Failure& f : report.notMoved) text += Line(f.path, f.error);
  }
  if (!report.notListed.empty()) {
    text += std::u16string(kParagraph) + texts::kMsgNotListed;
    for (const Failure& f : report.notListed) text += Line(f.path, f.error);
  }
  return text;
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

JobOutcome RunPatchJob(std::u16string_view pickerText, Runtime& rt, JobObserver* observer) {
  (void)observer;
  std::u16string working = LowerCase(pickerText);
  if (working.empty() || !Contains(working, kExeName)) {
    ShowError(rt, texts::kMsgNoPath, kMbIconStop);
    return JobOutcome::kRefused;
  }
  const GamePaths paths = DeriveGamePaths(working);
  std::array<std::u16string, 4> sources;
  if (!PathIsUsable(rt, working, paths) || !SourcesPresent(rt, sources) ||
      !PreflightPasses(pickerText, paths, rt) || !QuarantinesReady(rt, paths)) {
    return JobOutcome::kRefused;
  }

  // msvcn80.dll is kept in vTemp, not destroyed; whatever happens here, the look below
  // decides whether the job may go on.
  if (IsFile(rt.GetAttr(paths.msvcn80))) {
    SkipOnFailure(MoveIntoFolder(rt, paths.msvcn80, QuarantineOf(paths.msvcn80)));
  }
  rt.Sleep(kPauseMs);
  const Result<std::uint32_t> survivor = rt.GetAttr(paths.msvcn80);
  if (IsFile(survivor) || (!survivor.ok() && !survivor.Is(ErrorKind::kNotFound))) {
    ShowError(rt, texts::kMsgProbeFailed, kMbIconExclamation);
    return JobOutcome::kPartial;
  }

  std::array<Replacement, 4> replacements;
  for (size_t i = 0; i < replacements.size(); ++i) {
    replacements[i].target = paths.versionFiles[i];
    replacements[i].source = sources[i];
    SetAsideOriginal(rt, replacements[i]);
  }
  rt.Sleep(kPauseMs);
  for (Replacement& r : replacements) CopyReplacement(rt, r);
  rt.Sleep(kPauseMs);

  const QuarantineReport report = ClearRedundantFiles(working, rt);
  rt.Sleep(kPauseMs);

  bool allReplaced = true;
  for (const Replacement& r : replacements) allReplaced = allReplaced && !r.failed;
  if (allReplaced && report.complete()) {
    (void)rt.MsgBox(texts::kMsgDone, kMbOk | kMbIconInformation, texts::kTitleInfo);
    return JobOutcome::kDone;
  }
  ShowError(rt, OutcomeText(replacements, report), kMbIconExclamation);
  return JobOutcome::kPartial;
}

Result<std::u16string> QuarantineFolderOf(std::u16string_view pickerText, Runtime& rt) {
  (void)rt;
  const std::u16string working = LowerCase(pickerText);
  if (!Contains(working, kExeName)) return Error{ErrorKind::kBadPath, 0, texts::kMsgNoPath};
  return QuarantineOf(working);
}

}  // namespace torvane
