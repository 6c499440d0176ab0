#include "job/confinement.h"

#include <algorithm>

#include "runtime/text.h"

namespace torvane {
namespace {

// The names the device namespace owns, in any case and with any extension: CreateFile
// opens the device (a serial port may hang) instead of a file of that name.
constexpr std::u16string_view kDeviceNames[] = {
    u"con",  u"prn",       u"aux",       u"nul",       u"conin$",    u"conout$", u"com0",
    u"com1", u"com2",      u"com3",      u"com4",      u"com5",      u"com6",    u"com7",
    u"com8", u"com9",      u"com\u00B9", u"com\u00B2", u"com\u00B3", u"lpt0",    u"lpt1",
    u"lpt2", u"lpt3",      u"lpt4",      u"lpt5",      u"lpt6",      u"lpt7",    u"lpt8",
    u"lpt9", u"lpt\u00B9", u"lpt\u00B2", u"lpt\u00B3"};

// Characters no plain name holds: separators, a stream's colon, wildcards, redirections.
constexpr std::u16string_view kReservedCharacters = u"\\/:*?<>\"|";

// Windows drops the spaces before a device name's extension ("nul .txt" is NUL).
bool IsDeviceName(std::u16string_view name) {
  std::u16string stem = LowerCase(name.substr(0, name.find(u'.')));
  while (!stem.empty() && stem.back() == u' ') stem.pop_back();
  return std::find(std::begin(kDeviceNames), std::end(kDeviceNames), stem) !=
         std::end(kDeviceNames);
}

// "C:\...": a folder that names a drive the user has, never a share or a device.
bool IsDriveLetterPath(std::u16string_view path) {
  return path.size() >= 3 &&
         ((path[0] >= u'a' && path[0] <= u'z') || (path[0] >= u'A' && path[0] <= u'Z')) &&
         path[1] == u':' && path[2] == u'\\';
}

bool SameText(std::u16string_view a, std::u16string_view b) { return LowerCase(a) == LowerCase(b); }

bool HasTarget(StepKind kind) { return kind == StepKind::kMove || kind == StepKind::kCopy; }

}  // namespace

bool IsPlainName(std::u16string_view name) {
  if (name.empty() || IsDeviceName(name)) return false;
  // Windows drops a trailing dot or space; "." and ".." end in one too.
  if (name.back() == u'.' || name.back() == u' ') return false;
  return std::none_of(name.begin(), name.end(), [](char16_t c) {
    return c < u' ' || c == 0x7F || kReservedCharacters.find(c) != std::u16string_view::npos;
  });
}

GameFolderScope::GameFolderScope(Runtime& rt, const GamePath& g, Reach reach)
    : rt_(rt), g_(g), reach_(std::move(reach)) {}

// rule 4
GameFolderScope::Belonging GameFolderScope::BelongingOf(const JournalDoc& doc) {
  if (doc.sections.empty()) return Belonging::kUnknown;
  const Section& first = doc.sections.front();
  if (first.folder) {
    if (!g_.identity) return Belonging::kUnknown;
    return *first.folder == *g_.identity ? Belonging::kHere : Belonging::kElsewhere;
  }
  const std::u16string folder = FolderOf(first.subject);
  // Looked up only where spelled with a drive letter; otherwise the text alone decides.
  if (!IsDriveLetterPath(folder)) {
    return SameText(folder, g_.folder) ? Belonging::kHere : Belonging::kUnknown;
  }
  const Result<bool> same = SameFolder(rt_, folder, g_.folder);
  if (same.Is(ErrorKind::kNotFound)) return Belonging::kElsewhere;
  if (!same.ok()) return Belonging::kUnknown;
  return same.value() ? Belonging::kHere : Belonging::kElsewhere;
}

std::vector<std::u16string> GameFolderScope::SpellingsOf(const JournalDoc& doc) const {
  std::vector<std::u16string> spellings = {g_.folder};
  for (std::size_t i = 0; i < doc.sections.size(); ++i) {
    const Section& section = doc.sections[i];
    const bool ours = i == 0 || (section.folder && g_.identity && *section.folder == *g_.identity);
    const std::u16string folder = FolderOf(section.subject);
    if (ours && IsAbsolutePath(folder)) spellings.push_back(folder);
  }
  return spellings;
}

std::optional<std::u16string> GameFolderScope::InRoot(
    const std::u16string& path, const std::vector<std::u16string>& spellings) const {
  const std::u16string lower = LowerCase(path);
  for (const std::u16string& spelling : spellings) {
    if (!lower.starts_with(LowerCase(spelling))) continue;
    const std::u16string_view rest = std::u16string_view(path).substr(spelling.size());
    const std::u16string name = NameOf(rest);
    if (!IsPlainName(name)) continue;
    for (std::u16string_view root : kRootFolders) {
      if (!SameText(root, FolderOf(rest))) continue;
      // rule 9: nothing in a root that is a link.
      const bool linked = std::any_of(
          reach_.linkedRoots.begin(), reach_.linkedRoots.end(),
          [&](const std::u16string& link) { return LowerCase(root).starts_with(LowerCase(link)); });
      if (!linked) return g_.folder + std::u16string(root) + name;
    }
  }
  return std::nullopt;
}

std::optional<std::u16string> GameFolderScope::Source(
    const std::u16string& path, const Section& section,
    const std::vector<std::u16string>& spellings) const {
  if (std::optional<std::u16string> inside = InRoot(path, spellings)) return inside;
  // Only a copy names a file outside: one of the patch folder its section recorded, or,
  // in a journal older than that record, any file. It is only ever read, and only from
  // the patch folder of the running tool.
  const std::u16string folder = FolderOf(path);
  const bool recorded = section.patchFolder.empty()
                            ? IsAbsolutePath(path)
                            : SameText(folder, WithTrailingBackslash(section.patchFolder));
  if (!recorded || !IsPlainName(NameOf(path))) return std::nullopt;
  // rule 6: proof is read only in the running tool's patch folder.
  const bool readable = !reach_.toolPatchFolder.empty() && SameText(folder, reach_.toolPatchFolder);
  return readable ? path : std::u16string();
}

// rule 5
std::optional<BadLine> GameFolderScope::Confine(JournalDoc& doc) const {
  const std::vector<std::u16string> spellings = SpellingsOf(doc);
  std::vector<Step> confined = doc.steps;
  for (Step& step : confined) {
    const std::optional<std::u16string> from =
        step.kind == StepKind::kCopy ? Source(step.from, doc.sections[step.section], spellings)
                                     : InRoot(step.from, spellings);
    const std::optional<std::u16string> to =
        HasTarget(step.kind) ? InRoot(step.to, spellings) : std::optional<std::u16string>(u"");
    if (!from || !to) return BadLine{step.line, step.from + u"  " + step.to};
    step.from = *from;
    step.to = *to;
  }
  doc.steps = std::move(confined);
  return std::nullopt;
}

}  // namespace torvane
