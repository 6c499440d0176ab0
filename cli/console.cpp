#include "cli/console.h"

#include <windows.h>

#include "runtime/text.h"

namespace torvane::cli {
namespace {

HANDLE Output() { return ::GetStdHandle(STD_OUTPUT_HANDLE); }

bool IsConsole(HANDLE out) {
  DWORD mode = 0;
  return ::GetFileType(out) == FILE_TYPE_CHAR && ::GetConsoleMode(out, &mode);
}

}  // namespace

void WriteLine(const std::u16string& line) {
  static const HANDLE out = Output();
  static const bool console = IsConsole(out);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  const std::u16string text = line + kCrLf;
  DWORD written = 0;
  if (console) {
    ::WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const std::string bytes = ToUtf8(text);
  ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace torvane::cli
