#include "job/journal.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <variant>

#include "job/game_layout.h"
#include "runtime/text.h"

namespace torvane {
namespace {

// --- The vocabulary, shared by the writer and the reader ---------------------------------

constexpr std::string_view kHeader = "Torvane journal 1";
// Appended to a line that a crash or a failed write cut short, before anything else is
// written after it.
constexpr std::string_view kTorn = "\t<torn>";

constexpr std::string_view kSectionRecord = "section";
constexpr std::string_view kStepRecord = "step";
constexpr std::string_view kDoneRecord = "done";
constexpr std::string_view kFailedRecord = "failed";
constexpr std::string_view kMarkRecord = "mark";
constexpr std::string_view kEndRecord = "end";

constexpr std::string_view kSetBegin = "set-begin";
constexpr std::string_view kSetCommit = "set-commit";

// Options of a section line.
constexpr std::string_view kFolderOption = "folder=";
constexpr std::string_view kPatchOption = "patch=";

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

template <class E>
struct Named {
  E value;
  std::string_view name;
};

constexpr Named<StepKind> kStepKinds[] = {
    {StepKind::kMove, "move"},   {StepKind::kCopy, "copy"},   {StepKind::kDelete, "delete"},
    {StepKind::kMkDir, "mkdir"}, {StepKind::kRmDir, "rmdir"}, {StepKind::kSetAttr, "attr"},
};
constexpr Named<SectionKind> kSectionKinds[] = {
    {SectionKind::kJob, "job"},
    {SectionKind::kRecovery, "recovery"},
    {SectionKind::kRestore, "restore"},
};
constexpr Named<SectionEnd> kSectionEnds[] = {
    {SectionEnd::kDone, "done"},
    {SectionEnd::kPartial, "partial"},
    {SectionEnd::kRolledBack, "rolled-back"},
    {SectionEnd::kRecovered, "recovered"},
    {SectionEnd::kRestored, "restored"},
    {SectionEnd::kRestoredPartly, "restored-partly"},
};

template <class E, std::size_t N>
std::string_view NameOf(const Named<E> (&table)[N], E value) {
  for (const Named<E>& entry : table) {
    if (entry.value == value) return entry.name;
  }
  return {};
}

template <class E, std::size_t N>
std::optional<E> ValueOf(const Named<E> (&table)[N], std::string_view name) {
  for (const Named<E>& entry : table) {
    if (entry.name == name) return entry.value;
  }
  return std::nullopt;
}

bool HasTarget(StepKind kind) { return kind == StepKind::kMove || kind == StepKind::kCopy; }
bool ActsOnAFile(StepKind kind) { return HasTarget(kind) || kind == StepKind::kDelete; }

// The options of a step line: where each value lives in a step, how it is written, and
// when the writer puts it down. The reader accepts each of them on any step.
enum class Written { kAlways, kIfSet, kOnFileSteps, kOnAttributeSteps };
using Field = std::variant<bool Step::*, int Step::*, std::uint32_t Step::*, std::uint64_t Step::*,
                           std::string Step::*>;
struct Option {
  std::string_view name;
  Field field;
  Written written;
  int base = 10;
};
constexpr Option kOptions[] = {
    {"size", &Step::size, Written::kOnFileSteps},
    {"attr", &Step::attributes, Written::kAlways, 16},
    {"set", &Step::newAttributes, Written::kOnAttributeSteps, 16},
    {"clear-attr", &Step::clearsAttributes, Written::kIfSet},
    {"version-set", &Step::inVersionSet, Written::kIfSet},
    {"replacement", &Step::placesReplacement, Written::kIfSet},
    {"aside", &Step::setsReplacementAside, Written::kIfSet},
    {"sha256", &Step::sha256, Written::kIfSet},
    {"undoes", &Step::undoes, Written::kIfSet},
};

// Step ids stay far below the limit of their type, whatever a journal says.
constexpr int kMaxStepId = 1'000'000'000;
constexpr int kMaxJournalNumber = 99'999'999;

// --- Writing ------------------------------------------------------------------------------

template <class T>
std::string NumberText(T value, int base) {
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof(buffer), value, base).ptr;
  return (base == 16 ? "0x" : "") + std::string(buffer, end);
}

// The option as written, or nothing when the step does not carry it.
std::optional<std::string> OptionText(const Option& option, const Step& step) {
  return std::visit(
      [&](auto member) -> std::optional<std::string> {
        const auto& value = step.*member;
        using T = std::decay_t<decltype(value)>;
        bool set = false;
        if constexpr (std::is_same_v<T, std::string>) {
          set = !value.empty();
        } else {
          set = value != T{};
        }
        const bool write = option.written == Written::kAlways ||
                           (option.written == Written::kIfSet && set) ||
                           (option.written == Written::kOnFileSteps && ActsOnAFile(step.kind)) ||
                           (option.written == Written::kOnAttributeSteps &&
                            (set || step.kind == StepKind::kSetAttr));
        if (!write) return std::nullopt;
        if constexpr (std::is_same_v<T, bool>) {
          return std::string(option.name);
        } else if constexpr (std::is_same_v<T, std::string>) {
          return std::string(option.name) + "=" + value;
        } else {
          return std::string(option.name) + "=" + NumberText(value, option.base);
        }
      },
      option.field);
}

std::string StepLine(const Step& s) {
  std::string line = std::string(kStepRecord) + "\t" + std::to_string(s.id) + "\t" +
                     std::string(NameOf(kStepKinds, s.kind)) + "\t" + ToUtf8(s.from);
  if (HasTarget(s.kind)) line += "\t" + ToUtf8(s.to);
  for (const Option& option : kOptions) {
    if (const auto text = OptionText(option, s)) line += "\t" + *text;
  }
  return line + "\n";
}

// "folder=VOLUME-HIGH-LOW", hexadecimal.
std::string FolderOption(const FileIdentity& id) {
  const auto hex = [](std::uint64_t v) { return NumberText(v, 16).substr(2); };
  return std::string(kFolderOption) + hex(id.volume) + "-" + hex(id.fileHigh) + "-" +
         hex(id.fileLow);
}

// --- Reading ------------------------------------------------------------------------------

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (size_t start = 0;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

template <class T>
bool ParseNumber(std::string_view text, T& out, int base = 10) {
  if (base == 16 && text.substr(0, 2) == "0x") text.remove_prefix(2);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out, base);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::optional<FileIdentity> ParseFolderOption(std::string_view text) {
  const size_t a = text.find('-');
  const size_t b = text.find('-', a == std::string_view::npos ? a : a + 1);
  FileIdentity id;
  if (b == std::string_view::npos || !ParseNumber(text.substr(0, a), id.volume, 16) ||
      !ParseNumber(text.substr(a + 1, b - a - 1), id.fileHigh, 16) ||
      !ParseNumber(text.substr(b + 1), id.fileLow, 16)) {
    return std::nullopt;
  }
  return id;
}

bool IsSha256(std::string_view text) {
  return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

bool ParseOption(std::string_view field, Step& s) {
  const size_t eq = field.find('=');
  const std::string_view key = field.substr(0, eq);
  const bool hasValue = eq != std::string_view::npos;
  const std::string_view value = hasValue ? field.substr(eq + 1) : std::string_view();
  const auto option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                   [&](const Option& o) { return o.name == key; });
  if (option == std::end(kOptions)) return false;
  return std::visit(
      [&](auto member) {
        auto& target = s.*member;
        using T = std::decay_t<decltype(target)>;
        if constexpr (std::is_same_v<T, bool>) {
          return !hasValue && (target = true);
        } else if constexpr (std::is_same_v<T, std::string>) {
          target = std::string(value);
          return IsSha256(value);
        } else {
          return hasValue && ParseNumber(value, target, option->base);
        }
      },
      option->field);
}

bool ParseStep(const std::vector<std::string_view>& f, Step& s) {
  if (f.size() < 4 || !ParseNumber(f[1], s.id) || s.id <= 0 || s.id > kMaxStepId) return false;
  const std::optional<StepKind> kind = ValueOf(kStepKinds, f[2]);
  if (!kind) return false;
  s.kind = *kind;
  s.from = FromUtf8(f[3]);
  size_t next = 4;
  if (HasTarget(s.kind)) {
    if (f.size() < 5) return false;
    s.to = FromUtf8(f[next++]);
  }
  for (; next < f.size(); ++next) {
    if (!ParseOption(f[next], s)) return false;
  }
  return !s.from.empty();
}

// The journals earlier versions of the tool wrote are read as they stand; this is what they
// lack and what is taken in its place.
//  - A section line without "folder=" (the game folder's identity): the journal belongs to
//    the folder its first section's war3.exe lies in, compared as text, then by identity
//    only where it is spelled with a drive letter (rule 4); a later section without it
//    adds no spelling the steps may use (rule 5). GameFolderScope::BelongingOf, SpellingsOf.
//  - A job's section line without "patch=": a copy's source may be any file with a plain
//    name at an absolute path; it is still read only in the running tool's patch folder
//    (rules 5 and 6). GameFolderScope::Source.
//  - A step without one of its options reads as its zero: no size, no attributes, no
//    digest. A replacement without "sha256=" proves nothing, so it is never deleted and is
//    kept in vTemp instead (rule 6).
class Reader {
 public:
  // Applies line `number`; false when it is not of the format.
  bool Line(std::string_view line, int number) {
    line_ = number;
    const std::vector<std::string_view> f = Fields(line);
    if (f[0] == kSectionRecord) return f.size() >= 4 && OnSection(f);
    if (doc_.sections.empty()) return false;
    Section& section = doc_.sections.back();
    if (f[0] == kEndRecord && f.size() == 2) {
      return (section.end = ValueOf(kSectionEnds, f[1])).has_value();
    }
    if (f[0] == kMarkRecord && f.size() == 2) {
      if (f[1] == kSetBegin) return (section.setBegun = true);
      if (f[1] == kSetCommit) return (section.setCommitted = true);
      return false;
    }
    if (f[0] == kStepRecord) return OnStep(f);
    if ((f[0] == kDoneRecord || f[0] == kFailedRecord) && f.size() >= 2) return OnOutcome(f);
    return false;
  }

  JournalDoc& doc() { return doc_; }

 private:
  bool OnSection(const std::vector<std::string_view>& f) {
    const std::optional<SectionKind> kind = ValueOf(kSectionKinds, f[1]);
    if (!kind) return false;
    Section section;
    section.kind = *kind;
    section.time = FromUtf8(f[2]);
    section.subject = FromUtf8(f[3]);
    for (size_t i = 4; i < f.size(); ++i) {
      if (f[i].starts_with(kFolderOption)) {
        section.folder = ParseFolderOption(f[i].substr(kFolderOption.size()));
        if (!section.folder) return false;
      } else if (f[i].starts_with(kPatchOption)) {
        section.patchFolder = FromUtf8(f[i].substr(kPatchOption.size()));
      } else {
        return false;
      }
    }
    doc_.sections.push_back(std::move(section));
    return true;
  }

  bool OnStep(const std::vector<std::string_view>& f) {
    Step step;
    // rule 12: ids increase.
    if (!ParseStep(f, step) || step.id <= doc_.LastId()) return false;
    step.line = line_;
    step.section = doc_.sections.size() - 1;
    doc_.steps.push_back(std::move(step));
    return true;
  }

  // Step ids only increase (OnStep), so an outcome finds its step by halving, whatever ids
  // a journal chose.
  bool OnOutcome(const std::vector<std::string_view>& f) {
    int id = 0;
    if (!ParseNumber(f[1], id)) return false;
    const auto found = std::lower_bound(doc_.steps.begin(), doc_.steps.end(), id,
                                        [](const Step& s, int wanted) { return s.id < wanted; });
    if (found == doc_.steps.end() || found->id != id) return false;
    Step& step = *found;
    step.state = f[0] == kDoneRecord ? StepState::kDone : StepState::kFailed;
    if (f.size() >= 3) step.error = FromUtf8(f.back());
    return true;
  }

  JournalDoc doc_;
  int line_ = 0;
};

// A step is cancelled by a later reversal that is itself still standing; reversals of
// reversals put a step back in effect (rule 14). Later steps settle first, as they come
// later.
std::set<int> Cancelled(const std::vector<Step>& steps) {
  std::set<int> cancelled;
  for (auto s = steps.rbegin(); s != steps.rend(); ++s) {
    if (s->state == StepState::kDone && s->undoes != 0 && !cancelled.count(s->id)) {
      cancelled.insert(s->undoes);
    }
  }
  return cancelled;
}

// Journals are read whole; one larger than this is not the tool's (a job of a million
// files writes about a quarter of it).
constexpr std::uint64_t kMaxJournalBytes = 64ull << 20;

// What settling and undoing one journal may cost in reading files. A step with a digest
// or a copy may be proved by hashing or comparing whole files; a step without an outcome
// is looked up, and a move's two ends compared. The tool's own journals stay far below
// both: a job stages four replacements, a restore sets four aside, and a crash leaves one
// batch of moves without outcomes.
constexpr std::size_t kMaxProvedSteps = 4 * kStepsPerWrite;
constexpr std::size_t kMaxPendingSteps = 4 * kStepsPerWrite;

bool MayBeProved(const Step& s) { return !s.sha256.empty() || s.kind == StepKind::kCopy; }

// The step line past either bound, when there is one (rule 12).
std::optional<BadLine> BeyondBounds(const JournalDoc& doc) {
  std::size_t proved = 0, pending = 0;
  for (const Step& s : doc.steps) {
    proved += MayBeProved(s);
    pending += s.state == StepState::kPending;
    if (proved > kMaxProvedSteps || pending > kMaxPendingSteps) {
      return BadLine{s.line, s.from + u"  " + s.to};
    }
  }
  return std::nullopt;
}

}  // namespace

Step MakeStep(StepKind kind, std::u16string from, std::u16string to, int undoes) {
  Step s;
  s.kind = kind;
  s.from = std::move(from);
  s.to = std::move(to);
  s.undoes = undoes;
  return s;
}

bool JournalDoc::SetPlaced(std::size_t section) const {
  std::set<std::u16string> staged, placed;
  for (const Step& s : steps) {
    if (s.section != section || !s.inVersionSet || s.state != StepState::kDone) continue;
    if (s.kind == StepKind::kCopy) staged.insert(LowerCase(s.to));
    if (s.kind == StepKind::kMove && s.placesReplacement) placed.insert(LowerCase(s.from));
  }
  // Replacements are placed only once all of them are staged (rule 15), so one placed
  // means that every staged one is known.
  return !placed.empty() &&
         std::includes(placed.begin(), placed.end(), staged.begin(), staged.end());
}

bool JournalDoc::Restored() const {
  return std::any_of(sections.begin(), sections.end(), [](const Section& s) {
    return s.kind == SectionKind::kRestore && s.end == SectionEnd::kRestored;
  });
}

std::vector<Step> JournalDoc::InEffect() const {
  const std::set<int> cancelled = Cancelled(steps);
  std::vector<Step> effective;
  for (const Step& s : steps) {
    if (s.state == StepState::kDone && s.undoes == 0 && !cancelled.count(s.id)) {
      effective.push_back(s);
    }
  }
  return effective;
}

std::vector<Step> JournalDoc::ActiveSetSteps(std::size_t section) const {
  const std::set<int> cancelled = Cancelled(steps);
  std::vector<Step> active;
  for (const Step& s : steps) {
    if (s.section == section && s.inVersionSet && s.state == StepState::kDone &&
        !cancelled.count(s.id)) {
      active.push_back(s);
    }
  }
  return active;
}

JournalDoc ParseJournal(std::string_view text) {
  Reader reader;
  JournalDoc& doc = reader.doc();
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  size_t start = 0;
  for (int number = 1; start < text.size(); ++number) {
    const size_t newline = text.find('\n', start);
    if (newline == std::string_view::npos) {
      doc.endsWithTornLine = true;
      break;
    }
    std::string_view line = text.substr(start, newline - start);
    start = newline + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const bool torn = line.ends_with(kTorn);
    const bool understood =
        number == 1 ? line == kHeader : line.empty() || torn || reader.Line(line, number);
    if (understood) continue;
    if (!doc.bad) doc.bad = BadLine{number, FromUtf8(line)};
    if (number == 1) break;  // not a journal at all
  }
  if (!doc.bad) doc.bad = BeyondBounds(doc);
  return std::move(doc);
}

Result<std::unique_ptr<Journal>> Journal::Create(Runtime& rt, const std::u16string& path) {
  // rule 2: only where the name is free, never over a file or through a link.
  Result<std::unique_ptr<AppendFile>> file = rt.OpenForAppend(path, OpenMode::kCreateNew);
  if (!file.ok()) return file.error();
  std::unique_ptr<Journal> journal(new Journal(rt, path, std::move(file.value()), 0));
  if (Status s = journal->Write(std::string(kHeader) + "\n"); !s.ok()) return s.error();
  return journal;
}

Result<std::unique_ptr<Journal>> Journal::Reopen(Runtime& rt, const std::u16string& path,
                                                 const JournalDoc& doc) {
  Result<std::unique_ptr<AppendFile>> file = rt.OpenForAppend(path, OpenMode::kExisting);
  if (!file.ok()) return file.error();
  const Result<FileFacts> facts = file.value()->Facts();
  if (!facts.ok()) return facts.error();
  // rule 10
  if (!doc.file || facts.value() != *doc.file || facts.value().links != 1) {
    return Error{ErrorKind::kSwapped, 0, {}};
  }
  std::unique_ptr<Journal> journal(new Journal(rt, path, std::move(file.value()), doc.LastId()));
  if (doc.endsWithTornLine) {
    if (Status s = journal->Write(std::string(kTorn) + "\n"); !s.ok()) return s.error();
  }
  return journal;
}

Journal::Journal(Runtime& rt, std::u16string path, std::unique_ptr<AppendFile> file, int lastId)
    : rt_(rt), path_(std::move(path)), file_(std::move(file)), lastId_(lastId) {}

Journal::~Journal() {
  if (!outcomes_.empty()) SkipOnFailure(Write({}));
}

Status Journal::Write(const std::string& lines) {
  // Part of a line a failed write left is sealed as torn first, as a crash's is on reopening,
  // so that the lines after it stay lines of their own.
  const std::string seal = mayEndMidLine_ ? std::string(kTorn) + "\n" : std::string();
  Status written = file_->Append(seal + outcomes_ + lines);
  mayEndMidLine_ = !written.ok();
  if (written.ok()) outcomes_.clear();
  return written;
}

Status Journal::BeginSection(SectionKind kind, const std::u16string& subject,
                             const std::optional<FileIdentity>& folder,
                             const std::u16string& patchFolder) {
  std::string line = std::string(kSectionRecord) + "\t" + std::string(NameOf(kSectionKinds, kind)) +
                     "\t" + ToUtf8(rt_.Now()) + "\t" + ToUtf8(subject);
  if (folder) line += "\t" + FolderOption(*folder);
  if (!patchFolder.empty()) line += "\t" + std::string(kPatchOption) + ToUtf8(patchFolder);
  return Write(line + "\n");
}

Status Journal::BeginSet() {
  return Write(std::string(kMarkRecord) + "\t" + std::string(kSetBegin) + "\n");
}

Status Journal::CommitSet() {
  return Write(std::string(kMarkRecord) + "\t" + std::string(kSetCommit) + "\n");
}

Status Journal::End(SectionEnd outcome) {
  return Write(std::string(kEndRecord) + "\t" + std::string(NameOf(kSectionEnds, outcome)) + "\n");
}

Status Journal::Intend(std::vector<Step*> steps) {
  if (lastId_ > kMaxStepId - static_cast<int>(steps.size())) {
    return Error{ErrorKind::kTooLarge, 0, path_};
  }
  std::string lines;
  for (Step* step : steps) {
    step->id = ++lastId_;
    step->state = StepState::kPending;
    lines += StepLine(*step);
  }
  return Write(lines);
}

Status Journal::Record(const std::vector<const Step*>& steps) {
  std::string lines;
  for (const Step* step : steps) {
    if (step->state == StepState::kDone) {
      lines += std::string(kDoneRecord) + "\t" + std::to_string(step->id) + "\n";
    } else if (step->state == StepState::kFailed) {
      lines += std::string(kFailedRecord) + "\t" + std::to_string(step->id);
      // The platform's message, on one line; a step the tool found not made, with no
      // message of the system's, has none.
      if (!step->error.empty()) {
        std::u16string why = step->error;
        std::replace_if(
            why.begin(), why.end(), [](char16_t c) { return c < u' '; }, u' ');
        lines += "\t" + ToUtf8(why);
      }
      lines += "\n";
    }
  }
  outcomes_ += lines;
  return Status();
}

Result<std::vector<std::u16string>> ListJournals(Runtime& rt, const std::u16string& vTemp) {
  const std::u16string folder = WithTrailingBackslash(vTemp);
  const Result<std::vector<DirEntry>> listed =
      rt.List(folder + std::u16string(kJournalPrefix) + u"*" + std::u16string(kJournalSuffix),
              kDirAllFiles);
  if (!listed.ok()) return listed.error();
  std::vector<std::u16string> names;
  for (const DirEntry& entry : listed.value()) names.push_back(entry.name);
  // Numbered with four or more digits: ordering by length, then text, is numeric order.
  std::sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  for (std::u16string& n : names) n = folder + n;
  return names;
}

std::u16string NextJournalPath(const std::u16string& vTemp,
                               const std::vector<std::u16string>& existing) {
  int next = 1;
  for (const std::u16string& path : existing) {
    const std::string name = ToUtf8(torvane::NameOf(path));
    const size_t digits = kJournalPrefix.size();
    const size_t end = name.size() - kJournalSuffix.size();
    int number = 0;
    if (end > digits && ParseNumber(std::string_view(name).substr(digits, end - digits), number) &&
        number < kMaxJournalNumber) {
      next = std::max(next, number + 1);
    }
  }
  std::string number = std::to_string(next);
  if (number.size() < 4) number.insert(0, 4 - number.size(), '0');
  return WithTrailingBackslash(vTemp) + std::u16string(kJournalPrefix) + FromUtf8(number) +
         std::u16string(kJournalSuffix);
}

Result<JournalDoc> ReadJournal(Runtime& rt, const std::u16string& path) {
  const Result<FileRead> read = rt.ReadWholeFileAndFacts(path, kMaxJournalBytes);
  if (!read.ok()) return read.error();
  JournalDoc doc = ParseJournal(read.value().bytes);
  doc.file = read.value().facts;
  return doc;
}

}  // namespace torvane
