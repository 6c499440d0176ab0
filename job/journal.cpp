#include "job/journal.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "runtime/text.h"

namespace torvane {
namespace {

constexpr std::string_view kHeader = "Torvane journal 1";
// Appended to a line that a crash cut short, before anything else is written after it.
constexpr std::string_view kTorn = "\t<torn>";
constexpr std::u16string_view kJournalPrefix = u"torvane-journal-";
constexpr std::u16string_view kJournalSuffix = u".txt";

struct KindName {
  StepKind kind;
  std::string_view name;
};
constexpr KindName kKindNames[] = {
    {StepKind::kMove, "move"},   {StepKind::kCopy, "copy"},   {StepKind::kDelete, "delete"},
    {StepKind::kMkDir, "mkdir"}, {StepKind::kRmDir, "rmdir"}, {StepKind::kSetAttr, "attr"},
};
constexpr std::pair<SectionKind, std::string_view> kSectionNames[] = {
    {SectionKind::kJob, "job"},
    {SectionKind::kRecovery, "recovery"},
    {SectionKind::kRestore, "restore"},
};

bool HasTarget(StepKind kind) { return kind == StepKind::kMove || kind == StepKind::kCopy; }

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

std::string Hex(std::uint32_t value) {
  char buffer[16];
  const auto end = std::to_chars(buffer, buffer + sizeof(buffer), value, 16).ptr;
  return "0x" + std::string(buffer, end);
}

std::string StepLine(const Step& s) {
  std::string line = "step\t" + std::to_string(s.id) + "\t";
  for (const KindName& k : kKindNames) {
    if (k.kind == s.kind) line += k.name;
  }
  line += "\t" + ToUtf8(s.from);
  if (HasTarget(s.kind)) line += "\t" + ToUtf8(s.to);
  if (s.kind == StepKind::kMove || s.kind == StepKind::kCopy || s.kind == StepKind::kDelete) {
    line += "\tsize=" + std::to_string(s.size);
  }
  line += "\tattr=" + Hex(s.attributes);
  if (s.kind == StepKind::kSetAttr || s.newAttributes != 0) line += "\tset=" + Hex(s.newAttributes);
  if (s.clearsAttributes) line += "\tclear-attr";
  if (s.inVersionSet) line += "\tversion-set";
  if (s.placesReplacement) line += "\treplacement";
  if (s.setsReplacementAside) line += "\taside";
  if (!s.sha256.empty()) line += "\tsha256=" + s.sha256;
  if (s.undoes != 0) line += "\tundoes=" + std::to_string(s.undoes);
  return line + "\n";
}

bool ParseOption(std::string_view field, Step& s) {
  const size_t eq = field.find('=');
  const std::string_view key = field.substr(0, eq);
  const std::string_view value = eq == std::string_view::npos ? "" : field.substr(eq + 1);
  if (key == "clear-attr") return (s.clearsAttributes = true);
  if (key == "version-set") return (s.inVersionSet = true);
  if (key == "replacement") return (s.placesReplacement = true);
  if (key == "aside") return (s.setsReplacementAside = true);
  if (key == "set") return ParseNumber(value, s.newAttributes, 16);
  if (key == "size") return ParseNumber(value, s.size);
  if (key == "attr") return ParseNumber(value, s.attributes, 16);
  if (key == "undoes") return ParseNumber(value, s.undoes);
  if (key == "sha256") {
    s.sha256 = std::string(value);
    return value.size() == 64;
  }
  return false;
}

bool ParseStep(const std::vector<std::string_view>& f, Step& s) {
  if (f.size() < 4 || !ParseNumber(f[1], s.id)) return false;
  const auto kind = std::find_if(std::begin(kKindNames), std::end(kKindNames),
                                 [&](const KindName& k) { return k.name == f[2]; });
  if (kind == std::end(kKindNames)) return false;
  s.kind = kind->kind;
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

// Applies one line; false when it is not of the format.
bool ParseLine(std::string_view line, JournalDoc& doc) {
  const std::vector<std::string_view> f = Fields(line);
  if (f[0] == "section" && f.size() == 4) {
    Section section;
    const auto kind = std::find_if(std::begin(kSectionNames), std::end(kSectionNames),
                                   [&](const auto& k) { return k.second == f[1]; });
    if (kind == std::end(kSectionNames)) return false;
    section.kind = kind->first;
    section.time = FromUtf8(f[2]);
    section.subject = FromUtf8(f[3]);
    doc.sections.push_back(std::move(section));
    return true;
  }
  if (doc.sections.empty()) return false;
  Section& section = doc.sections.back();
  if (f[0] == "end" && f.size() == 2) return !(section.end = std::string(f[1])).empty();
  if (f[0] == "mark" && f.size() == 2) {
    if (f[1] == "set-begin") return (section.setBegun = true);
    if (f[1] == "set-commit") return (section.setCommitted = true);
    return false;
  }
  if (f[0] == "step") {
    Step step;
    if (!ParseStep(f, step) || step.id <= doc.LastId()) return false;
    step.section = doc.sections.size() - 1;
    doc.steps.push_back(std::move(step));
    return true;
  }
  if ((f[0] == "done" || f[0] == "failed") && f.size() >= 2) {
    int id = 0;
    if (!ParseNumber(f[1], id)) return false;
    const auto step =
        std::find_if(doc.steps.begin(), doc.steps.end(), [&](const Step& s) { return s.id == id; });
    if (step == doc.steps.end()) return false;
    step->state = f[0] == "done" ? StepState::kDone : StepState::kFailed;
    if (f.size() >= 3) step->error = FromUtf8(f.back());
    return true;
  }
  return false;
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

bool JournalDoc::Concerns(std::u16string_view gameFolder) const {
  return !sections.empty() &&
         LowerCase(FolderOf(sections.front().subject)) == LowerCase(gameFolder);
}

bool JournalDoc::Restored() const {
  return std::any_of(sections.begin(), sections.end(), [](const Section& s) {
    return s.kind == SectionKind::kRestore && s.end == kEndRestored;
  });
}

namespace {

// A step is cancelled by a later reversal that is itself still standing; reversals of
// reversals put a step back in effect. Later steps settle first, as they come later.
std::set<int> Cancelled(const std::vector<Step>& steps) {
  std::set<int> cancelled;
  for (auto s = steps.rbegin(); s != steps.rend(); ++s) {
    if (s->state == StepState::kDone && s->undoes != 0 && !cancelled.count(s->id)) {
      cancelled.insert(s->undoes);
    }
  }
  return cancelled;
}

}  // namespace

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

Result<JournalDoc> ParseJournal(std::string_view text) {
  JournalDoc doc;
  const Error malformed{ErrorKind::kBadPath, 0, u""};
  size_t start = 0;
  bool first = true;
  while (start < text.size()) {
    const size_t newline = text.find('\n', start);
    if (newline == std::string_view::npos) {
      doc.endsWithTornLine = true;
      break;
    }
    std::string_view line = text.substr(start, newline - start);
    start = newline + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      if (line != kHeader) return malformed;
      first = false;
      continue;
    }
    const bool torn =
        line.size() >= kTorn.size() && line.substr(line.size() - kTorn.size()) == kTorn;
    if (line.empty() || torn) continue;
    if (!ParseLine(line, doc)) {
      Error error = malformed;
      error.description = FromUtf8(line);
      return error;
    }
  }
  return doc;
}

Result<std::unique_ptr<Journal>> Journal::Open(Runtime& rt, const std::u16string& path,
                                               const JournalDoc& doc) {
  Result<std::unique_ptr<AppendFile>> file = rt.OpenForAppend(path);
  if (!file.ok()) return file.error();
  std::unique_ptr<Journal> journal(new Journal(rt, path, std::move(file.value()), doc.LastId()));
  if (doc.sections.empty() && !doc.endsWithTornLine) {
    if (Status s = journal->Write(std::string(kHeader) + "\n"); !s.ok()) return s.error();
  } else if (doc.endsWithTornLine) {
    if (Status s = journal->Write(std::string(kTorn) + "\n"); !s.ok()) return s.error();
  }
  return journal;
}

Journal::Journal(Runtime& rt, std::u16string path, std::unique_ptr<AppendFile> file, int lastId)
    : rt_(rt), path_(std::move(path)), file_(std::move(file)), lastId_(lastId) {}

Status Journal::Write(const std::string& lines) { return file_->Append(lines); }

Status Journal::BeginSection(SectionKind kind, const std::u16string& subject) {
  std::string name;
  for (const auto& [k, n] : kSectionNames) {
    if (k == kind) name = n;
  }
  return Write("section\t" + name + "\t" + ToUtf8(rt_.Now()) + "\t" + ToUtf8(subject) + "\n");
}

Status Journal::Mark(std::string_view mark) { return Write("mark\t" + std::string(mark) + "\n"); }

Status Journal::End(std::string_view outcome) {
  return Write("end\t" + std::string(outcome) + "\n");
}

Status Journal::Intend(std::vector<Step*> steps) {
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
      lines += "done\t" + std::to_string(step->id) + "\n";
    } else if (step->state == StepState::kFailed) {
      // The platform's text, on one line.
      std::u16string why = step->error;
      std::replace_if(
          why.begin(), why.end(), [](char16_t c) { return c < u' '; }, u' ');
      lines += "failed\t" + std::to_string(step->id) + "\t" + ToUtf8(why) + "\n";
    }
  }
  return lines.empty() ? Status() : Write(lines);
}

Result<std::vector<std::u16string>> ListJournals(Runtime& rt, const std::u16string& quarantine) {
  const std::u16string folder = WithTrailingBackslash(quarantine);
  std::vector<std::u16string> names;
  Result<std::u16string> name =
      rt.Dir(folder + std::u16string(kJournalPrefix) + u"*" + std::u16string(kJournalSuffix),
             kDirAllFiles);
  for (; name.ok() && !name.value().empty(); name = rt.DirNext()) names.push_back(name.value());
  if (!name.ok()) return name.error();
  // Numbered with four or more digits: ordering by length, then text, is numeric order.
  std::sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  for (std::u16string& n : names) n = folder + n;
  return names;
}

std::u16string NextJournalPath(const std::u16string& quarantine,
                               const std::vector<std::u16string>& existing) {
  int next = 1;
  for (const std::u16string& path : existing) {
    const std::string name = ToUtf8(NameOf(path));
    const size_t digits = kJournalPrefix.size();
    const size_t end = name.size() - kJournalSuffix.size();
    int number = 0;
    if (end > digits && ParseNumber(std::string_view(name).substr(digits, end - digits), number)) {
      next = std::max(next, number + 1);
    }
  }
  std::string number = std::to_string(next);
  if (number.size() < 4) number.insert(0, 4 - number.size(), '0');
  return WithTrailingBackslash(quarantine) + std::u16string(kJournalPrefix) + FromUtf8(number) +
         std::u16string(kJournalSuffix);
}

Result<JournalDoc> ReadJournal(Runtime& rt, const std::u16string& path) {
  const Result<std::string> text = rt.ReadWholeFile(path);
  if (!text.ok()) return text.error();
  return ParseJournal(text.value());
}

}  // namespace torvane
