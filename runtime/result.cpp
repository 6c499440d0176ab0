#include "runtime/result.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include "runtime/text.h"

namespace torvane {
namespace {

// The debugger output on Windows; a program without a debugger loses nothing by it.
void WriteToDebugger([[maybe_unused]] const Error& error,
                     [[maybe_unused]] const std::source_location& where) {
#ifdef _WIN32
  std::u16string line = FromUtf8(where.file_name());
  line.append(u"(")
      .append(Decimal(where.line()))
      .append(u"): skipped failure ")
      .append(Decimal(error.code))
      .append(u": ")
      .append(error.description)
      .append(u"\n");
  ::OutputDebugStringW(reinterpret_cast<const wchar_t*>(line.c_str()));
#endif
}

SkippedFailureHandler handler = &WriteToDebugger;

}  // namespace

SkippedFailureHandler SetSkippedFailureHandler(SkippedFailureHandler next) {
  const SkippedFailureHandler previous = handler;
  handler = next ? next : &WriteToDebugger;
  return previous;
}

void ReportSkippedFailure(const Error& error, const std::source_location& where) {
  handler(error, where);
}

}  // namespace torvane
