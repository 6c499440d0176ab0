#include "job/confinement.h"

#include <algorithm>
#include <array>

#include "runtime/text.h"

namespace torvane {
namespace {

// The names Windows gives to devices, in any case and with any extension.
constexpr std::array<std::u16string_view, 22> kDeviceNames = {
    u"con",  u"prn",  u"aux",  u"nul",  u"com1", u"com2", u"com3", u"com4",
    u"com5", u"com6", u"com7", u"com8", u"com9", u"lpt1", u"lpt2", u"lpt3",
    u"lpt4", u"lpt5", u"lpt6", u"lpt7", u"lpt8", u"lpt9"};

bool IsDeviceName(std::u16string_view name) {
  std::u16string stem = LowerCase(name.substr(0, name.find(u'.')));
  while (!stem.empty() && stem.back() == u' ') stem.pop_back();
  return std::find(kDeviceNames.begin(), kDeviceNames.end(), stem) != kDeviceNames.end();
}

// The folders a game folder's journal may name, with trailing backslashes.
std::vector<std::u16string> RootsOf(const std::u16string& folder) {
  const std::u16string game = WithTrailingBackslash(folder);
  const std::u16string miles = game + u"redist\\miles\\";
  return {game, game + u"vTemp\\", miles, miles + u"vTemp\\"};
}

// A file that is only read: any absolute path with a plain name, as it stands.
std::optional<std::u16string> ReadableSource(const std::u16string& path) {
  if (!IsAbsolutePath(path) || !IsPlainName(NameOf(path))) return std::nullopt;
  return path;
}

}  // namespace

bool IsPlainName(std::u16string_view name) {
  if (name.empty() || name == u"." || name == u".." || IsDeviceName(name)) return false;
  if (name.back() == u'.' || name.back() == u' ') return false;
  return std::none_of(name.begin(), name.end(), [](char16_t c) {
    return c < u' ' || c == u'\\' || c == u'/' || c == u':' || c == 0x7F;
  });
}

GameFolderScope::GameFolderScope(Runtime& rt, const std::u16string& folder)
    : rt_(rt), roots_(RootsOf(folder)) {}

std::optional<FileIdentity> GameFolderScope::IdentityOf(const std::u16string& folder) {
  const auto [it, fresh] = identities_.try_emplace(folder);
  if (fresh) {
    const Result<FileIdentity> id = rt_.IdentityOf(WithoutTrailingBackslash(folder));
    if (id.ok()) it->second = id.value();
  }
  return it->second;
}

std::optional<std::u16string> GameFolderScope::Match(const std::u16string& folder,
                                                     const std::u16string& extra) {
  std::vector<std::u16string> allowed = roots_;
  if (!extra.empty()) allowed.push_back(WithTrailingBackslash(extra));
  const std::u16string lower = LowerCase(folder);
  for (const std::u16string& root : allowed) {
    if (LowerCase(root) == lower) return root;
  }
  // Another spelling of the same folder: a second drive letter, a share, a short name.
  const std::optional<FileIdentity> id = IdentityOf(folder);
  if (!id) return std::nullopt;
  for (const std::u16string& root : allowed) {
    if (IdentityOf(root) == id) return root;
  }
  return std::nullopt;
}

GameFolderScope::Belonging GameFolderScope::BelongingOf(const JournalDoc& doc) {
  if (doc.sections.empty()) return Belonging::kUnknown;
  const Section& first = doc.sections.front();
  const std::optional<FileIdentity> here = IdentityOf(roots_.front());
  if (first.folder) {
    if (!here) return Belonging::kUnknown;
    return *first.folder == *here ? Belonging::kHere : Belonging::kElsewhere;
  }
  const std::u16string folder = FolderOf(first.subject);
  if (LowerCase(folder) == LowerCase(roots_.front())) return Belonging::kHere;
  const Result<FileIdentity> there = rt_.IdentityOf(WithoutTrailingBackslash(folder));
  if (there.Is(ErrorKind::kNotFound)) return Belonging::kElsewhere;
  if (!there.ok() || !here) return Belonging::kUnknown;
  return there.value() == *here ? Belonging::kHere : Belonging::kElsewhere;
}

std::optional<std::u16string> GameFolderScope::Resolve(const std::u16string& path,
                                                       const std::u16string& patchFolder) {
  const std::u16string name = NameOf(path);
  if (!IsAbsolutePath(path) || !IsPlainName(name)) return std::nullopt;
  const Result<std::u16string> folder = rt_.FullPath(FolderOf(path));
  if (!folder.ok()) return std::nullopt;
  const std::optional<std::u16string> root =
      Match(WithTrailingBackslash(folder.value()), patchFolder);
  if (!root) return std::nullopt;
  return *root + name;
}

std::optional<BadLine> Confine(GameFolderScope& scope, JournalDoc& doc) {
  std::vector<Step> confined = doc.steps;
  for (Step& step : confined) {
    // Only a copy reads from elsewhere: the patch folder its section recorded. Journals
    // older than that record name any source; it is only ever read.
    const std::u16string& patch =
        step.kind == StepKind::kCopy ? doc.sections[step.section].patchFolder : u"";
    const bool anySource = step.kind == StepKind::kCopy && patch.empty();
    const std::optional<std::u16string> from =
        anySource ? ReadableSource(step.from) : scope.Resolve(step.from, patch);
    const std::optional<std::u16string> to =
        step.to.empty() ? std::optional<std::u16string>(u"") : scope.Resolve(step.to);
    if (!from || !to) return BadLine{step.line, step.from + u"  " + step.to};
    step.from = *from;
    step.to = *to;
  }
  doc.steps = std::move(confined);
  return std::nullopt;
}

}  // namespace torvane
