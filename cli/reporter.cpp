#include "cli/reporter.h"

#include "job/report_text.h"
#include "job/stage_words.h"
#include "resources/texts.h"
#include "runtime/text.h"

namespace torvane::cli {
namespace {

// Progress is printed every this many files, and at the end: a line per file would cost
// more than moving it on a console.
constexpr std::size_t kFilesStep = 1000;

bool IsHigh(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

std::u16string Escaped(char16_t c) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::u16string out = u"\\u";
  for (int shift = 12; shift >= 0; shift -= 4)
    out += static_cast<char16_t>(kHex[(c >> shift) & 15]);
  return out;
}

std::u16string_view ExitName(int code) {
  constexpr std::u16string_view kNames[] = {u"done", u"refused", u"partial", u"usage", u"internal"};
  return code >= 0 && code < 5 ? kNames[code] : u"internal";
}

}  // namespace

std::u16string JsonString(std::u16string_view text) {
  std::u16string out = u"\"";
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'"' || c == u'\\') {
      out += u'\\';
      out += c;
    } else if (c == u'\n') {
      out += u"\\n";
    } else if (c == u'\r') {
      out += u"\\r";
    } else if (c == u'\t') {
      out += u"\\t";
    } else if (c < 0x20 || c == 0x7F) {
      out += Escaped(c);
    } else if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
      out += c;
      out += text[++i];
    } else if (IsHigh(c) || IsLow(c)) {
      out += Escaped(c);
    } else {
      out += c;
    }
  }
  return out + u"\"";
}

Reporter::Reporter(Sink sink, bool json, bool quiet)
    : sink_(std::move(sink)), json_(json), quiet_(quiet) {}

void Reporter::Json(std::u16string_view step, std::u16string_view result,
                    const std::u16string& error, const Fields& extra) {
  std::u16string line = u"{\"step\":" + JsonString(step) + u",\"path\":" + JsonString(subject_) +
                        u",\"result\":" + JsonString(result) + u",\"error\":" + JsonString(error);
  for (const auto& [name, value] : extra) {
    line.append(u",").append(JsonString(name)).append(u":").append(value);
  }
  sink_(line + u"}");
}

void Reporter::Lines(const std::u16string& text) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    sink_(line);
    start = end + 1;
  }
}

void Reporter::Stage(JobStage stage) {
  if (quiet_) return;
  const StageWords& words = WordsOf(stage);
  if (json_) {
    Json(u"stage", words.name, {});
  } else {
    sink_(std::u16string(words.line));
  }
}

void Reporter::Files(std::size_t done, std::size_t total) {
  if (quiet_ || (done % kFilesStep != 0 && done != total)) return;
  const std::u16string figures = Decimal(done) + u"/" + Decimal(total);
  if (json_) {
    Json(u"files", figures, {});
  } else {
    sink_(texts::kCliFiles + figures);
  }
}

void Reporter::Waiting(const std::u16string& file) {
  if (quiet_ || file.empty()) return;
  if (json_) {
    Json(u"waiting", u"waiting", {}, {{u"file", JsonString(file)}});
  } else {
    sink_(WaitingText(file));
  }
}

void Reporter::Message(const std::u16string& text, bool error, bool question) {
  if (quiet_ && !error) return;
  if (json_) {
    const std::u16string_view result = error ? u"error" : question ? u"question" : u"info";
    Json(u"message", result, error ? text : std::u16string(), {{u"text", JsonString(text)}});
    return;
  }
  Lines(text);
  if (question) sink_(texts::kCliAnsweredYes);
}

void Reporter::Question(const std::u16string& text, std::u16string_view name, bool yes) {
  if (quiet_ && yes) return;
  if (json_) {
    Json(u"message", u"question", {},
         {{u"question", JsonString(name)},
          {u"answer", JsonString(yes ? u"yes" : u"no")},
          {u"text", JsonString(text)}});
    return;
  }
  Lines(text);
  sink_(yes ? texts::kCliAnsweredYes : texts::kCliAnsweredNo);
}

void Reporter::Would(std::u16string_view step, const std::u16string& path,
                     const std::u16string& detail) {
  if (quiet_) return;
  if (json_) {
    const std::u16string saved = subject_;
    subject_ = path;
    Json(step, u"would", {}, {{u"to", JsonString(detail)}});
    subject_ = saved;
    return;
  }
  std::u16string line = u"would " + std::u16string(step) + u" " + path;
  if (!detail.empty()) line += (step == u"set-attributes" ? u" = " : u" -> ") + detail;
  sink_(line);
}

void Reporter::UsageError(const std::u16string& text) {
  if (json_) {
    Json(u"usage", u"usage", text);
  } else {
    sink_(text);
    sink_(texts::kCliSeeHelp);
  }
}

void Reporter::InternalError(const std::u16string& text) {
  const std::u16string message = texts::kCliInternalError + text;
  if (json_) {
    Json(u"internal", u"internal", message);
  } else {
    sink_(message);
  }
}

void Reporter::Record(std::u16string_view step, std::u16string_view result, const Fields& fields) {
  if (json_) Json(step, result, {}, fields);
}

void Reporter::Exit(int code) {
  if (!json_ || (quiet_ && code == 0)) return;
  Json(u"exit", ExitName(code), {}, {{u"code", Decimal(static_cast<std::size_t>(code))}});
}

}  // namespace torvane::cli
